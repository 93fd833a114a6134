// Common controls: progress bar, status bar, page control with tab sheets.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/gui/controls.h"

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

class TStatusBar;

class TStatusPanel {
public:
    int GetWidth() const { return FWidth; }
    void SetWidth(int w);
    const AnsiString& GetText() const { return FText; }
    void SetText(const AnsiString& t);
private:
    friend class TStatusBar;
    TStatusBar* FBar = nullptr;
    int FWidth = 50;
    AnsiString FText;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;
    const char* ClassName() const override { return "TStatusBar"; }
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
private:
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
    bool FSimplePanel = false;
    bool FSizeGrip = true;
    AnsiString FSimpleText;
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

enum TTabStyle : uint8_t { tsTabs, tsButtons, tsFlatButtons };

class TPageControl : public TWinControl {
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
    TTabStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabStyle style);
    void AdjustClientRect(TRect& rect) const override;
    TNotifyEvent OnChange;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    void ShowActivePage();
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    TTabStyle FStyle = tsTabs;
};
