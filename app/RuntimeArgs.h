// The program's arguments as the runtime split them (argument 0 is the
// program), and the seam through which tests hand in a vector of their own.
#pragma once

#include <string>
#include <vector>

using CArgumentVector = std::vector<std::wstring>;

// The runtime's wide argument vector. A program started without one (a
// narrow main) gets the system's split of its command line instead. While
// a CRuntimeArgumentsOverride lives, its vector.
CArgumentVector GetRuntimeArguments();

// The system's split of a whole command line (program name first).
CArgumentVector SplitCommandLine(const std::wstring& strCommandLine);

// Replaces the runtime's arguments while it lives (user-interface thread).
class CRuntimeArgumentsOverride {
public:
    explicit CRuntimeArgumentsOverride(CArgumentVector args);
    ~CRuntimeArgumentsOverride();
    CRuntimeArgumentsOverride(const CRuntimeArgumentsOverride&) = delete;
    CRuntimeArgumentsOverride& operator=(const CRuntimeArgumentsOverride&) = delete;

private:
    CArgumentVector m_args;
    const CArgumentVector* m_pPrevious;
};
