#include "RuntimeArgs.h"

#include <cstdlib>
#include <memory>
#include <utility>
#include <windows.h>
#include <shellapi.h>

namespace {

const CArgumentVector* g_pOverride = nullptr;

struct CLocalFreeDeleter {
    void operator()(LPWSTR* p) const { ::LocalFree(p); }
};

}  // namespace

CArgumentVector SplitCommandLine(const std::wstring& strCommandLine)
{
    CArgumentVector args;
    int nCount = 0;
    std::unique_ptr<LPWSTR, CLocalFreeDeleter> argv(::CommandLineToArgvW(strCommandLine.c_str(), &nCount));
    if (!argv)
        return args;
    for (int i = 0; i < nCount; ++i)
        args.emplace_back(argv.get()[i] != nullptr ? argv.get()[i] : L"");
    return args;
}

CArgumentVector GetRuntimeArguments()
{
    if (g_pOverride != nullptr)
        return *g_pOverride;
    wchar_t** wargv = __wargv;
    const int nCount = __argc;
    if (wargv == nullptr)
        return SplitCommandLine(::GetCommandLineW());
    CArgumentVector args;
    for (int i = 0; i < nCount && wargv[i] != nullptr; ++i)
        args.emplace_back(wargv[i]);
    return args;
}

CRuntimeArgumentsOverride::CRuntimeArgumentsOverride(CArgumentVector args)
    : m_args(std::move(args)), m_pPrevious(g_pOverride)
{
    g_pOverride = &m_args;
}

CRuntimeArgumentsOverride::~CRuntimeArgumentsOverride()
{
    g_pOverride = m_pPrevious;
}
