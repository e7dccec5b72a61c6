// avi-frame.exe: see AviFrameTool.h.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AviFrameTool.h"

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; argv != nullptr && i < argc; ++i)
        args.emplace_back(argv[i]);
    if (argv != nullptr)
        LocalFree(argv);
    std::string strOut;
    std::string strErr;
    const int nResult = AviFrameRun(args, strOut, strErr);
    std::fwrite(strOut.data(), 1, strOut.size(), stdout);
    std::fwrite(strErr.data(), 1, strErr.size(), stderr);
    return nResult;
}
