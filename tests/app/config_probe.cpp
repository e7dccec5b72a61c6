// Helper program of the parsing tests. It parses its own command line as
// the player does, so the runtime has split the arguments, and writes to
// its standard output (UTF-8): the configuration (see config_dump.h), then
// "box=<string id>|<insertion>..." for each message box it would have
// shown, then "arg=<argument>" for each runtime argument after the program,
// and "runtime=1" when those came from the runtime's own vector.
#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

#include "PlayerConfig.h"
#include "RuntimeArgs.h"
#include "config_dump.h"
#include "msgbox.h"

namespace {

void WriteUtf8(const std::wstring& str)
{
    if (str.empty())
        return;
    int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), nullptr, 0,
                                       nullptr, nullptr);
    if (nBytes <= 0)
        return;
    std::string strOut(static_cast<size_t>(nBytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), &strOut[0], nBytes, nullptr,
                          nullptr);
    HANDLE hOut = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const char* p = strOut.data();
    DWORD nLeft = static_cast<DWORD>(strOut.size());
    while (nLeft > 0) {
        DWORD nWritten = 0;
        if (!::WriteFile(hOut, p, nLeft, &nWritten, nullptr) || nWritten == 0)
            return;
        p += nWritten;
        nLeft -= nWritten;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR lpCmdLine, int)
{
    CMessageBoxCapture capture;
    CPlayerConfig config;
    config.ParseCommandLine(lpCmdLine);

    std::wstring strOut = DumpConfig(config);
    for (const CMessageBoxRecord& record : capture.Records()) {
        strOut += L"box=" + std::to_wstring(record.nIDPrompt);
        for (const std::wstring& strInsertion : record.insertions)
            strOut += L"|" + strInsertion;
        strOut += L"\n";
    }
    CArgumentVector args = GetRuntimeArguments();
    for (size_t i = 1; i < args.size(); ++i)
        strOut += L"arg=" + args[i] + L"\n";
    strOut += __wargv != nullptr ? L"runtime=1\n" : L"runtime=0\n";
    WriteUtf8(strOut);
    return 0;
}
