// Entry point of VistrelPlayer.exe.
#include "PlayerApp.h"

namespace {

CPlayerApp theApp;  // the program's one application object

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
