#include "ui/ending/SetupDlg.h"

#include "plugin/Switches.h"
#include "settings/ModuleInstance.h"

namespace {

HICON LoadPluginIcon(int size)
{
    return static_cast<HICON>(LoadImageA(GetModuleInstance(), MAKEINTRESOURCEA(IDI_PLUGIN),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

CSetupDlg::CSetupDlg()
{
    CSetupDlg::SetDefaults();
}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::SetDefaults()
{
    for (const CSwitch& item : kSwitches)
        this->*item.choice = item.defaultValue;
}

INT_PTR CSetupDlg::DoModal(CWindow* parent)
{
    PrepareModal(parent, IDD_SETUP);
    INT_PTR result = RunModal();
    // The window is gone: nothing shows the caption icons any more.
    m_smallIcon.reset();
    m_bigIcon.reset();
    return result;
}

int CSetupDlg::OnInitDialog()
{
    m_smallIcon.reset(LoadPluginIcon(16));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
    m_bigIcon.reset(LoadPluginIcon(32));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    for (const CSwitch& item : kSwitches)
        SetChecked(item.checkBox, this->*item.choice);
    UpdateControls();
    CUiGothicDialog::OnInitDialog();
    return 1;
}

void CSetupDlg::UpdateControls()
{
    m_endingDialog = IsChecked(IDC_DIALOG);
    if (CWindow* topMost = GetDlgItem(IDC_TOP_MOST))
        topMost->EnableWindow(m_endingDialog);
    m_endingIcon = IsChecked(IDC_TASKTRAY_ICON);
    if (CWindow* animation = GetDlgItem(IDC_ANIMATION))
        animation->EnableWindow(m_endingIcon);
}

int CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int box = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && (box == IDC_DIALOG || box == IDC_TASKTRAY_ICON)) {
        UpdateControls();
        return 1;
    }
    return CUiGothicDialog::OnCommand(wParam, lParam);
}

int CSetupDlg::OnOK()
{
    for (const CSwitch& item : kSwitches)
        this->*item.choice = IsChecked(item.checkBox);
    return CUiGothicDialog::OnOK();
}

int CSetupDlg::IsChecked(int id)
{
    CWindow* box = GetDlgItem(id);
    return box && box->SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CSetupDlg::SetChecked(int id, int checked)
{
    // Any non-zero switch is on; a 2 read from the file must not become "indeterminate".
    if (CWindow* box = GetDlgItem(id))
        box->SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
