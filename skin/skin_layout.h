// Where the pieces of nine-part and three-part skin drawings go: pure rectangle arithmetic,
// so the drawing routines only copy what these lists say. A piece whose source or destination
// would be empty or negative is left out (never drawn mirrored).
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/types.h"

enum TSkinPieceMode : uint8_t {
    spCopy,      // unscaled corner: source and destination have one size
    spStretch,   // stretched from source to destination
};

struct TSkinPiece {
    TSkinPieceMode Mode;
    TRect Source;
    TRect Dest;
};

// Nine-part drawing of a w x h bitmap into a W x H area at (0, 0); in drawing order.
std::vector<TSkinPiece> NinePartPieces(int w, int h, int W, int H);

// Three-part vertical drawing (cap rows C; 0 = h / 3) into rect; nothing when rect.Left < 0.
std::vector<TSkinPiece> ThreePartVPieces(int w, int h, const TRect& rect, int cap);
// Three-part horizontal drawing with cap columns C into rect.
std::vector<TSkinPiece> ThreePartHCapsPieces(int w, int h, const TRect& rect, int cap);
// Three equal cells side by side (cell = w / 3) into rect.
std::vector<TSkinPiece> ThreePartHPieces(int w, int h, const TRect& rect);

// Colour of step `step` out of `steps` between a and b, per byte: a + trunc((b - a) / steps * step).
uint32_t GradientColor(uint32_t a, uint32_t b, int step, int steps);
