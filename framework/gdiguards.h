// RAII guards for GDI resources, one resource each.
#pragma once

#include <utility>
#include <windows.h>

// Owns a GDI object (bitmap, brush, palette, ...); deletes it at the end.
template <class THandle> class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(THandle h) : m_h(h) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_h, nullptr));
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    THandle Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(THandle h = nullptr)
    {
        if (m_h != nullptr)
            ::DeleteObject(m_h);
        m_h = h;
    }
    THandle Release() { return std::exchange(m_h, nullptr); }

private:
    THandle m_h = nullptr;
};

// Selects an object into a DC and selects the previous one back.
class CScopedSelectObject {
public:
    CScopedSelectObject(HDC hDC, HGDIOBJ hObject)
        : m_hDC(hDC), m_hOld(hObject != nullptr ? ::SelectObject(hDC, hObject) : nullptr)
    {
    }
    ~CScopedSelectObject()
    {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    CScopedSelectObject(const CScopedSelectObject&) = delete;
    CScopedSelectObject& operator=(const CScopedSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Selects a palette into a DC (optionally realising it) and restores the old one.
class CScopedSelectPalette {
public:
    CScopedSelectPalette(HDC hDC, HPALETTE hPalette, bool bRealize)
        : m_hDC(hDC), m_hOld(hPalette != nullptr ? ::SelectPalette(hDC, hPalette, FALSE) : nullptr)
    {
        if (hPalette != nullptr && bRealize)
            ::RealizePalette(hDC);
    }
    ~CScopedSelectPalette()
    {
        if (m_hOld != nullptr)
            ::SelectPalette(m_hDC, m_hOld, FALSE);
    }
    CScopedSelectPalette(const CScopedSelectPalette&) = delete;
    CScopedSelectPalette& operator=(const CScopedSelectPalette&) = delete;

private:
    HDC m_hDC;
    HPALETTE m_hOld;
};

// Saves a DC's state (clipping, selections) and restores it.
class CScopedSaveDC {
public:
    explicit CScopedSaveDC(HDC hDC) : m_hDC(hDC), m_nSaved(::SaveDC(hDC)) {}
    ~CScopedSaveDC()
    {
        if (m_nSaved != 0)
            ::RestoreDC(m_hDC, m_nSaved);
    }
    CScopedSaveDC(const CScopedSaveDC&) = delete;
    CScopedSaveDC& operator=(const CScopedSaveDC&) = delete;

private:
    HDC m_hDC;
    int m_nSaved;
};

// A window's client DC, released at the end.
class CClientDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hDC != nullptr)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// BeginPaint / EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_ps{}, m_hDC(::BeginPaint(hWnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return m_hDC; }
    const PAINTSTRUCT& PaintStruct() const { return m_ps; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;
    HDC m_hDC;
};

// A memory DC compatible with another (or the screen), deleted at the end.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC hDCCompatible = nullptr) : m_hDC(::CreateCompatibleDC(hDCCompatible)) {}
    ~CMemoryDC()
    {
        if (m_hDC != nullptr)
            ::DeleteDC(m_hDC);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HDC m_hDC;
};
