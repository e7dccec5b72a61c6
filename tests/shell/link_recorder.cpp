// Stands in for a web browser in the link tests:
//   link_recorder <file> <argument>...
// writes the arguments (joined by blanks, UTF-8) to <file>, which appears
// whole or not at all.
#include <cstdio>
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    std::wstring strText = argv[2];
    for (int i = 3; i < argc; ++i)
        strText += std::wstring(L" ") + argv[i];
    const int nSize = ::WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (nSize <= 0)
        return 3;
    std::string strUtf8(static_cast<size_t>(nSize), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), -1, &strUtf8[0], nSize, nullptr, nullptr);
    strUtf8.resize(static_cast<size_t>(nSize) - 1);

    const std::wstring strPart = std::wstring(argv[1]) + L".part";
    FILE* pFile = ::_wfopen(strPart.c_str(), L"wb");
    if (pFile == nullptr)
        return 4;
    const bool bWritten = std::fwrite(strUtf8.data(), 1, strUtf8.size(), pFile) == strUtf8.size();
    if (std::fclose(pFile) != 0 || !bWritten)
        return 5;
    return ::MoveFileExW(strPart.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 6;
}
