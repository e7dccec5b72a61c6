#include "view.h"

#include "framewnd.h"
#include "gdiguards.h"
#include "wndclass.h"

bool CView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (cs.lpszClass == nullptr) {
        cs.lpszClass = AfxDefaultWndClass();
        if (cs.lpszClass == nullptr)
            return false;
    }
    if (cs.style & WS_BORDER) {
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
        cs.style &= ~static_cast<LONG>(WS_BORDER);
    }
    return true;
}

void CView::OnInitialUpdate()
{
    Invalidate();
}

CFrameWnd* CView::GetParentFrame() const
{
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        if (auto* pFrame = dynamic_cast<CFrameWnd*>(FromHandle(hWnd)))
            return pFrame;
    }
    return nullptr;
}

LRESULT CView::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        OnDraw(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        OnDraw(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_INITIALUPDATE:
        OnInitialUpdate();
        return 0;
    case WM_DESTROY:
        if (CFrameWnd* pFrame = GetParentFrame()) {
            if (pFrame->GetActiveView() == this)
                pFrame->SetActiveView(nullptr);
        }
        break;
    }
    return CWnd::WindowProc(nMsg, wParam, lParam);
}
