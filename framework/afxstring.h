// String-table access and message formatting.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>
#include <windows.h>

// The string resource nID of the program, whatever its length; empty when
// there is none (see the overload to tell an empty string from none).
std::wstring AfxLoadString(UINT nID);
bool AfxLoadString(UINT nID, std::wstring& strOut);

// Inserts texts into a format:
//   %1 .. %9   the insertion with that number;
//   %s, %d     the next insertion in order (numbers come as their text);
//   %%         a single percent sign.
// A missing insertion gives nothing; any other "%" stays as it is.
std::wstring AfxFormatString(const std::wstring& strFormat, const std::vector<std::wstring>& insertions);
std::wstring AfxFormatString(const std::wstring& strFormat, std::initializer_list<std::wstring> insertions);
