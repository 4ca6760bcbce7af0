#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "settings/ModuleInstance.h"
#include "standin/ShellRecorder.h"
#include "ui/framework/Dialog.h"

namespace testing_support {

// A test of the plug-in's code linked into this program, whose resources are the plug-in's:
// they are loaded through this program's instance, its tray calls are recorded and cleared
// afterwards, and its dialogs are made over the desktop, as the ending dialog is.
class CThisProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetModuleInstance(GetModuleHandleA(nullptr));
        standin::CShellRecorder::Install(GetModuleHandleA(nullptr));
    }
    void TearDown() override { standin::CShellRecorder::Clear(); }

    // The dialog made modeless from the template over the desktop; 1 when it was made.
    static int OpenOverDesktop(CDialog& dialog, int templateId)
    {
        CWindow desktop(GetDesktopWindow());
        return dialog.CreateModeless(&desktop, templateId);
    }
};

}  // namespace testing_support
