#pragma once

#include <windows.h>

#include <utility>

// Owners of the few kinds of handle this program opens; each closes on every path.

class RegKey {
  public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

class FindHandle {
  public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (valid()) FindClose(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

// A handle freed by `Free` when it goes out of scope.
template <class T, class Free> class Owned {
  public:
    explicit Owned(T h = nullptr) : h_(h) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (h_) Free{}(h_);
    }
    T get() const { return h_; }
    T* put() { return &h_; }
    void swap(Owned& other) { std::swap(h_, other.h_); }

  private:
    T h_;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DestroyIconHandle {
    void operator()(HICON h) const { DestroyIcon(h); }
};

struct CloseKernelHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
};

// A GDI object (pen, brush, font), an icon loaded at a size of our choosing, and a kernel
// object (a token, a process).
template <class T> using GdiObject = Owned<T, DeleteGdiObject>;
using IconHandle = Owned<HICON, DestroyIconHandle>;
using KernelHandle = Owned<HANDLE, CloseKernelHandle>;

// A COM interface, released when it goes out of scope.
template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() { return &p_; }
    void** put_void() { return reinterpret_cast<void**>(&p_); }
    // This object's interface U; fails, as QueryInterface does, when it has none.
    template <class U> HRESULT As(ComPtr<U>& out) const {
        return p_ ? p_->QueryInterface(__uuidof(U), out.put_void()) : E_POINTER;
    }

  private:
    T* p_ = nullptr;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectInDc {
  public:
    SelectInDc(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    SelectInDc(const SelectInDc&) = delete;
    SelectInDc& operator=(const SelectInDc&) = delete;
    ~SelectInDc() { SelectObject(dc_, old_); }

  private:
    HDC dc_;
    HGDIOBJ old_;
};
