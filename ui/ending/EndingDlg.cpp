#include "ui/ending/EndingDlg.h"

namespace {

const int kEndingTemplate = 101;

}  // namespace

int CEndingDlg::Create()
{
    CWindow desktop(GetDesktopWindow());
    return CreateModeless(&desktop, kEndingTemplate);
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
