#include "skin/skin_layout.h"

#include <algorithm>

namespace {

bool Drawable(const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

void Add(std::vector<TSkinPiece>& pieces, TSkinPieceMode mode, const TRect& source, const TRect& dest) {
    if (Drawable(source) && Drawable(dest)) pieces.push_back({mode, source, dest});
}

enum TCorner { cnTopLeft, cnBottomLeft, cnTopRight, cnBottomRight };

// A corner drawn unscaled: as large as the smaller of source and destination, keeping the
// source's outer sides, placed in the destination's matching corner. Returns what it covered.
TRect AddCorner(std::vector<TSkinPiece>& pieces, TCorner corner, const TRect& src, const TRect& dst) {
    const int pw = std::max(0, std::min(src.Width(), dst.Width()));
    const int ph = std::max(0, std::min(src.Height(), dst.Height()));
    const bool right = corner == cnTopRight || corner == cnBottomRight;
    const bool bottom = corner == cnBottomLeft || corner == cnBottomRight;
    const int sx = right ? src.Right - pw : src.Left, sy = bottom ? src.Bottom - ph : src.Top;
    const int dx = right ? dst.Right - pw : 0, dy = bottom ? dst.Bottom - ph : 0;
    const TRect covered(dx, dy, dx + pw, dy + ph);
    Add(pieces, spCopy, TRect(sx, sy, sx + pw, sy + ph), covered);
    return covered;
}

enum TNarrowFrom { nfStart, nfRight, nfBottom };

// An edge or the centre: the source narrowed to the destination's size, then stretched.
void AddEdge(std::vector<TSkinPiece>& pieces, TRect src, const TRect& dst, TNarrowFrom from) {
    if (dst.Height() <= 0) return;
    if (dst.Width() < src.Width()) {
        if (from == nfRight)
            src.Left = src.Right - std::max(dst.Width(), 0);
        else
            src.Right = src.Left + std::max(dst.Width(), 0);
    }
    if (dst.Height() < src.Height()) {
        if (from == nfBottom)
            src.Top = src.Bottom - dst.Height();
        else
            src.Bottom = src.Top + dst.Height();
    }
    Add(pieces, spStretch, src, dst);
}

}  // namespace

std::vector<TSkinPiece> NinePartPieces(int w, int h, int W, int H) {
    std::vector<TSkinPiece> pieces;
    if (H <= 0 || w <= 0 || h <= 0) return pieces;
    const int w2 = w / 2, h2 = h / 2, W2 = W / 2, H2 = H / 2;

    const TRect tl = AddCorner(pieces, cnTopLeft, TRect(0, 0, w2, h2), TRect(0, 0, W2, H2));
    const TRect blDest(0, H - H2 + 1, W2, H);
    if (blDest.Height() <= 0) return pieces;
    const TRect bl = AddCorner(pieces, cnBottomLeft, TRect(0, h - h2 + 1, w2, h), blDest);
    AddEdge(pieces, TRect(0, h2, w2, h - h2), TRect(0, tl.Bottom, tl.Right, bl.Top), nfStart);

    const TRect trDest(W - W2 + 1, 0, W, H2);
    if (trDest.Height() <= 0) return pieces;
    const TRect tr = AddCorner(pieces, cnTopRight, TRect(w - w2 + 1, 0, w, h2), trDest);
    const TRect brDest(W - W2 + 1, H - H2 + 1, W, H);
    if (brDest.Height() <= 0) return pieces;
    const TRect br = AddCorner(pieces, cnBottomRight, TRect(w - w2 + 1, h - h2 + 1, w, h), brDest);

    AddEdge(pieces, TRect(w - w2 + 1, h - h2, w, h2 + 2), TRect(tr.Left, tr.Bottom, tr.Right, br.Top), nfRight);
    const TRect topDest(tl.Right, 0, tr.Left, tl.Bottom);
    if (topDest.Width() > 0) AddEdge(pieces, TRect(w2, 0, w - w2 + 1, h2), topDest, nfStart);
    AddEdge(pieces, TRect(w2, h2, w - w2 + 1, h - h2), TRect(tl.Right, tl.Bottom, tr.Left, br.Top - 1), nfStart);
    AddEdge(pieces, TRect(w2, h - h2, w - w2 + 1, h), TRect(tl.Right - 1, bl.Top - 1, br.Left, br.Bottom), nfBottom);
    return pieces;
}

std::vector<TSkinPiece> ThreePartVPieces(int w, int h, const TRect& r, int cap) {
    std::vector<TSkinPiece> pieces;
    if (r.Left < 0 || w <= 0 || h <= 0) return pieces;
    const int c = cap == 0 ? h / 3 : cap;
    const int rows = std::min(c, r.Height());
    Add(pieces, spStretch, TRect(0, 0, w, rows), TRect(r.Left, r.Top, r.Right, r.Top + rows));
    Add(pieces, spStretch, TRect(0, h - rows, w, h), TRect(r.Left, r.Bottom - rows, r.Right, r.Bottom));
    Add(pieces, spStretch, TRect(0, c, w, h - c), TRect(r.Left, r.Top + c, r.Right, r.Bottom - c));
    return pieces;
}

std::vector<TSkinPiece> ThreePartHCapsPieces(int w, int h, const TRect& r, int c) {
    std::vector<TSkinPiece> pieces;
    if (w <= 0 || h <= 0) return pieces;
    const int cols = std::min(c, r.Width());
    Add(pieces, spStretch, TRect(0, 0, cols, h), TRect(r.Left, r.Top, r.Left + cols, r.Bottom));
    Add(pieces, spStretch, TRect(w - cols, 0, w, h), TRect(r.Right - cols, r.Top, r.Right, r.Bottom));
    Add(pieces, spStretch, TRect(c, 0, w - c, h), TRect(r.Left + c, r.Top, r.Right - c, r.Bottom));
    return pieces;
}

std::vector<TSkinPiece> ThreePartHPieces(int w, int h, const TRect& r) {
    std::vector<TSkinPiece> pieces;
    const int cell = w / 3;
    if (cell <= 0 || h <= 0) return pieces;
    if (r.Width() < cell) {
        Add(pieces, spCopy, TRect(0, 0, r.Width(), h), TRect(r.Left, r.Top, r.Right, r.Top + h));
        return pieces;
    }
    Add(pieces, spCopy, TRect(0, 0, cell, h), TRect(r.Left, r.Top, r.Left + cell, r.Top + h));
    Add(pieces, spCopy, TRect(2 * cell, 0, 3 * cell, h), TRect(r.Right - cell, r.Top, r.Right, r.Top + h));
    Add(pieces, spStretch, TRect(cell, 0, 2 * cell, h), TRect(r.Left + cell, r.Top, r.Right - cell, r.Top + h));
    return pieces;
}

uint32_t GradientColor(uint32_t a, uint32_t b, int step, int steps) {
    if (steps <= 0) return a;
    uint32_t color = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int from = (a >> shift) & 0xFF, to = (b >> shift) & 0xFF;
        int value = from + static_cast<int>(static_cast<double>(to - from) / steps * step);
        color |= uint32_t(std::clamp(value, 0, 255)) << shift;
    }
    return color;
}
