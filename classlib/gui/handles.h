// Owning holders of system handles, so that nothing leaks on an early return or an exception:
// GDI objects (fonts, pens, brushes, bitmaps, regions), device contexts got from a window or
// made in memory, icons and COM interfaces. And ThrowLastError for a failed call that matters.
//
// The holders count the GDI objects and DCs they hold alive (LiveGdiObjectCount): the system's
// own count (GetGuiResources) is a stub under Wine, so leak tests use ours.
#pragma once
#include "classlib/gui/windows_api.h"
#include <unknwn.h>

#include <utility>

// Raises EOSError "<what> failed: <system text>" for the calling thread's last error.
[[noreturn]] void ThrowLastError(const char* what);

// GDI objects and DCs that our holders have alive now.
long LiveGdiObjectCount();

namespace gui_internal {
void CountGdiObject(long delta);
}

// Owns one GDI object and deletes it. Stock objects are never given to it.
template <class H>
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(H handle) { Reset(handle); }
    ~TGdiObject() { Reset(); }
    // Moving hands the object over: it stays counted once.
    TGdiObject(TGdiObject&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = std::exchange(other.FHandle, nullptr);
        }
        return *this;
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;

    H Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    // Deletes the object held and takes the new one (nullptr: holds nothing).
    void Reset(H handle = nullptr) {
        if (handle == FHandle) return;
        if (FHandle) {
            DeleteObject(FHandle);
            gui_internal::CountGdiObject(-1);
        }
        FHandle = handle;
        if (FHandle) gui_internal::CountGdiObject(1);
    }
    // Gives the object up to the caller, who deletes it.
    H Release() {
        H h = FHandle;
        if (h) gui_internal::CountGdiObject(-1);
        FHandle = nullptr;
        return h;
    }

private:
    H FHandle = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;
using TPenHandle = TGdiObject<HPEN>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TBitmapHandle = TGdiObject<HBITMAP>;
using TRegionHandle = TGdiObject<HRGN>;

// A window's DC (GetDC, or GetWindowDC for the whole window), released on destruction.
class TWindowDC {
public:
    enum TArea { daClient, daWindow };
    explicit TWindowDC(HWND wnd, TArea area = daClient);
    ~TWindowDC();
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return FDC; }
    explicit operator bool() const { return FDC != nullptr; }

private:
    HWND FWnd;
    HDC FDC;
};

// A memory DC compatible with another (nullptr: the screen), deleted on destruction.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatible = nullptr);
    ~TMemoryDC();
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC Get() const { return FDC; }
    explicit operator bool() const { return FDC != nullptr; }

private:
    HDC FDC;
};

// Selects an object into a DC and puts the previous one back on destruction.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TSelectObject() {
        if (FOld) SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Owns an icon or cursor made at run time (not one loaded shared from resources).
class TIconHandle {
public:
    explicit TIconHandle(HICON icon = nullptr) : FIcon(icon) {}
    ~TIconHandle() { Reset(); }
    TIconHandle(TIconHandle&& other) noexcept : FIcon(std::exchange(other.FIcon, nullptr)) {}
    TIconHandle& operator=(TIconHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.FIcon, nullptr));
        return *this;
    }
    TIconHandle(const TIconHandle&) = delete;
    TIconHandle& operator=(const TIconHandle&) = delete;
    HICON Get() const { return FIcon; }
    void Reset(HICON icon = nullptr) {
        if (FIcon && FIcon != icon) DestroyIcon(FIcon);
        FIcon = icon;
    }

private:
    HICON FIcon;
};

// A counted reference to a COM interface (AddRef on copy, Release on destruction).
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    // Takes a reference the caller already holds (no AddRef).
    static TComPtr Attach(T* p) {
        TComPtr r;
        r.FPtr = p;
        return r;
    }
    TComPtr(const TComPtr& other) : FPtr(other.FPtr) {
        if (FPtr) FPtr->AddRef();
    }
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    ~TComPtr() { Reset(); }

    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    void Reset() {
        if (T* p = std::exchange(FPtr, nullptr)) p->Release();
    }
    // For a call that hands out a new reference: releases what is held and gives its slot.
    T** Put() {
        Reset();
        return &FPtr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Asks for another interface of the same object (empty when it has none).
    template <class U>
    TComPtr<U> As(REFIID iid) const {
        TComPtr<U> r;
        if (FPtr) FPtr->QueryInterface(iid, r.PutVoid());
        return r;
    }

private:
    T* FPtr = nullptr;
};
