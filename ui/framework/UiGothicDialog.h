#pragma once

#include "ui/framework/Dialog.h"

// A dialog whose Japanese template font is replaced on its controls by the UI font.
class CUiGothicDialog : public CDialog {
public:
    ~CUiGothicDialog() override = default;

    int OnInitDialog() override;
    // 1 when the dialog's font face is exactly matchFace and the controls got newFace.
    int ReplaceControlsFontFace(const std::string& matchFace, const std::string& newFace);

    // "ＭＳ Ｐゴシック" in code page 932: only a system with that ANSI code page reports it.
    static const std::string s_triggerFace;
    static const std::string s_controlsFace;
};
