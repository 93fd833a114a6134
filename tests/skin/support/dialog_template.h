// The words of an in-memory dialog template as CreateDialogIndirectParamA reads them: the
// header, its caption and font, then each item aligned to a DWORD.
#pragma once
#include <windows.h>

#include <vector>

class TDialogTemplateWords {
public:
    LPCDLGTEMPLATEA Template() const { return reinterpret_cast<LPCDLGTEMPLATEA>(FWords.data()); }

protected:
    void Word(WORD w) { FWords.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    // A text as the template's zero-ended UTF-16; our texts here are ASCII.
    void Text(const char* s) {
        while (*s) Word(static_cast<WORD>(static_cast<unsigned char>(*s++)));
        Word(0);
    }
    void AlignItem() {
        if (FWords.size() % 2) Word(0);
    }

private:
    std::vector<WORD> FWords;
};
