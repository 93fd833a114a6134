// Tool windows with edges: tool bars with their buttons, and cool bars.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/gui/controls.h"

class TImageList;
class TMenuItem;
class TToolBar;

// The sides of a tool window that carry an edge.
using TEdgeBorders = uint8_t;
enum : TEdgeBorders { ebLeft = 1, ebTop = 2, ebRight = 4, ebBottom = 8 };

// A window with an etched edge along the chosen sides, drawn in its frame.
class TToolWindow : public TWinControl {
public:
    explicit TToolWindow(TComponent* owner);
    const char* ClassName() const override { return "TToolWindow"; }
    bool HasProperty(const AnsiString& name) const override;
    TEdgeBorders GetEdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders edges);
protected:
    void WndProc(TMessage& message) override;
private:
    TEdgeBorders FEdgeBorders = ebTop;
};

enum TToolButtonStyle : uint8_t { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// One button of a tool bar. The tool bar's window draws it and takes its clicks; the object
// holds its settings and follows the place the window gives it.
class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;
    const char* ClassName() const override { return "TToolButton"; }
    // Placing a button on a tool bar adds it at the end of the bar's buttons.
    void SetParent(TWinControl* parent) override;
    TToolBar* GetToolBar() const { return FToolBar; }
    // The button's place among the tool bar's buttons (-1 without one).
    int GetIndex() const;
    TToolButtonStyle GetStyle() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    // -1: no image.
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    // Checked (tbsCheck) buttons: down or up.
    bool GetDown() const;
    void SetDown(bool v);
    // Neighbouring grouped check buttons keep one down among them.
    bool GetGrouped() const { return FGrouped; }
    void SetGrouped(bool v);
    bool GetWrap() const { return FWrap; }
    void SetWrap(bool v);
    // As wide as its own caption and image, instead of the bar's common button width.
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // The menu item the button stands for (not owned).
    TMenuItem* GetMenuItem() const { return FMenuItem; }
    void SetMenuItem(TMenuItem* item) { FMenuItem = item; }
    void SetBounds(int left, int top, int width, int height) override;
    void Click() override;
protected:
    void WndProc(TMessage& message) override;
private:
    friend class TToolBar;
    // The window's data of this button changed.
    void Changed();
    TToolBar* FToolBar = nullptr;
    TToolButtonStyle FStyle = tbsButton;
    int FImageIndex = -1;
    bool FDown = false;
    bool FGrouped = false;
    bool FWrap = false;
    bool FAutoSize = false;
    TMenuItem* FMenuItem = nullptr;
    UINT FCommand = 0;   // the button's identifier in the tool bar window
};

// What a custom-drawn button looks like now.
using TCustomDrawState = uint16_t;
enum : TCustomDrawState {
    cdsSelected = 1, cdsGrayed = 2, cdsDisabled = 4, cdsChecked = 8, cdsFocused = 16, cdsDefault = 32,
    cdsHot = 64, cdsMarked = 128, cdsIndeterminate = 256
};
// The tool bar's background is about to be drawn into rect (on the tool bar's canvas).
using TToolBarCustomDrawEvent = std::function<void(TToolBar* sender, const TRect& rect, bool& defaultDraw)>;
// A button is about to be drawn; clearing defaultDraw leaves its drawing to the handler.
using TToolBarCustomDrawButtonEvent =
    std::function<void(TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw)>;

// A tool bar window of the system class holding TToolButtons.
class TToolBar : public TToolWindow {
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;
    const char* ClassName() const override { return "TToolBar"; }
    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int index) const { return FButtons.at(static_cast<size_t>(index)); }
    // The canvas custom drawing paints on.
    TCanvas* GetCanvas();

    bool GetFlat() const { return FFlat; }
    void SetFlat(bool v);
    // The parent shows through the bar.
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool GetShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v);
    // Captions right of the images instead of below them.
    bool GetList() const { return FList; }
    void SetList(bool v);
    // Buttons that do not fit go to a new row.
    bool GetWrapable() const { return FWrapable; }
    void SetWrapable(bool v);
    // The bar's height follows its rows of buttons.
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    int GetButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int v);
    int GetButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int v);
    TImageList* GetImages() const { return FImages; }
    void SetImages(TImageList* images);
    TImageList* GetHotImages() const { return FHotImages; }
    void SetHotImages(TImageList* images);

    TToolBarCustomDrawEvent OnCustomDraw;
    TToolBarCustomDrawButtonEvent OnCustomDrawButton;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
private:
    friend class TToolButton;
    void InsertButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    void UpdateButton(TToolButton* button);
    // Writes every button into the window again and takes their places back.
    void RecreateButtons();
    // Reads the buttons' places from the window (and the bar's height with AutoSize).
    void UpdateButtonBounds();
    void CustomDraw(TMessage& message);
    TToolButton* FindButton(UINT command) const;
    std::vector<TToolButton*> FButtons;
    std::unique_ptr<TControlCanvas> FCanvas;
    bool FFlat = false;
    bool FTransparent = false;
    bool FShowCaptions = false;
    bool FList = false;
    bool FWrapable = true;
    bool FAutoSize = false;
    int FButtonWidth = 23, FButtonHeight = 22;
    TImageList* FImages = nullptr;
    TImageList* FHotImages = nullptr;
    bool FUpdatingBounds = false;
};

// A rebar window of the system class (bands are not part of this class library).
class TCoolBar : public TToolWindow {
public:
    explicit TCoolBar(TComponent* owner);
    const char* ClassName() const override { return "TCoolBar"; }
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
};
