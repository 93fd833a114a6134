// The user-interface texts of the skin-data family (menu items, caption-button hints,
// message-box buttons, dialog labels) as NAME=Text lines, and the character set they are
// drawn in. Only the character set is read in this system.
#pragma once
#include <cstdint>

#include "classlib/classes.h"

class TgwResourceStrData : public TComponent {
public:
    explicit TgwResourceStrData(TComponent* owner);
    const char* ClassName() const override { return "TgwResourceStrData"; }

    TStrings* GetResStrings() const { return FResStrings.get(); }
    // Copies the lines; the component keeps its own list.
    void SetResStrings(TStrings* lines) { FResStrings->Assign(lines); }
    uint8_t GetCharSet() const { return FCharSet; }
    void SetCharSet(uint8_t charSet) { FCharSet = charSet; }

    // Appends the English defaults (without clearing the list).
    void FillDefaultStrings();

private:
    std::unique_ptr<TStringList> FResStrings;
    uint8_t FCharSet = 1;   // DEFAULT_CHARSET
};
