// The reader's window size from a book's settings: both fields positive whole numbers give a
// window of that outer size; anything else ("0", empty, not a number, negative) a maximised one.
#pragma once
#include "classlib/sysutils.h"

// True, with the sizes in pixels, when the window is to have the given size.
bool WindowSizeFromSettings(const AnsiString& heightText, const AnsiString& widthText, int& height, int& width);
