#include "ui/ending/EndingDlg.h"

#include "resources/ResourceIds.h"

int CEndingDlg::Create()
{
    CWindow desktop(GetDesktopWindow());
    return CreateModeless(&desktop, IDD_ENDING);
}

int CEndingDlg::Show(int showCommand)
{
    int result = ShowWindow(showCommand);
    if (showCommand == SW_SHOW)
        UpdateWindow();
    return result;
}

int CEndingDlg::OnInitDialog()
{
    if (m_topMost)
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    CUiGothicDialog::OnInitDialog();
    return 1;
}
