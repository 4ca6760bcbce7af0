#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "settings/ModuleInstance.h"
#include "standin/ShellRecorder.h"

namespace testing_support {

// A test of the plug-in's code linked into this program, whose resources are the plug-in's:
// they are loaded through this program's instance, its tray calls are recorded and cleared
// afterwards.
class CThisProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetModuleInstance(GetModuleHandleA(nullptr));
        standin::CShellRecorder::Install(GetModuleHandleA(nullptr));
    }
    void TearDown() override { standin::CShellRecorder::Clear(); }
};

}  // namespace testing_support
