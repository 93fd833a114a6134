#include "skin/skin_text.h"

size_t GbkCharLength(const AnsiString& text, size_t i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    return c >= 0x81 && c <= 0xFE && i + 1 < text.size() ? 2 : 1;
}

AnsiString FitText(const AnsiString& text, int width, const TTextWidthFunc& textWidth) {
    if (textWidth(text) <= width) return text;
    size_t length = 0;
    for (;;) {
        length += GbkCharLength(text, length);
        if (length >= text.size()) return text;
        AnsiString fitted = text.substr(0, length) + "...";
        if (textWidth(fitted) >= width) return fitted;
    }
}

AnsiString ReplaceText(const AnsiString& text, const AnsiString& pattern, const AnsiString& replacement) {
    if (pattern.empty()) return text;
    AnsiString result = text;
    if (replacement.size() < pattern.size()) {
        // Each replacement shortens the text, so searching again from the start ends.
        for (size_t at = result.find(pattern); at != AnsiString::npos; at = result.find(pattern))
            result.replace(at, pattern.size(), replacement);
        return result;
    }
    // A replacement as long as the pattern (or holding it) could be found again forever:
    // go on after each replacement instead.
    for (size_t at = result.find(pattern); at != AnsiString::npos; at = result.find(pattern, at + replacement.size()))
        result.replace(at, pattern.size(), replacement);
    return result;
}

AnsiString RemoveAmpersands(const AnsiString& text) { return ReplaceText(text, "&", AnsiString()); }
