// Skin of the class library's list views: border and scroll-bar overlays of the base, and the
// column header of a report view painted in the skin's colours. The header is subclassed only
// while the skin holds it: Restore, the skin's end and the header's own end all unhook it. A
// view without a header window (not a report view) is left unhooked until one appears.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/list_view.h"
#include "skin/skin_control_bases_win.h"

class TlumSkinListView : public TlumSkinScrollWinControl {
public:
    using TlumSkinScrollWinControl::TlumSkinScrollWinControl;
    ~TlumSkinListView() override;
    const char* ClassName() const override { return "TlumSkinListView"; }
    void SaveOriginal() override;
    void AfterMessage(TMessage& message) override;
    void Restore() override;
    // The header window hooked now, or nullptr.
    HWND GetHeader() const;

    // Where a column's caption starts and the text drawn there (shortened with "..." to fit),
    // for the column's rectangle in the header; the image goes at x - image width - 2.
    struct TCaptionPlace {
        int X;
        AnsiString Text;
        bool WithImage;
    };
    static TCaptionPlace PlaceCaption(TCanvas* canvas, const TListColumn* column, const TRect& item,
                                      TImageList* images);
    void PaintHeader();

private:
    void HookHeader();
    void HeaderProc(TMessage& message);
    bool HeaderSkinned() const;
    std::unique_ptr<TSubclassHook> FHeaderHook;
};
