#pragma once

#include <windows.h>

#include "ui/framework/Dialog.h"

namespace standin {

// A dialog from one of the plug-in's templates, linked into this program and made over the
// desktop, as the plug-in makes its ending dialog: modeless and hidden (1 when it was made), or
// run modal to its end.
inline int OpenOverDesktop(CDialog& dialog, int templateId)
{
    CWindow desktop(GetDesktopWindow());
    return dialog.CreateModeless(&desktop, templateId);
}

inline INT_PTR RunOverDesktop(CDialog& dialog, WORD templateId)
{
    CWindow desktop(GetDesktopWindow());
    dialog.PrepareModal(&desktop, templateId);
    return dialog.RunModal();
}

}  // namespace standin
