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

// A GDI object (pen, brush, font) deleted when it goes out of scope.
template <class T> class GdiObject {
  public:
    explicit GdiObject(T h = nullptr) : h_(h) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() {
        if (h_) DeleteObject(h_);
    }
    T get() const { return h_; }
    void swap(GdiObject& other) { std::swap(h_, other.h_); }

  private:
    T h_;
};

// An icon loaded at a size of our choosing, destroyed when it goes out of scope.
class IconHandle {
  public:
    explicit IconHandle(HICON h = nullptr) : h_(h) {}
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    ~IconHandle() {
        if (h_) DestroyIcon(h_);
    }
    HICON get() const { return h_; }
    void swap(IconHandle& other) { std::swap(h_, other.h_); }

  private:
    HICON h_;
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
