// Handles.h - move-only owners for Win32 handles, one type per handle kind.
//
// Classes in this file:
//   UniqueHandle<Traits>  owner of one handle; the traits name the closer
//   UniqueHdc             a created DC (DeleteDC)
//   WindowDc              a DC obtained by GetDC (ReleaseDC, remembers its window)
//   PaintDc               BeginPaint/EndPaint pair
//   UniqueGdi<T>          a GDI object (DeleteObject): UniqueBrush, UniquePen, UniqueFont, ...
//   SelectGuard           selects an object into a DC and selects the previous one back
//   UniqueHwnd            a window this code created (DestroyWindow)
//   UniqueModule          a loaded library (FreeLibrary)
//   UniqueImageList       an image list (ImageList_Destroy)
//   UniqueIcon            an icon this code created (DestroyIcon)
//
// Registry keys and theme handles close through replaceable function tables; their owners live
// next to those tables (catalogue/RegistryApi.h, lookandfeel/ThemeServices.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace framework {

/// Owns one handle of the kind described by Traits (Type, Invalid(), Close(Type)).
/// Copy is deleted, move transfers ownership.
template <typename Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type h) noexcept : handle_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

    /// Gives up ownership without closing.
    Type release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

    /// Closes the present handle (if any) and takes h.
    void reset(Type h = Traits::Invalid()) noexcept {
        Type old = std::exchange(handle_, h);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

    /// Closes the present handle and returns the slot for an out-parameter.
    Type* put() noexcept {
        reset();
        return &handle_;
    }

private:
    Type handle_ = Traits::Invalid();
};

namespace detail {
template <typename T> struct GdiTraits {
    using Type = T;
    static constexpr T Invalid() { return nullptr; }
    static void Close(T h) { ::DeleteObject(h); }
};
struct DcTraits {
    using Type = HDC;
    static constexpr HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct HwndTraits {
    using Type = HWND;
    static constexpr HWND Invalid() { return nullptr; }
    static void Close(HWND h) { ::DestroyWindow(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static constexpr HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct ImageListTraits {
    using Type = HIMAGELIST;
    static constexpr HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct IconTraits {
    using Type = HICON;
    static constexpr HICON Invalid() { return nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
} // namespace detail

template <typename T> using UniqueGdi = UniqueHandle<detail::GdiTraits<T>>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRegion = UniqueGdi<HRGN>;
using UniqueHdc = UniqueHandle<detail::DcTraits>;
using UniqueHwnd = UniqueHandle<detail::HwndTraits>;
using UniqueModule = UniqueHandle<detail::ModuleTraits>;
using UniqueImageList = UniqueHandle<detail::ImageListTraits>;
using UniqueIcon = UniqueHandle<detail::IconTraits>;

/// A DC obtained with GetDC/GetWindowDC; released with ReleaseDC on the same window.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&&) = delete;

    HDC get() const noexcept { return dc_; }
    HWND window() const noexcept { return window_; }

private:
    HWND window_;
    HDC dc_;
};

/// BeginPaint in the constructor, EndPaint in the destructor.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
    ~PaintDc() { ::EndPaint(window_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

/// Selects an object into a DC and selects the previous object back on destruction.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace framework
