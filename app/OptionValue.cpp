#include "OptionValue.h"

#include <climits>

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || (ch >= L'\t' && ch <= L'\r');
}

// Reads a value the way the runtime's formatted input does for "%d",
// " ", "," and "(": each step advances only when it matches.
class CValueScanner {
public:
    explicit CValueScanner(const std::wstring& str) : m_str(str) {}

    void SkipBlanks()
    {
        while (m_nPos < m_str.size() && IsBlank(m_str[m_nPos]))
            ++m_nPos;
    }

    bool Literal(wchar_t ch)
    {
        if (m_nPos >= m_str.size() || m_str[m_nPos] != ch)
            return false;
        ++m_nPos;
        return true;
    }

    // One or more characters equal to chUpper or chLower.
    bool Run(wchar_t chUpper, wchar_t chLower)
    {
        size_t nStart = m_nPos;
        while (m_nPos < m_str.size() && (m_str[m_nPos] == chUpper || m_str[m_nPos] == chLower))
            ++m_nPos;
        return m_nPos > nStart;
    }

    // Blanks, an optional sign and at least one decimal digit. Values
    // beyond the int range saturate, however many digits follow.
    bool Number(int& nValue)
    {
        SkipBlanks();
        size_t nPos = m_nPos;
        bool bNegative = false;
        if (nPos < m_str.size() && (m_str[nPos] == L'+' || m_str[nPos] == L'-')) {
            bNegative = m_str[nPos] == L'-';
            ++nPos;
        }
        const long long nLimit = bNegative ? -static_cast<long long>(INT_MIN) : INT_MAX;
        long long nMagnitude = 0;
        size_t nDigits = 0;
        while (nPos < m_str.size() && m_str[nPos] >= L'0' && m_str[nPos] <= L'9') {
            if (nMagnitude < nLimit)
                nMagnitude = nMagnitude * 10 + (m_str[nPos] - L'0');
            if (nMagnitude > nLimit)
                nMagnitude = nLimit;
            ++nPos;
            ++nDigits;
        }
        if (nDigits == 0)
            return false;
        m_nPos = nPos;
        nValue = static_cast<int>(bNegative ? -nMagnitude : nMagnitude);
        return true;
    }

private:
    const std::wstring& m_str;
    size_t m_nPos = 0;
};

int ClampComponent(int nValue)
{
    return nValue < 0 ? 0 : (nValue > 255 ? 255 : nValue);
}

}  // namespace

bool FindOptionValue(const std::wstring& strUpperLine, const std::wstring& strMarker, std::wstring& strValue)
{
    size_t nFound = strUpperLine.find(L"/" + strMarker);
    if (nFound == std::wstring::npos)
        nFound = strUpperLine.find(L"-" + strMarker);
    if (nFound == std::wstring::npos)
        return false;
    size_t nStart = nFound + 1 + strMarker.size();
    while (nStart < strUpperLine.size() && IsBlank(strUpperLine[nStart]))
        ++nStart;
    strValue = strUpperLine.substr(nStart);
    return true;
}

bool ScanNumberPair(const std::wstring& strValue, int& nFirst, int& nSecond)
{
    CValueScanner scan(strValue);
    int a = 0;
    int b = 0;
    if (!scan.Number(a))
        return false;
    scan.SkipBlanks();
    if (!scan.Literal(L',') || !scan.Number(b))
        return false;
    nFirst = a;
    nSecond = b;
    return true;
}

bool ScanPercentPair(const std::wstring& strValue, int& nFirst, int& nSecond)
{
    CValueScanner scan(strValue);
    int a = 0;
    int b = 0;
    if (!scan.Number(a) || !scan.Literal(L'%'))
        return false;
    scan.SkipBlanks();
    if (!scan.Literal(L',') || !scan.Number(b))
        return false;
    nFirst = a;
    nSecond = b;
    return true;
}

bool ScanRgbColor(const std::wstring& strValue, COLORREF& crColor)
{
    CValueScanner scan(strValue);
    int r = 0;
    int g = 0;
    int b = 0;
    if (!scan.Run(L'R', L'r') || !scan.Run(L'G', L'g') || !scan.Run(L'B', L'b'))
        return false;
    scan.SkipBlanks();
    if (!scan.Literal(L'(') || !scan.Number(r))
        return false;
    scan.SkipBlanks();
    if (!scan.Literal(L',') || !scan.Number(g))
        return false;
    scan.SkipBlanks();
    if (!scan.Literal(L',') || !scan.Number(b))
        return false;
    crColor = RGB(ClampComponent(r), ClampComponent(g), ClampComponent(b));
    return true;
}
