// avi-frame: opens a movie through the player's AVI file facade, lists its
// streams and writes the picture for a time or a frame number as a BMP file.
// The work is a function so that tests can run it in process.
#pragma once

#include <string>
#include <vector>

// Runs the tool with the arguments after the program name; what it prints
// goes to strOut and strErr (UTF-8). The exit code: 0 done, 1 failed, 2 bad
// arguments.
int AviFrameRun(const std::vector<std::wstring>& args, std::string& strOut, std::string& strErr);

// Usage text.
const char* AviFrameUsage();
