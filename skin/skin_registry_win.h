// Which windows and controls get skinned, and with which skin class: the control-class table
// (a dynamic_cast test per row, searched from the last row), the window-class table (upper-case
// names, searched from the first row), the auto-skin, border-exclusion and control-exclusion
// name lists, and the shared menu image lists. Everything is made on first use by idempotent
// calls from the engine (no static initialisers) and lives on the GUI thread.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "classlib/gui/controls.h"
#include "classlib/gui/image_list.h"
#include "skin/skin_control_win.h"

struct TSkinControlClassRow {
    std::type_index ControlClass;
    std::type_index SkinClass;
    std::function<bool(TControl*)> IsInstance;
    std::function<std::unique_ptr<TlumSkinControlVCL>(TControl*, TlumSkinWindowIntf*)> Create;
};

template <class TControlClass, class TSkinClass>
TSkinControlClassRow SkinControlRow() {
    return {typeid(TControlClass), typeid(TSkinClass),
            [](TControl* c) { return dynamic_cast<TControlClass*>(c) != nullptr; },
            [](TControl* c, TlumSkinWindowIntf* w) -> std::unique_ptr<TlumSkinControlVCL> {
                return std::make_unique<TSkinClass>(c, w);
            }};
}

struct TSkinWndClassRow {
    std::string ClassName;   // upper case, at most 67 characters
    std::type_index SkinClass;
    std::function<std::unique_ptr<TlumSkinControlWnd>(HWND, TlumSkinWindowIntf*)> Create;
};

template <class TSkinClass>
TSkinWndClassRow SkinWndRow(const std::string& className) {
    return {className, typeid(TSkinClass), [](HWND h, TlumSkinWindowIntf* w) -> std::unique_ptr<TlumSkinControlWnd> {
                return std::make_unique<TSkinClass>(h, w);
            }};
}

// Appends the rows in order; a row already registered (same classes, or same name and skin
// class) is not added again, so the engine may register on every start.
void RegisterSkinControlClass(const std::vector<TSkinControlClassRow>& rows);
void RegisterSkinWndClass(const std::vector<TSkinWndClassRow>& rows);
int SkinControlClassCount();
int SkinWndClassCount();

// A new, installed skin object for the control / window, or nullptr.
std::unique_ptr<TlumSkinControlVCL> FindSkinControlClass(TControl* control, TlumSkinWindowIntf* skinWindow);
std::unique_ptr<TlumSkinControlWnd> FindSkinWndClass(HWND window, TlumSkinWindowIntf* skinWindow);
// The window-class key FindSkinWndClass looks up for a class name and style ("" = no skin;
// animateOrProgress set for the two classes that only flag the skin window).
std::string SkinWndClassKey(const std::string& className, LONG style, bool& animateOrProgress);

void AddAutoSkinClass(const AnsiString& name);      // no duplicates, any case
bool IsAutoSkinClass(const AnsiString& name);
void AddBorderExclusion(const AnsiString& name);
bool IsBorderExcluded(const AnsiString& name);
std::vector<AnsiString>& ControlExclusions();

// Image 0: the bitmap resource "LUMSKIN_MENU_CHECKED" (empty list when the program lacks it).
TImageList* MenuCheckedImages();
TImageList* EmptyMenuImages();

// Frees the lists and image lists and clears both tables (the unit's end).
void FinalizeSkinRegistries();
