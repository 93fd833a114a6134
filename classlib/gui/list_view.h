// List views (items in columns) and tree views.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/controls.h"

class TCustomListView;
class TImageList;

// One column of a report view; its caption is shown in the header.
class TListColumn {
public:
    const AnsiString& GetCaption() const { return FCaption; }
    void SetCaption(const AnsiString& v);
    int GetWidth() const { return FWidth; }
    void SetWidth(int v);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    // An image of the view's SmallImages beside the caption (-1: none).
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    int GetIndex() const;
private:
    friend class TListColumns;
    friend class TCustomListView;
    void Changed();
    TCustomListView* FView = nullptr;
    AnsiString FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
};

class TListColumns {
public:
    explicit TListColumns(TCustomListView* view) : FView(view) {}
    ~TListColumns();
    TListColumn* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TListColumn* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    void Delete(int index);
    void Clear();
private:
    friend class TListColumn;
    friend class TCustomListView;
    TCustomListView* FView;
    std::vector<std::unique_ptr<TListColumn>> FItems;
};

// One item: its caption in the first column, SubItems in the next ones.
class TListItem {
public:
    TListItem();
    ~TListItem();
    const AnsiString& GetCaption() const { return FCaption; }
    void SetCaption(const AnsiString& v);
    // Texts of the second and following columns.
    TStrings* GetSubItems() const;
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    int GetIndex() const;
private:
    friend class TListItems;
    friend class TCustomListView;
    void Changed();
    TCustomListView* FView = nullptr;
    AnsiString FCaption;
    std::unique_ptr<TStringList> FSubItems;
    int FImageIndex = -1;
};

class TListItems {
public:
    explicit TListItems(TCustomListView* view) : FView(view) {}
    ~TListItems();
    TListItem* Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TListItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    void Delete(int index);
    void Clear();
private:
    friend class TListItem;
    friend class TCustomListView;
    TCustomListView* FView;
    std::vector<std::unique_ptr<TListItem>> FItems;
};

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };

// A list view window of the system class.
class TCustomListView : public TWinControl {
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;
    const char* ClassName() const override { return "TCustomListView"; }
    bool HasProperty(const AnsiString& name) const override;
    TViewStyle GetViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle v);
    TListColumns* GetColumns() const { return FColumns.get(); }
    TListItems* GetItems() const { return FItems.get(); }
    TImageList* GetSmallImages() const { return FSmallImages; }
    void SetSmallImages(TImageList* images);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool GetRowSelect() const { return FRowSelect; }
    void SetRowSelect(bool v);
    // The column header window of a report view (nullptr before the window exists).
    HWND GetHeaderHandle() const;
    // The selected item's index, -1 for none.
    int GetItemIndex() const;
    void SetItemIndex(int index);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
private:
    friend class TListColumn;
    friend class TListColumns;
    friend class TListItem;
    friend class TListItems;
    void WriteColumn(int index, bool insert);
    void WriteItem(int index, bool insert);
    std::unique_ptr<TListColumns> FColumns;
    std::unique_ptr<TListItems> FItems;
    TViewStyle FViewStyle = vsIcon;
    TImageList* FSmallImages = nullptr;
    TBorderStyle FBorderStyle = bsSingle;
    bool FRowSelect = false;
    int FItemIndex = -1;
};

class TListView : public TCustomListView {
public:
    explicit TListView(TComponent* owner) : TCustomListView(owner) {}
    const char* ClassName() const override { return "TListView"; }
};

// A tree view window of the system class (no items in this class library).
class TCustomTreeView : public TWinControl {
public:
    explicit TCustomTreeView(TComponent* owner);
    const char* ClassName() const override { return "TCustomTreeView"; }
    bool HasProperty(const AnsiString& name) const override;
protected:
    void CreateParams(TCreateParams& params) override;
};
