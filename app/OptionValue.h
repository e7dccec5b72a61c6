// Values of the P, Z and BC options. They are read from the whole
// command-line text, not from the split argument: the first "/" + marker
// counts, failing that the first "-" + marker, and the value may stand
// apart from its option or contain blanks.
#pragma once

#include <string>
#include <windows.h>

// The text after the first "/" + strMarker (else "-" + strMarker) in
// strUpperLine, leading white space removed; false when neither occurs.
// strUpperLine is the upper-cased command line; strMarker is upper case.
bool FindOptionValue(const std::wstring& strUpperLine, const std::wstring& strMarker, std::wstring& strValue);

// Two numbers "a ,b" (blanks allowed before the comma and before each
// number). Numbers beyond the int range saturate.
bool ScanNumberPair(const std::wstring& strValue, int& nFirst, int& nSecond);
// Two percentages "a% ,b%"; the second sign may be missing.
bool ScanPercentPair(const std::wstring& strValue, int& nFirst, int& nSecond);
// "RGB(r ,g ,b)": one or more R, G, B each, then the three numbers in
// parentheses; each component is clamped to 0..255.
bool ScanRgbColor(const std::wstring& strValue, COLORREF& crColor);
