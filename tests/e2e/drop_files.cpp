// Drags files onto the running player as a file manager would: through
// OLE drag and drop from this second process, with the cursor over the
// middle of the player's window.
//
//   e2e_drop_files PATH...
//
// Exit code 0 when the player took the drop (copy effect), 1 when it
// refused it, 2 when there is no player window or no drag.
#include <cstdio>
#include <string>
#include <vector>

#include "DropData.h"
#include "PlayerApp.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_drop_files PATH...\n");
        return 2;
    }
    HWND hPlayer = ::FindWindowW(PLAYER_CLASS_NAME, nullptr);
    if (hPlayer == nullptr || FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "e2e_drop_files: no player window\n");
        return 2;
    }
    RECT rc{};
    ::GetClientRect(hPlayer, &rc);
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(hPlayer, &pt);
    std::vector<std::wstring> names(argv + 1, argv + argc);
    DWORD dwEffect = DROPEFFECT_NONE;
    const HRESULT hr = DragFilesTo(pt, names, false, dwEffect);
    ::OleUninitialize();
    std::printf("drag at %ld,%ld: result %lx, effect %lu\n", pt.x, pt.y, static_cast<unsigned long>(hr),
                static_cast<unsigned long>(dwEffect));
    if (hr == DRAGDROP_S_DROP && dwEffect == DROPEFFECT_COPY)
        return 0;
    return hr == DRAGDROP_S_CANCEL ? 1 : 2;
}
