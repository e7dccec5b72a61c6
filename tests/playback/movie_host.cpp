#include "movie_host.h"

#include "MessagePump.h"

#include "MovieWndDefs.h"

namespace {
const wchar_t MH_CLASS[] = L"VistrelMovieHost";
}

CMovieHost::CMovieHost(int cx, int cy)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CMovieHost::HostProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = MH_CLASS;
    ::RegisterClassW(&wc);  // fails harmlessly when already registered
    m_hWnd =
        ::CreateWindowExW(WS_EX_TOPMOST, MH_CLASS, L"movie host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                          0, cx, cy, nullptr, nullptr, wc.hInstance, this);
    m_wnd.Attach(m_hWnd);
    ::UpdateWindow(m_hWnd);
}

CMovieHost::~CMovieHost()
{
    m_wnd.Detach();
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CMovieHost::HostProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_NCCREATE) {
        auto* pcs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pcs->lpCreateParams));
    }
    auto* pThis = reinterpret_cast<CMovieHost*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pThis != nullptr) {
        if (nMsg == WM_MOVIE_NOTIFY) {
            pThis->m_notes.emplace_back(wParam, lParam);
            return 0;
        }
        if (nMsg == WM_CLOSE) {
            ++pThis->m_nCloses;  // recorded, not carried out
            return 0;
        }
    }
    return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

bool CMovieHost::PumpUntil(const std::function<bool()>& pred, DWORD nTimeoutMs)
{
    return ::PumpUntil(pred, nTimeoutMs);
}

void CMovieHost::PumpFor(DWORD nMs)
{
    const DWORD dwStart = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - dwStart >= nMs; }, nMs + 1000);
}

bool CMovieHost::HasState(LPARAM nState, size_t nFrom) const
{
    for (size_t i = nFrom; i < m_notes.size(); ++i)
        if (m_notes[i].first == MN_STATE && m_notes[i].second == nState)
            return true;
    return false;
}

COLORREF ReadWindowPixel(HWND hWnd, int x, int y)
{
    CClientDC dc(hWnd);
    CMemoryDC mem(dc.Get());
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = 1;
    bmi.bmiHeader.biHeight = 1;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    CGdiObject<HBITMAP> bitmap(::CreateDIBSection(dc.Get(), &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bitmap || pBits == nullptr)
        return CLR_INVALID;
    {
        CScopedSelectObject select(mem.Get(), bitmap.Get());
        ::BitBlt(mem.Get(), 0, 0, 1, 1, dc.Get(), x, y, SRCCOPY);
    }
    ::GdiFlush();
    const DWORD dw = *static_cast<const DWORD*>(pBits);
    return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}
