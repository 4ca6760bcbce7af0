#include "ui/framework/UiGothicDialog.h"

int CUiGothicDialog::OnInitDialog()
{
    ReplaceControlsFontFace(s_triggerFace, s_controlsFace);
    return CDialog::OnInitDialog();
}

int CUiGothicDialog::ReplaceControlsFontFace(const CText& matchFace, const CText& newFace)
{
    LOGFONTA font;
    // A face there was no room for matches nothing.
    if (!GetFontRecord(font) || matchFace.IsEmpty() || matchFace != CText(font.lfFaceName))
        return 0;
    return SetControlsFontFace(newFace);
}
