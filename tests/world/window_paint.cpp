// Shows a window whose client area is painted in four known colours,
// prints its client rectangle in screen coordinates, and closes when a line
// arrives on standard input. window_paint_test.sh reads the pixels back from
// the X display to prove that the window really reached the screen.
#include <windows.h>
#include <cstdio>

namespace {

const COLORREF QUADRANT_COLOURS[4] = {RGB(255, 0, 0), RGB(0, 200, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        const int midX = rc.right / 2, midY = rc.bottom / 2;
        const RECT parts[4] = {{0, 0, midX, midY},
                               {midX, 0, rc.right, midY},
                               {0, midY, midX, rc.bottom},
                               {midX, midY, rc.right, rc.bottom}};
        for (int i = 0; i < 4; ++i) {
            HBRUSH brush = CreateSolidBrush(QUADRANT_COLOURS[i]);
            FillRect(dc, &parts[i], brush);
            DeleteObject(brush);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD WINAPI WaitForLine(LPVOID param)
{
    char line[64];
    if (!fgets(line, sizeof line, stdin)) { /* end of input closes as well */
    }
    PostMessageW(static_cast<HWND>(param), WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"WorldPaintTest";
    if (!RegisterClassW(&wc))
        return 2;

    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"paint test", WS_POPUP | WS_VISIBLE, 100,
                                120, 240, 160, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 3;
    UpdateWindow(hwnd);
    GdiFlush();

    RECT rc;
    GetClientRect(hwnd, &rc);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    printf("READY %ld %ld %ld %ld\n", origin.x, origin.y, rc.right, rc.bottom);
    for (int i = 0; i < 4; ++i)
        printf("COLOUR %d %d %d\n", GetRValue(QUADRANT_COLOURS[i]), GetGValue(QUADRANT_COLOURS[i]),
               GetBValue(QUADRANT_COLOURS[i]));
    fflush(stdout);

    HANDLE reader = CreateThread(nullptr, 0, WaitForLine, hwnd, 0, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (reader) {
        WaitForSingleObject(reader, 5000);
        CloseHandle(reader);
    }
    return 0;
}
