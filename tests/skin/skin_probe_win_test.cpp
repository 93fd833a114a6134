// The frame a skinned form shows, pixel by pixel, with the probe skin: each frame part, each
// caption-button cell and the form are one solid colour of their own, so a screen pixel names
// the part that painted it. The expected frame is composed from the skin as the reader hands
// it out (no colour is written down here): caption pieces, borders, buttons, client, region.
// Also: switching skins at run time repaints in the new skin, and repainting and reloading
// hold no GDI objects.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "skin/skin_bitmap_win.h"
#include "skin/skin_engine_win.h"
#include "tests/support/tempdir.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::vector<uint8_t> SkinBytes(const char* file) {
    std::string bytes = ReadWholeFile(file);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A plain form with the engine on it, loaded as the programs' forms load; no title text, so
// that no glyph covers the caption.
struct TProbeForm {
    explicit TProbeForm(const char* skinFile) : Form(new TForm(nullptr)) {
        Form->SetBounds(40, 40, 320, 220);
        Form->SetCaption("");
        Form->BeginLoading();
        Engine = new TlumSkinEngine(Form.get());
        Engine->SetActive(true);
        Engine->SetBuiltIn(true);
        Engine->ReadSkinData(SkinBytes(skinFile));
        Form->FinishLoading();
        Handle = Form->GetHandle();
        SetWindowPos(Handle, HWND_TOPMOST, 40, 40, 320, 220, SWP_SHOWWINDOW);
        Settle();
    }
    // Paints frame and client and lets every queued message run; the mouse stays off the form.
    void Settle() const {
        SetCursorPos(1000, 760);
        for (int i = 0; i < 3; ++i) {
            RedrawWindow(Handle, nullptr, nullptr,
                         RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Application->ProcessMessages();
        }
        GdiFlush();
    }
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
    HWND Handle;
};

// The screen under the window, in window coordinates.
struct TShot {
    int W = 0, H = 0;
    std::vector<COLORREF> Px;
    COLORREF At(int x, int y) const { return Px[size_t(y) * W + x]; }
};

TShot Capture(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    TShot shot;
    shot.W = r.right - r.left;
    shot.H = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.W;
    info.bmiHeader.biHeight = -shot.H;   // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, shot.W, shot.H, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < shot.W * shot.H; ++i)
        shot.Px.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{p.x - r.left, p.y - r.top};
}

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
    return text;
}

// The frame the skin asks for on a window of the given size: for every window pixel the colour
// and the part that paints it. Caption: TITLEBAR1 at the left, TITLEBAR3 at the right, the
// filler TITLEBAR2 stretched between, caption buttons over it from the right; side borders
// stretched down between caption and bottom; bottom: FORMBOTTOMBORDER1 left, 3 right, 2
// stretched between; the client in the form colour. Pixels of the transparent colour, the
// icon's square and anything the skin leaves open are not compared ("" part).
struct TExpectedFrame {
    int W = 0, H = 0;
    std::vector<COLORREF> Color;
    std::vector<std::string> Part;
    std::vector<bool> Cut;   // caption pixels in the transparent colour: outside the region

    void Set(int x, int y, COLORREF c, const std::string& part) {
        Color[size_t(y) * W + x] = c;
        Part[size_t(y) * W + x] = part;
    }
};

TExpectedFrame ComposeFrame(TlumSkinEngine* engine, HWND window, int w, int h) {
    auto pixels = [engine](uint8_t key) { return PixelsFromBitmap(engine->GetSkinBitmap(key)); };
    const TSkinPixels t1 = pixels(SKIN2_TITLEBAR1), t2 = pixels(SKIN2_TITLEBAR2), t3 = pixels(SKIN2_TITLEBAR3);
    const TSkinPixels left = pixels(SKIN2_FORMLEFTBORDER), right = pixels(SKIN2_FORMRIGHTBORDER);
    const TSkinPixels b1 = pixels(SKIN2_FORMBOTTOMBORDER1), b2 = pixels(SKIN2_FORMBOTTOMBORDER2),
                      b3 = pixels(SKIN2_FORMBOTTOMBORDER3);
    const TSkinPixels buttons = pixels(SKIN2_TITLEBUTTONS);
    const COLORREF transparent = static_cast<COLORREF>(engine->GetSkinColor(SKIN2_TRANSCOLOR));
    const COLORREF form = static_cast<COLORREF>(engine->GetSkinColor(SKIN2_FORMCOLOR));
    const int ch = t1.Height, bh = b1.Height;
    // A strip of three pieces: the first at the left, the last at the right, the middle one
    // stretched between (its rows are one colour each in the skins tested here).
    auto across = [w](const TSkinPixels& first, const TSkinPixels& middle, const TSkinPixels& last, int x, int y,
                      int& piece) {
        piece = x < first.Width ? 0 : x >= w - last.Width ? 2 : 1;
        return static_cast<COLORREF>(piece == 0   ? first.At(x, y)
                                     : piece == 2 ? last.At(x - (w - last.Width), y)
                                                  : middle.At(0, y));
    };
    const char* const captionParts[] = {"TITLEBAR1", "TITLEBAR2", "TITLEBAR3"};
    const char* const bottomParts[] = {"FORMBOTTOMBORDER1", "FORMBOTTOMBORDER2", "FORMBOTTOMBORDER3"};
    int piece = 0;

    TExpectedFrame f;
    f.W = w;
    f.H = h;
    f.Color.assign(size_t(w) * h, 0);
    f.Part.assign(size_t(w) * h, "");
    f.Cut.assign(size_t(w) * h, false);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = across(t1, t2, t3, x, y, piece);
            if (c == transparent)
                f.Cut[size_t(y) * w + x] = true;
            else
                f.Set(x, y, c, captionParts[piece]);
        }

    // Buttons from the right: close, maximise (restore when zoomed), minimise; each one cell of 18.
    const int cw = buttons.Width / 18;
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    std::vector<std::pair<int, const char*>> shown = {{16, "close button"}};
    if (style & WS_MAXIMIZEBOX) shown.push_back({IsZoomed(window) ? 10 : 7, "maximise button"});
    if (style & WS_MINIMIZEBOX) shown.push_back({13, "minimise button"});
    int bx = w - engine->GetSkinPosition(SKIN2_TITLEBARBUTTONPOSX) - cw;
    const int by = engine->GetSkinPosition(SKIN2_TITLEBARBUTTONPOSY);
    for (const auto& [cell, name] : shown) {
        for (int y = 0; y < buttons.Height; ++y)
            for (int x = 0; x < cw; ++x) {
                const COLORREF c = buttons.At((cell - 1) * cw + x, y);
                if (c != transparent && bx + x >= 0 && by + y < ch) f.Set(bx + x, by + y, c, name);
            }
        bx -= cw + 2;
    }
    // The icon's square, whatever icon the window has.
    const int ix = std::max(0, engine->GetSkinPosition(SKIN2_TITLEBARICONPOSX));
    const int iy = std::max(4, engine->GetSkinPosition(SKIN2_TITLEBARICONPOSY));
    for (int y = iy; y < std::min(iy + 16, ch); ++y)
        for (int x = ix; x < ix + 16; ++x) f.Set(x, y, 0, "");

    for (int y = ch; y < h - bh; ++y) {
        for (int x = 0; x < left.Width; ++x) f.Set(x, y, left.At(x, left.Height / 2), "left border");
        for (int x = 0; x < right.Width; ++x)
            f.Set(w - right.Width + x, y, right.At(x, right.Height / 2), "right border");
        for (int x = left.Width; x < w - right.Width; ++x) f.Set(x, y, form, "client");
    }
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = across(b1, b2, b3, x, y, piece);
            f.Set(x, h - bh + y, c, bottomParts[piece]);
        }
    return f;
}

// Every part of the given ones whose pixels differ on screen, with the first differing pixel.
// Pixels outside the window's region show what lies behind the window and are left out here.
std::string FrameDifferences(const TExpectedFrame& f, HWND window, const TShot& shot,
                             const std::set<std::string>& parts) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool shaped = GetWindowRgn(window, region) != ERROR;
    std::map<std::string, int> wrong;
    std::map<std::string, std::string> first;
    for (int y = 0; y < f.H; ++y)
        for (int x = 0; x < f.W; ++x) {
            const std::string& part = f.Part[size_t(y) * f.W + x];
            if (!parts.count(part) || (shaped && !PtInRegion(region, x, y))) continue;
            if (shot.At(x, y) == f.Color[size_t(y) * f.W + x]) continue;
            if (wrong[part]++ == 0) {
                std::ostringstream s;
                s << " first at (" << x << ", " << y << "): expected " << Hex(f.Color[size_t(y) * f.W + x])
                  << ", seen " << Hex(shot.At(x, y));
                first[part] = s.str();
            }
        }
    DeleteObject(region);
    std::string out;
    for (const auto& [part, count] : wrong)
        out += part + ": " + std::to_string(count) + " pixels," + first[part] + "\n";
    return out;
}

// The window region against the caption's transparent pixels within the skin's region band:
// each of them outside, and (with opaqueInside) every other band pixel and the body inside.
std::string RegionDifferences(TlumSkinEngine* engine, HWND window, const TExpectedFrame& f, bool opaqueInside) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    if (kind == ERROR || kind == NULLREGION) {
        DeleteObject(region);
        return "no window region\n";
    }
    const int minY = std::max(0, engine->GetSkinPosition(SKIN2_TITLEBARREGIONMINY));
    const int maxY = engine->GetSkinPosition(SKIN2_TITLEBARREGIONMAXY);
    std::string out;
    int wrong = 0, cuts = 0;
    for (int y = minY; y <= maxY; ++y)
        for (int x = 0; x < f.W; ++x) {
            const bool cut = f.Cut[size_t(y) * f.W + x];
            cuts += cut;
            if ((!cut && !opaqueInside) || (PtInRegion(region, x, y) != 0) == !cut) continue;
            if (wrong++ == 0)
                out += "(" + std::to_string(x) + ", " + std::to_string(y) + ") should be " +
                       (cut ? "outside" : "inside") + " the region\n";
        }
    if (wrong > 1) out += std::to_string(wrong) + " pixels in all\n";
    if (cuts == 0) out += "the skin cuts no corner\n";
    if (!PtInRegion(region, f.W / 2, f.H / 2) || !PtInRegion(region, f.W - 1, f.H - 1))
        out += "the body is not all inside the region\n";
    DeleteObject(region);
    return out;
}

// Caption pieces, side borders, the bottom's left piece and the caption buttons.
const std::set<std::string> kCaptionAndBorders = {
    "TITLEBAR1",    "TITLEBAR2",       "TITLEBAR3",     "left border",     "right border",
    "close button", "maximise button", "minimise button", "FORMBOTTOMBORDER1"};
// The bottom's middle and right pieces and the client.
const std::set<std::string> kBottomAndClient = {"FORMBOTTOMBORDER2", "FORMBOTTOMBORDER3", "client"};

// The client sits inside the skin's borders and caption.
void ExpectClientInsideTheSkinFrame(const TProbeForm& p) {
    TlumSkinEngine* engine = p.Engine;
    RECT box{};
    GetWindowRect(p.Handle, &box);
    const int caption = engine->GetSkinBitmap(SKIN2_TITLEBAR1)->GetHeight();
    const int leftWidth = engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER)->GetWidth();
    const int rightWidth = engine->GetSkinBitmap(SKIN2_FORMRIGHTBORDER)->GetWidth();
    const int bottom = engine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER1)->GetHeight();
    const POINT origin = ClientOrigin(p.Handle);
    EXPECT_EQ(origin.x, leftWidth);
    EXPECT_EQ(origin.y, caption);
    RECT client{};
    GetClientRect(p.Handle, &client);
    EXPECT_EQ(client.right, box.right - box.left - leftWidth - rightWidth);
    EXPECT_EQ(client.bottom, box.bottom - box.top - caption - bottom);
}

std::string ScreenAgainstSkin(const TProbeForm& p, const std::set<std::string>& parts) {
    RECT box{};
    GetWindowRect(p.Handle, &box);
    const TExpectedFrame expected = ComposeFrame(p.Engine, p.Handle, box.right - box.left, box.bottom - box.top);
    return FrameDifferences(expected, p.Handle, Capture(p.Handle), parts);
}

std::string RegionAgainstSkin(const TProbeForm& p, bool opaqueInside) {
    RECT box{};
    GetWindowRect(p.Handle, &box);
    const TExpectedFrame expected = ComposeFrame(p.Engine, p.Handle, box.right - box.left, box.bottom - box.top);
    return RegionDifferences(p.Engine, p.Handle, expected, opaqueInside);
}

}  // namespace

TEST(SkinProbe, CaptionBordersAndButtonsComeFromTheSkin) {
    TProbeForm p(SKIN_PROBE_FILE);
    ASSERT_TRUE(p.Engine->GetReady());
    ASSERT_EQ(SendMessageA(p.Handle, WM_SKIN_QUERY, 0, 0), 1);
    // The probe's borders are wider than the native minimum of 4: each shows whole.
    ASSERT_GT(p.Engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER)->GetWidth(), 4);
    ExpectClientInsideTheSkinFrame(p);
    EXPECT_EQ(ScreenAgainstSkin(p, kCaptionAndBorders), "");
    EXPECT_EQ(RegionAgainstSkin(p, false), "");   // the transparent corners are cut away
}

// A caption narrower than its left piece and the buttons, where the right piece would reach
// into the left border: only the right piece's columns right of the border are shown, the left
// piece keeps the border's columns.
TEST(SkinProbe, NarrowCaptionShowsTheRightPieceRightOfTheLeftBorder) {
    TProbeForm p(SKIN_PROBE_FILE);
    const int leftBorder = p.Engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER)->GetWidth();
    const TSkinPixels left = PixelsFromBitmap(p.Engine->GetSkinBitmap(SKIN2_TITLEBAR1));
    const TSkinPixels right = PixelsFromBitmap(p.Engine->GetSkinBitmap(SKIN2_TITLEBAR3));
    const int width = right.Width + 2;   // the right piece would start left of the border's end
    ASSERT_GT(leftBorder, width - right.Width);
    p.Form->GetConstraints()->SetMinWidth(1);
    SetWindowPos(p.Handle, nullptr, 0, 0, width, 220, SWP_NOMOVE | SWP_NOZORDER);
    p.Settle();
    RECT box{};
    GetWindowRect(p.Handle, &box);
    ASSERT_EQ(box.right - box.left, width);
    const TShot shot = Capture(p.Handle);
    const int row = left.Height - 2;   // below the caption buttons
    for (int x = 0; x < leftBorder; ++x) EXPECT_EQ(Hex(shot.At(x, row)), Hex(left.At(x, row))) << x;
    for (int x = leftBorder; x < width; ++x)
        EXPECT_EQ(Hex(shot.At(x, row)), Hex(right.At(x - (width - right.Width), row))) << x;
}

// A three-section bottom border (FORMBOTTOMBORDER1 left, 3 right, 2 stretched between), and a
// skinned form takes the skin's form colour.
TEST(SkinProbe, BottomPiecesAndClientComeFromTheSkin) {
    TProbeForm p(SKIN_PROBE_FILE);
    EXPECT_EQ(ScreenAgainstSkin(p, kBottomAndClient), "");
}

// The window region is built from the whole caption as painted (not from TITLEBAR1 alone):
// every opaque caption pixel of the band is kept, only the transparent corners go.
TEST(SkinProbe, RegionCutsExactlyTheTransparentCaptionPixels) {
    for (const char* file : {SKIN_PROBE_FILE, SKIN_DEFAULT_FILE}) {
        SCOPED_TRACE(file);
        TProbeForm p(file);
        EXPECT_EQ(RegionAgainstSkin(p, true), "");
    }
}

TEST(SkinProbe, SwitchingSkinsAtRunTimeRepaintsInTheNewSkin) {
    TProbeForm p(SKIN_DEFAULT_FILE);
    EXPECT_EQ(ScreenAgainstSkin(p, kCaptionAndBorders), "");
    const TColor defaultLeft = PixelsFromBitmap(p.Engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER)).At(1, 1);
    for (const char* file : {SKIN_PROBE_FILE, SKIN_DEFAULT_FILE, SKIN_PROBE_FILE}) {
        SCOPED_TRACE(file);
        p.Engine->ReadSkinData(SkinBytes(file));
        p.Settle();
        ExpectClientInsideTheSkinFrame(p);
        EXPECT_EQ(ScreenAgainstSkin(p, kCaptionAndBorders), "");
    }
    // The two skins do differ where it was compared.
    EXPECT_NE(PixelsFromBitmap(p.Engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER)).At(1, 1), defaultLeft);
}

TEST(SkinProbe, RepaintsAndReloadsHoldNoGdiObjects) {
    TProbeForm p(SKIN_PROBE_FILE);
    const std::vector<uint8_t> probe = SkinBytes(SKIN_PROBE_FILE), standard = SkinBytes(SKIN_DEFAULT_FILE);
    p.Engine->ReadSkinData(probe);
    p.Settle();
    const long before = LiveGdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        RedrawWindow(p.Handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        SendMessageA(p.Handle, WM_NCACTIVATE, i % 2, 0);
    }
    SendMessageA(p.Handle, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(LiveGdiObjectCount(), before) << "after 1,000 repaints";
    for (int i = 0; i < 20; ++i) {
        p.Engine->ReadSkinData(i % 2 ? probe : standard);   // the last one is the probe again
        p.Settle();
    }
    EXPECT_EQ(LiveGdiObjectCount(), before) << "after 20 reloads";
    EXPECT_EQ(ScreenAgainstSkin(p, kCaptionAndBorders), "");
}
