// Caption text helpers, byte strings in code page 936: cuts never split a double-byte character.
#pragma once
#include <functional>

#include "classlib/sysutils.h"

// Width of a text in pixels, as the canvas that will draw it measures it.
using TTextWidthFunc = std::function<int(const AnsiString&)>;

// The text when it fits in width; otherwise the shortest prefix plus "..." whose width is no
// longer below width (or the whole text when no shorter prefix gets there).
AnsiString FitText(const AnsiString& text, int width, const TTextWidthFunc& textWidth);

// Every occurrence of pattern replaced; an empty pattern changes nothing.
AnsiString ReplaceText(const AnsiString& text, const AnsiString& pattern, const AnsiString& replacement);
AnsiString RemoveAmpersands(const AnsiString& text);

// Length in bytes of the character starting at text[i] (2 for a GBK lead byte with its trail).
size_t GbkCharLength(const AnsiString& text, size_t i);
