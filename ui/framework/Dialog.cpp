#include "ui/framework/Dialog.h"

#include <string.h>

#include "settings/ModuleInstance.h"

namespace {

// The control font belongs to the dialog window, which releases it at its last message,
// after its controls are gone.
const char kControlsFontProperty[] = "Tolvanix.ControlsFont";

void ReleaseControlsFont(HWND dialog)
{
    if (HANDLE font = RemovePropA(dialog, kControlsFontProperty))
        DeleteObject(static_cast<HFONT>(font));
}

BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font)
{
    SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

CDialog::CDialog()
{
    m_asDialog = this;
}

CDialog::~CDialog() = default;

int CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == 0) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 1;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 1;
        }
    }
    return CWindow::OnCommand(wParam, lParam);
}

void CDialog::OnClose()
{
    OnCancel();
}

void CDialog::OnActivate(UINT state, CWindow*, int)
{
    if (state == WA_INACTIVE)
        m_savedFocus = GetFocus();
    else if ((state == WA_ACTIVE || state == WA_CLICKACTIVE) && m_savedFocus)
        SetFocus(m_savedFocus);
}

int CDialog::OnInitDialog()
{
    return 1;
}

int CDialog::OnOK()
{
    return EndDialog(m_hWnd, IDOK);
}

int CDialog::OnCancel()
{
    return EndDialog(m_hWnd, IDCANCEL);
}

int CDialog::CreateModeless(CWindow* parent, int templateId)
{
    if (m_hWnd)
        return 0;
    HWND window = CreateDialogParamA(GetModuleInstance(), MAKEINTRESOURCEA(LOWORD(templateId)),
                                     parent ? parent->m_hWnd : nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return window ? 1 : 0;
}

void CDialog::PrepareModal(CWindow* parent, WORD templateId)
{
    m_parent = parent;
    m_templateId = templateId;
}

INT_PTR CDialog::RunModal()
{
    m_runningModal = true;
    const INT_PTR result =
        DialogBoxParamA(GetModuleInstance(), MAKEINTRESOURCEA(m_templateId),
                        m_parent ? m_parent->m_hWnd : nullptr, DialogProc,
                        reinterpret_cast<LPARAM>(this));
    m_runningModal = false;
    return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
        ReleaseControlsFont(window);
    CWindow* registered = Lookup(window);
    CDialog* dialog = registered ? registered->AsDialog() : nullptr;
    if (!dialog && message == WM_INITDIALOG && lParam) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        // Without room to register, no button or key would reach the object, and a modal run
        // would leave its owner disabled for good: it ends as Cancel does.
        if (!dialog->Register() && dialog->m_runningModal) {
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
    }
    if (dialog && message == WM_INITDIALOG) {
        if (int result = dialog->OnInitDialog())
            return result;
    }
    return RouteMessage(window, message, wParam, lParam);
}

CWindow* CDialog::GetDlgItem(int id)
{
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control)
        return nullptr;
    CWindow* wrapper = m_controls.Find(control);
    return wrapper ? wrapper : m_controls.Make(control);
}

bool CDialog::GetFontRecord(LOGFONTA& font)
{
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0));
    return GetObjectA(dialogFont, sizeof(font), &font) != 0;
}

int CDialog::SetControlsFontFace(const CText& faceName)
{
    LOGFONTA font;
    if (!GetFontRecord(font))
        return 0;
    if (faceName.Length() >= sizeof(font.lfFaceName))
        return 0;
    memcpy(font.lfFaceName, faceName.Chars(), faceName.Length() + 1);
    HFONT controlsFont = CreateFontIndirectA(&font);
    if (!controlsFont)
        return 0;
    // The window takes the font before the controls do: a font it could not take would never
    // be released, and the controls keep the one they have.
    HANDLE previous = GetPropA(m_hWnd, kControlsFontProperty);
    if (!SetPropA(m_hWnd, kControlsFontProperty, controlsFont)) {
        DeleteObject(controlsFont);
        return 0;
    }
    EnumChildWindows(m_hWnd, SetFontOnChild, reinterpret_cast<LPARAM>(controlsFont));
    if (previous)
        DeleteObject(static_cast<HFONT>(previous));
    return 1;
}
