// Owners for Windows handles: each closes its handle, the right way for its
// kind, when it goes out of scope. Movable, not copyable.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace inboxhop {

// `Traits` names the handle type, the value that means "none" and how to
// close one.
template <typename Traits>
class Scoped {
public:
    using Handle = typename Traits::Handle;

    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::None(); }
    Handle release() { return std::exchange(handle_, Traits::None()); }
    void reset(Handle handle = Traits::None()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::None()) Traits::Close(old);
    }
    // For functions that hand a new handle out through a pointer.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::None();
};

// Most handles mean "none" with null; files and find searches use
// INVALID_HANDLE_VALUE.
template <typename H, auto CloseFunction>
struct NullIsNone {
    using Handle = H;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { CloseFunction(h); }
};
template <auto CloseFunction>
struct InvalidIsNone {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseFunction(h); }
};

using ScopedHandle = Scoped<NullIsNone<HANDLE, &::CloseHandle>>;
using ScopedFile = Scoped<InvalidIsNone<&::CloseHandle>>;
using ScopedFind = Scoped<InvalidIsNone<&::FindClose>>;
using ScopedRegKey = Scoped<NullIsNone<HKEY, &::RegCloseKey>>;
using ScopedFont = Scoped<NullIsNone<HFONT, &::DeleteObject>>;
using ScopedBrush = Scoped<NullIsNone<HBRUSH, &::DeleteObject>>;
using ScopedCursor = Scoped<NullIsNone<HCURSOR, &::DestroyCursor>>;
using ScopedLocalMemory = Scoped<NullIsNone<HLOCAL, &::LocalFree>>;
// A text that COM hands out, allocated for the caller to free.
using ScopedCoTaskString = Scoped<NullIsNone<LPWSTR, &::CoTaskMemFree>>;

// A GDI object selected into a device context; the one it replaced goes back
// in when this goes out of scope.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), replaced_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (replaced_ && replaced_ != HGDI_ERROR) SelectObject(dc_, replaced_);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ replaced_;
};

// A window's device context, released to its window.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A COM interface pointer that releases its reference.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    // For CoCreateInstance and friends, which hand the pointer out as void**.
    void** put_void() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    Interface* p_ = nullptr;
};

}  // namespace inboxhop
