#include "ui/ending/SetupDlg.h"

#include "settings/ModuleInstance.h"

namespace {

const WORD kSetupTemplate = 105;
const int kPluginIcon = 104;
const int kDialogBox = 1000;
const int kIconBox = 1001;
const int kHideBox = 1003;
const int kTopMostBox = 1004;
const int kAnimationBox = 1005;

struct CBox {
    int id;
    int CSetupDlg::*field;
};

// The order in which the boxes are set and read.
const CBox kBoxes[] = {
    {kDialogBox, &CSetupDlg::m_endingDialog},
    {kTopMostBox, &CSetupDlg::m_endingDialogTopMost},
    {kIconBox, &CSetupDlg::m_endingIcon},
    {kAnimationBox, &CSetupDlg::m_endingIconAnimation},
    {kHideBox, &CSetupDlg::m_hideBecky},
};

HICON LoadPluginIcon(int size)
{
    return static_cast<HICON>(LoadImageA(GetModuleInstance(), MAKEINTRESOURCEA(kPluginIcon),
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
    m_endingDialog = 1;
    m_endingDialogTopMost = 0;
    m_endingIcon = 1;
    m_endingIconAnimation = 1;
    m_hideBecky = 1;
}

INT_PTR CSetupDlg::DoModal(CWindow* parent)
{
    PrepareModal(parent, kSetupTemplate);
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
    for (const CBox& box : kBoxes)
        SetChecked(box.id, this->*box.field);
    UpdateControls();
    CUiGothicDialog::OnInitDialog();
    return 1;
}

void CSetupDlg::UpdateControls()
{
    m_endingDialog = IsChecked(kDialogBox);
    if (CWindow* topMost = GetDlgItem(kTopMostBox))
        topMost->EnableWindow(m_endingDialog);
    m_endingIcon = IsChecked(kIconBox);
    if (CWindow* animation = GetDlgItem(kAnimationBox))
        animation->EnableWindow(m_endingIcon);
}

int CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == kDialogBox || LOWORD(wParam) == kIconBox)) {
        UpdateControls();
        return 1;
    }
    return CUiGothicDialog::OnCommand(wParam, lParam);
}

int CSetupDlg::OnOK()
{
    for (const CBox& box : kBoxes)
        this->*box.field = IsChecked(box.id);
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
