#pragma once

#include "ui/framework/Dialog.h"

// A dialog whose Japanese template font is replaced on its controls by the UI font.
class CUiGothicDialog : public CDialog {
public:
    ~CUiGothicDialog() override = default;

    int OnInitDialog() override;
    // 1 when the dialog's font face is exactly matchFace and the controls got newFace.
    int ReplaceControlsFontFace(const CText& matchFace, const CText& newFace);

    // "ＭＳ Ｐゴシック" in code page 932: only a system with that ANSI code page reports it.
    // Both are defined with the other process-wide objects, in plugin/ProcessObjects.cpp.
    static const CText s_triggerFace;
    static const CText s_controlsFace;
};
