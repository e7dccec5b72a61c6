// OLE on the calling thread for the guard's lifetime, when it could be had.
#pragma once

#include <windows.h>
#include <ole2.h>

class COleInitialize {
public:
    COleInitialize() : m_bInitialized(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~COleInitialize()
    {
        if (m_bInitialized)
            ::OleUninitialize();
    }
    COleInitialize(const COleInitialize&) = delete;
    COleInitialize& operator=(const COleInitialize&) = delete;

    bool IsInitialized() const { return m_bInitialized; }

private:
    const bool m_bInitialized;
};
