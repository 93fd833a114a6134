// Controls that show a list of texts: list boxes, combo boxes and extended combo boxes.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/classes.h"
#include "classlib/gui/controls.h"

class TImageList;

// A control with a list of items, one of which may be selected (ItemIndex -1: none).
class TCustomListControl : public TWinControl {
public:
    explicit TCustomListControl(TComponent* owner) : TWinControl(owner) {}
    const char* ClassName() const override { return "TCustomListControl"; }
    virtual int GetItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
    virtual int GetItemCount() const = 0;
    virtual void AddItem(const AnsiString& item, TObject* object) = 0;
    virtual void Clear() = 0;
};

// The items of a list window: a string list whose changes reach the window at once, and which
// refills a new window of the control.
class TListItemStrings;

// A list box window of the system class.
class TCustomListBox : public TCustomListControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;
    const char* ClassName() const override { return "TCustomListBox"; }
    bool HasProperty(const AnsiString& name) const override;
    TStrings* GetItems() const;
    void SetItems(TStrings* items) { GetItems()->Assign(items); }
    int GetItemIndex() const override;
    void SetItemIndex(int index) override;
    int GetItemCount() const override;
    void AddItem(const AnsiString& item, TObject* object) override;
    void Clear() override;
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;
private:
    std::unique_ptr<TListItemStrings> FItems;
    int FItemIndex = -1;
    TBorderStyle FBorderStyle = bsSingle;
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
    const char* ClassName() const override { return "TListBox"; }
};

// Shared by the combo boxes: items, selection, text and the drop-down list.
class TCustomCombo : public TCustomListControl {
public:
    explicit TCustomCombo(TComponent* owner);
    ~TCustomCombo() override;
    const char* ClassName() const override { return "TCustomCombo"; }
    bool HasProperty(const AnsiString& name) const override;
    TStrings* GetItems() const;
    void SetItems(TStrings* items) { GetItems()->Assign(items); }
    int GetItemIndex() const override;
    // Selects an item (-1: none) and shows its text; fires no event.
    void SetItemIndex(int index) override;
    int GetItemCount() const override;
    void AddItem(const AnsiString& item, TObject* object) override;
    // Empties the list and the text.
    void Clear() override;
    // Items shown at once in the dropped-down list.
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v) { FDropDownCount = v < 1 ? 1 : v; }
    bool GetDroppedDown() const;
    void SetDroppedDown(bool v);
    // The edit part typed into, or a selection made: OnChange.
    TNotifyEvent OnChange;
    // The list opened, closed, or an item was chosen in it.
    TNotifyEvent OnDropDown, OnCloseUp, OnSelect;
protected:
    void HandleCreated() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;
    virtual void Change();
    // Makes the dropped-down list tall enough for DropDownCount items.
    void AdjustDropDown();
    std::unique_ptr<TListItemStrings> FItems;
    int FItemIndex = -1;
    int FDropDownCount = 8;
};

enum TComboBoxStyle : uint8_t { csDropDown, csSimple, csDropDownList };

// A combo box window of the system class.
class TCustomComboBox : public TCustomCombo {
public:
    explicit TCustomComboBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomComboBox"; }
    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
private:
    TComboBoxStyle FStyle = csDropDown;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
    const char* ClassName() const override { return "TComboBox"; }
};

enum TComboBoxExStyle : uint8_t { csExDropDown, csExSimple, csExDropDownList };

// An extended combo box window (items with images); its list is an inner combo box window.
class TCustomComboBoxEx : public TCustomCombo {
public:
    explicit TCustomComboBoxEx(TComponent* owner);
    ~TCustomComboBoxEx() override;
    const char* ClassName() const override { return "TCustomComboBoxEx"; }
    TComboBoxExStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxExStyle v);
    // Item i shows image i of the list.
    TImageList* GetImages() const { return FImages; }
    void SetImages(TImageList* images);
    // The inner combo box window (nullptr before the window exists).
    HWND GetComboHandle() const;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Notification(TComponent* component, TOperation operation) override;
private:
    TComboBoxExStyle FStyle = csExDropDown;
    TImageList* FImages = nullptr;
};

class TComboBoxEx : public TCustomComboBoxEx {
public:
    explicit TComboBoxEx(TComponent* owner) : TCustomComboBoxEx(owner) {}
    const char* ClassName() const override { return "TComboBoxEx"; }
};
