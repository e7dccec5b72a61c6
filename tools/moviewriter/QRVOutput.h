// Byte sinks for the movie writer: a file, or memory for tests. Positions are
// 64-bit so that larger (OpenDML) files can use the same sinks later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class QRVOutput {
public:
    virtual ~QRVOutput() = default;
    virtual bool Write(const uint8_t* p, size_t n) = 0;
    // Moves the write position; seeking past the end leaves a gap of zeros.
    virtual bool Seek(uint64_t nPos) = 0;
    virtual uint64_t Tell() const = 0;
    // Flushes and releases the target; false when data could not be stored.
    virtual bool Finish() = 0;

    bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
};

class QRVMemoryOutput : public QRVOutput {
public:
    bool Write(const uint8_t* p, size_t n) override;
    bool Seek(uint64_t nPos) override;
    uint64_t Tell() const override { return m_nPos; }
    bool Finish() override { return true; }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_nPos = 0;
};

class QRVFileOutput : public QRVOutput {
public:
    QRVFileOutput() = default;
    ~QRVFileOutput() override;
    QRVFileOutput(const QRVFileOutput&) = delete;
    QRVFileOutput& operator=(const QRVFileOutput&) = delete;

    // Creates or truncates the file (the path in the system's narrow encoding).
    bool Open(const std::string& strPath);
#ifdef _WIN32
    bool Open(const std::wstring& strPath);
#endif

    bool Write(const uint8_t* p, size_t n) override;
    bool Seek(uint64_t nPos) override;
    uint64_t Tell() const override
    {
        return m_nPos;
    }
    bool Finish() override;

private:
    std::FILE* m_pFile = nullptr;
    uint64_t m_nPos = 0;
    bool m_bFailed = false;
};
