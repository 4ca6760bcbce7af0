#include "ui/ending/SetupDlg.h"

#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"

namespace {

// Where this dialog holds each switch and the check box that shows it: a row for each of the
// settings record's switches (kSwitchFields), in the same order, in which the boxes are set
// and read.
struct CSwitchBox {
    int CSetupDlg::*dialogMember;
    int checkBox;
};

const CSwitchBox kSwitchBoxes[] = {
    {&CSetupDlg::m_endingDialog, IDC_DIALOG_BOX},
    {&CSetupDlg::m_endingDialogTopMost, IDC_TOP_MOST_BOX},
    {&CSetupDlg::m_endingIcon, IDC_TASKTRAY_ICON_BOX},
    {&CSetupDlg::m_endingIconAnimation, IDC_ANIMATION_BOX},
    {&CSetupDlg::m_hideBecky, IDC_HIDE_BECKY_BOX},
};
static_assert(sizeof(kSwitchBoxes) / sizeof(kSwitchBoxes[0]) == kSwitchCount,
              "a box for each switch of the settings record");

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
    // The defaults are the settings record's own, which it is made with.
    CopyFrom(CEndingInfo());
}

void CSetupDlg::CopyFrom(const CEndingInfo& settings)
{
    for (size_t at = 0; at < kSwitchCount; ++at)
        this->*kSwitchBoxes[at].dialogMember = settings.*kSwitchFields[at].member;
}

void CSetupDlg::CopyTo(CEndingInfo& settings) const
{
    for (size_t at = 0; at < kSwitchCount; ++at)
        settings.*kSwitchFields[at].member = this->*kSwitchBoxes[at].dialogMember;
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
    for (const CSwitchBox& item : kSwitchBoxes)
        SetChecked(item.checkBox, this->*item.dialogMember);
    UpdateControls();
    CUiGothicDialog::OnInitDialog();
    return 1;
}

void CSetupDlg::UpdateControls()
{
    m_endingDialog = IsChecked(IDC_DIALOG_BOX);
    Box(IDC_TOP_MOST_BOX).EnableWindow(m_endingDialog);
    m_endingIcon = IsChecked(IDC_TASKTRAY_ICON_BOX);
    Box(IDC_ANIMATION_BOX).EnableWindow(m_endingIcon);
}

int CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int box = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && (box == IDC_DIALOG_BOX || box == IDC_TASKTRAY_ICON_BOX)) {
        UpdateControls();
        return 1;
    }
    return CUiGothicDialog::OnCommand(wParam, lParam);
}

int CSetupDlg::OnOK()
{
    for (const CSwitchBox& item : kSwitchBoxes)
        this->*item.dialogMember = IsChecked(item.checkBox);
    return CUiGothicDialog::OnOK();
}

CWindow& CSetupDlg::Box(int id)
{
    CWindow* box = GetDlgItem(id);
    if (box)
        return *box;
    // Without room for the dialog's own wrapper, a view of the box does the same: a box not set
    // or read would save a switch the user never changed.
    m_boxView.m_hWnd = ::GetDlgItem(m_hWnd, id);
    return m_boxView;
}

int CSetupDlg::IsChecked(int id)
{
    return Box(id).SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CSetupDlg::SetChecked(int id, int checked)
{
    // Any non-zero switch is on; a 2 read from the file must not become "indeterminate".
    Box(id).SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
