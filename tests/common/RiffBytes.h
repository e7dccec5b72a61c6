// RIFF files built byte by byte in tests, for shapes the writers never
// make (hostile sizes, odd orders).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Raw RIFF bytes put together by hand for tests: chunks and lists.
class CRiffBytes {
public:
    CRiffBytes& Chunk(const char* pszId, const std::vector<uint8_t>& data)
    {
        Id(pszId);
        Put32(static_cast<uint32_t>(data.size()));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        if (data.size() & 1u)
            m_bytes.push_back(0);
        return *this;
    }
    // Opens a list; End closes the innermost one.
    CRiffBytes& List(const char* pszList, const char* pszType)
    {
        Id(pszList);
        m_open.push_back(m_bytes.size());
        Put32(0);
        Id(pszType);
        return *this;
    }
    CRiffBytes& End()
    {
        const size_t nPos = m_open.back();
        m_open.pop_back();
        const uint32_t nSize = static_cast<uint32_t>(m_bytes.size() - nPos - 4);
        for (int i = 0; i < 4; ++i)
            m_bytes[nPos + i] = static_cast<uint8_t>(nSize >> (8 * i));
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    size_t Size() const { return m_bytes.size(); }

    void Id(const char* psz) { m_bytes.insert(m_bytes.end(), psz, psz + 4); }
    void Put32(uint32_t n)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<uint8_t>(n >> (8 * i)));
    }

private:
    std::vector<uint8_t> m_bytes;
    std::vector<size_t> m_open;
};
