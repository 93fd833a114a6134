// Points and rectangles in the class library's shape (Left/Top/Right/Bottom, X/Y),
// usable by portable code; the windowing layer converts them to and from POINT/RECT.
#pragma once
#include <cstdint>

struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    constexpr bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
    constexpr bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
    constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(const TPoint& p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    constexpr bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    constexpr bool operator!=(const TRect& o) const { return !(*this == o); }
    // Moves by (dx, dy); grows (or with negative values shrinks) by (dx, dy) on every side.
    constexpr TRect Offset(int dx, int dy) const { return TRect(Left + dx, Top + dy, Right + dx, Bottom + dy); }
    constexpr TRect Inflate(int dx, int dy) const { return TRect(Left - dx, Top - dy, Right + dx, Bottom + dy); }
};

constexpr TPoint Point(int x, int y) { return TPoint(x, y); }
constexpr TRect Rect(int left, int top, int right, int bottom) { return TRect(left, top, right, bottom); }
constexpr TRect Bounds(int left, int top, int width, int height) { return TRect(left, top, left + width, top + height); }

// Font styles as a set of bits, and the horizontal alignment of text; portable code that
// reads or writes them (skin descriptions) shares these with the windowing layer.
using TFontStyles = uint8_t;
enum : TFontStyles { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
// Where a button's glyph sits beside its caption.
enum TButtonLayout : int { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };
