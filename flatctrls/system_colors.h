// System colours (negative values, the colour index in the low byte) resolved to RGB;
// any other value is returned as it is.
#pragma once
#include <cstdint>

int32_t ResolveSystemColor(int32_t color);
