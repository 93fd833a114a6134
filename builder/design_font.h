// The font the builder's forms were designed with.
#pragma once
#include "classlib/gui/graphics.h"

inline void UseDesignFont(TFont* font) {
    font->SetCharset(DEFAULT_CHARSET);
    font->SetColor(clWindowText);
    font->SetHeight(-11);
    font->SetName("MS Sans Serif");
    font->SetStyle(0);
}
