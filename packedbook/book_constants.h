// Constants that the builder and the player must share: the key that scrambles a packed
// book's settings text, and the password of every archive inside a packed book.
#pragma once
#include <cstdint>

constexpr uint8_t BookSettingsKey[8] = {0x5A, 0x3C, 0xA7, 0x19, 0xE2, 0x6B, 0x94, 0x0D};
constexpr char BookArchivePassword[] = "Qv7pL2xW9mK4rT";
static_assert(sizeof(BookArchivePassword) == 15, "the archive password has 14 characters");
