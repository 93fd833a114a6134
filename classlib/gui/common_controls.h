// Common controls: progress bar, status bar, tab control, page control with tab sheets.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/controls.h"

class TImageList;

enum TProgressBarOrientation : uint8_t { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    const char* ClassName() const override { return "TProgressBar"; }
    int GetMin() const { return FMin; }
    void SetMin(int v);
    int GetMax() const { return FMax; }
    void SetMax(int v);
    int GetPosition() const;
    // Kept within Min..Max.
    void SetPosition(int v);
    void StepBy(int delta) { SetPosition(GetPosition() + delta); }
    bool GetSmooth() const { return FSmooth; }
    void SetSmooth(bool v);
    TProgressBarOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation v);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
private:
    int FMin = 0, FMax = 100, FPosition = 0;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = pbHorizontal;
};

class TCustomStatusBar;

class TStatusPanel {
public:
    int GetWidth() const { return FWidth; }
    void SetWidth(int w);
    const AnsiString& GetText() const { return FText; }
    void SetText(const AnsiString& t);
private:
    friend class TCustomStatusBar;
    TCustomStatusBar* FBar = nullptr;
    int FWidth = 50;
    AnsiString FText;
};

class TCustomStatusBar : public TWinControl {
public:
    explicit TCustomStatusBar(TComponent* owner);
    ~TCustomStatusBar() override;
    const char* ClassName() const override { return "TCustomStatusBar"; }
    bool HasProperty(const AnsiString& name) const override;
    TStatusPanel* AddPanel();
    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    TStatusPanel* Panels(int index) const { return FPanels.at(static_cast<size_t>(index)).get(); }
    void ClearPanels();
    bool GetSimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool v);
    const AnsiString& GetSimpleText() const { return FSimpleText; }
    void SetSimpleText(const AnsiString& t);
    bool GetSizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool v);
    // Sends the panel layout and texts to the window.
    void UpdatePanels();
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
private:
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
    bool FSimplePanel = false;
    bool FSizeGrip = true;
    AnsiString FSimpleText;
};

class TStatusBar : public TCustomStatusBar {
public:
    explicit TStatusBar(TComponent* owner) : TCustomStatusBar(owner) {}
    const char* ClassName() const override { return "TStatusBar"; }
};

enum TTabStyle : uint8_t { tsTabs, tsButtons, tsFlatButtons };
enum TTabPosition : uint8_t { tpTop, tpBottom, tpLeft, tpRight };

class TTabStrings;

// A tab window of the system class: the tabs' texts, their place and look, and the client area
// the tabs leave. Descendants say which tab is selected and what choosing one does.
class TCustomTabControl : public TWinControl {
public:
    explicit TCustomTabControl(TComponent* owner);
    ~TCustomTabControl() override;
    const char* ClassName() const override { return "TCustomTabControl"; }
    TTabStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabStyle style);
    // Left and right tabs stand in several rows of their own.
    TTabPosition GetTabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition position);
    // Tab i shows image i of the list.
    TImageList* GetImages() const { return FImages; }
    void SetImages(TImageList* images);
    // The tabs' texts; each change reaches the window at once.
    TStrings* GetTabs() const;
    void SetTabs(TStrings* tabs) { GetTabs()->Assign(tabs); }
    void AdjustClientRect(TRect& rect) const override;
    // The index of the tab at a client point, or -1.
    int IndexOfTabAt(int x, int y) const;
    TNotifyEvent OnChange;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    // Writes the tabs into the window and selects SelectedTab.
    void UpdateTabs();
    // The texts changed.
    virtual void TabsChanged() { UpdateTabs(); }
    // The tab to show selected (-1: none).
    virtual int SelectedTab() const = 0;
    // The user chose tab index.
    virtual void TabChosen(int index) = 0;
    std::unique_ptr<TTabStrings> FTabs;
    bool FTabsLocked = false;   // the texts are being rewritten: the window waits
private:
    friend class TTabStrings;
    TTabStyle FStyle = tsTabs;
    TTabPosition FTabPosition = tpTop;
    TImageList* FImages = nullptr;
};

// Tabs given as texts; TabIndex is the selected one (-1: none).
class TTabControl : public TCustomTabControl {
public:
    explicit TTabControl(TComponent* owner) : TCustomTabControl(owner) {}
    const char* ClassName() const override { return "TTabControl"; }
    // -1 when the selected tab was deleted.
    int GetTabIndex() const { return FTabIndex; }
    // Selects a tab without an OnChange; out of range selects none.
    void SetTabIndex(int index);
protected:
    int SelectedTab() const override { return FTabIndex; }
    void TabsChanged() override;
    void TabChosen(int index) override;
private:
    int FTabIndex = -1;
};

class TPageControl;

// One page of a page control; its caption is the page's tab.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    const char* ClassName() const override { return "TTabSheet"; }
    TPageControl* GetPageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* pageControl);
    int GetPageIndex() const;
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
};

// Its tabs are its pages' captions.
class TPageControl : public TCustomTabControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    const char* ClassName() const override { return "TPageControl"; }
    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const { return FPages.at(static_cast<size_t>(index)); }
    TTabSheet* GetActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* page);
    int GetActivePageIndex() const;
    void SetActivePageIndex(int index);
protected:
    void HandleCreated() override;
    int SelectedTab() const override { return GetActivePageIndex(); }
    void TabChosen(int index) override;
private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    // The tabs' texts from the pages' captions.
    void UpdatePageTabs();
    void ShowActivePage();
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
};
