#include "ui/framework/UiGothicDialog.h"

int CUiGothicDialog::OnInitDialog()
{
    ReplaceControlsFontFace(s_triggerFace, s_controlsFace);
    return CDialog::OnInitDialog();
}

int CUiGothicDialog::ReplaceControlsFontFace(const std::string& matchFace,
                                             const std::string& newFace)
{
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0));
    LOGFONTA font;
    if (GetObjectA(dialogFont, sizeof(font), &font) == 0)
        return 0;
    if (matchFace != font.lfFaceName)
        return 0;
    return SetControlsFontFace(newFace);
}
