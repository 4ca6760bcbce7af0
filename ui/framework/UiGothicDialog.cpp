#include "ui/framework/UiGothicDialog.h"

int CUiGothicDialog::OnInitDialog()
{
    ReplaceControlsFontFace(s_triggerFace, s_controlsFace);
    return CDialog::OnInitDialog();
}

int CUiGothicDialog::ReplaceControlsFontFace(const std::string& matchFace,
                                             const std::string& newFace)
{
    LOGFONTA font;
    if (!GetFontRecord(font) || matchFace != font.lfFaceName)
        return 0;
    return SetControlsFontFace(newFace);
}
