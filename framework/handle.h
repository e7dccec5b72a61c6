// RAII owner of a kernel handle (thread, event, file ...).
#pragma once

#include <utility>
#include <windows.h>

class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(CHandle&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE Get() const { return m_h; }
    // Neither null nor INVALID_HANDLE_VALUE (the two ways calls fail).
    bool IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    void Close()
    {
        if (IsValid())
            ::CloseHandle(m_h);
        m_h = nullptr;
    }
    HANDLE Release() { return std::exchange(m_h, nullptr); }

private:
    HANDLE m_h = nullptr;
};
