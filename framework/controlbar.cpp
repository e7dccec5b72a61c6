#include "controlbar.h"

#include "framewnd.h"

CControlBar::~CControlBar()
{
    if (m_pDockFrame != nullptr)
        m_pDockFrame->RemoveControlBar(this);
}

int CControlBar::CalcHeight(int nWidth)
{
    const RECT rc = GetWindowRect();
    return rc.bottom - rc.top;
}
