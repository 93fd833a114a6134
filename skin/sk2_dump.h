// A skin as text, one item a line in the reader's list order (bitmaps, integers, bytes, texts):
// "bitmap<TAB>NAME<TAB>WIDTH<TAB>HEIGHT", "integer<TAB>NAME<TAB>VALUE", "byte<TAB>NAME<TAB>VALUE",
// "text<TAB>NAME<TAB>TEXT". Used by skintool and by the tests that compare with a manifest.
#pragma once
#include <string>

#include "skin/sk2_container.h"

std::string DumpSk2SkinData(const TSk2SkinData& skin);
