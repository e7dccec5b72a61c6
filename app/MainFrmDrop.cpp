// The main frame's side of dropped files: which drags it accepts, and the
// movie a drop opens.
#include "MainFrm.h"

DROPEFFECT CMainFrame::OnDragEnterFiles(COleDataObject* pDataObject, DWORD /*dwKeyState*/, POINT /*point*/)
{
    // One look at the names per entry: the drags over it reuse the answer.
    if (m_pDropTarget && m_pDropTarget->IsInDrag())
        return m_pDropTarget->GetLastEffect();
    // A dialog of the program is open.
    if (::GetLastActivePopup(m_hWnd) != m_hWnd)
        return DROPEFFECT_NONE;
    QRVUtlDragAndDropFiles files;
    return files.CollectFiles(pDataObject, IsAviFile) > 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

DROPEFFECT CMainFrame::OnDragOverFiles(COleDataObject* pDataObject, DWORD dwKeyState, POINT point)
{
    return OnDragEnterFiles(pDataObject, dwKeyState, point);
}

BOOL CMainFrame::OnDropFiles(COleDataObject* pDataObject, DROPEFFECT /*dropEffect*/, POINT /*point*/)
{
    QRVUtlDragAndDropFiles files;
    if (files.CollectFiles(pDataObject, IsAviFile) > 0) {
        std::vector<std::wstring> names;
        files.GetFiles(names);
        m_strDroppedFile = names.front();
        PostMessage(WM_OPEN_DROPPED_FILE);
    }
    return TRUE;
}
