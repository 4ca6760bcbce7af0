// The setup dialog through the real export, driven the way a user drives it.
#include <gtest/gtest.h>

#include <string.h>

#include "resources/ResourceIds.h"
#include "standin/StandInHost.h"
#include "tests/ExportStandIn.h"
#include "tests/PluginHostTest.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

// What the user saw of the five boxes.
struct CBoxes {
    bool checked[5];
    bool enabled[5];
};


CBoxes Look(HWND dialog)
{
    CBoxes boxes;
    for (int i = 0; i < 5; ++i) {
        boxes.checked[i] = IsChecked(dialog, kSettingsKeys[i].box);
        boxes.enabled[i] = IsEnabled(dialog, kSettingsKeys[i].box);
    }
    return boxes;
}

using SetupDialog = CPluginHostTest;

struct CPropertyTag;
using CProperty = CCallStandIn<CPropertyTag, decltype(&SetPropA)>;

}  // namespace

TEST_F(SetupDialog, DependentBoxesOpenDisabledWhenTheirMasterIsOff)
{
    LoadWithSettings(SettingsFileText({0, 1, 0, 1, 1}));
    CBoxes seen = {};
    ASSERT_TRUE(Setup([&](HWND dialog) {
        seen = Look(dialog);
        Click(dialog, IDCANCEL);
    }));
    EXPECT_FALSE(seen.checked[0]);
    EXPECT_TRUE(seen.checked[1]) << "Top most keeps its mark";
    EXPECT_FALSE(seen.enabled[1]) << "Top most is disabled";
    EXPECT_FALSE(seen.checked[2]);
    EXPECT_TRUE(seen.checked[3]);
    EXPECT_FALSE(seen.enabled[3]) << "Animation is disabled";
    EXPECT_TRUE(seen.enabled[0] && seen.enabled[2] && seen.enabled[4]);
}

TEST_F(SetupDialog, ClearingAMasterDisablesItsDependentAndKeepsTheMark)
{
    LoadWithSettings(SettingsFileText({1, 1, 1, 0, 1}));
    CBoxes cleared = {}, restored = {};
    ASSERT_TRUE(Setup([&](HWND dialog) {
        Click(dialog, IDC_DIALOG_BOX);
        Click(dialog, IDC_TASKTRAY_ICON_BOX);
        cleared = Look(dialog);
        Click(dialog, IDC_DIALOG_BOX);
        Click(dialog, IDC_TASKTRAY_ICON_BOX);
        restored = Look(dialog);
        Click(dialog, IDC_DIALOG_BOX);
        Click(dialog, IDOK);
    }));
    EXPECT_FALSE(cleared.enabled[1]);
    EXPECT_TRUE(cleared.checked[1]);
    EXPECT_FALSE(cleared.enabled[3]);
    EXPECT_FALSE(cleared.checked[3]);
    EXPECT_TRUE(restored.enabled[1]);
    EXPECT_TRUE(restored.checked[1]) << "enabled again with the earlier mark";
    EXPECT_TRUE(restored.enabled[3]);
    EXPECT_EQ(SettingsFileText({0, 1, 1, 0, 1}), ReadFileText(SettingsPath()))
        << "OK stores the mark of the disabled Top most box";
}

TEST_F(SetupDialog, CancelEscapeAndCloseBoxChangeNothing)
{
    const std::string original = "; kept\r\n[Tolvanix]\r\nEndingDialog=2\r\nHideBecky=yes\r\n";
    LoadWithSettings(original);
    const std::vector<std::function<void(HWND)>> ways = {
        [](HWND dialog) { Click(dialog, IDCANCEL); },
        [](HWND dialog) {
            HWND focus = GetDlgItem(dialog, IDC_HIDE_BECKY_BOX);
            PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& leave : ways) {
        ASSERT_TRUE(Setup([&](HWND dialog) {
            for (const CSettingsKey& item : kSettingsKeys)
                Click(dialog, item.box);
            leave(dialog);
        }));
        EXPECT_EQ(original, ReadFileText(SettingsPath()));
    }
    CBoxes seen = {};
    ASSERT_TRUE(Setup([&](HWND dialog) {
        seen = Look(dialog);
        Click(dialog, IDOK);
    }));
    const bool expected[5] = {true, false, true, true, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], seen.checked[i])
            << "box " << kSettingsKeys[i].box << " after the cancels";
}

TEST_F(SetupDialog, OkWritesTheFiveKeysAsOneOrZero)
{
    LoadWithSettings("; kept\r\n[Tolvanix]\r\nEndingDialog=2\r\nHideBecky=yes\r\n[Other]\r\nx=y\r\n");
    ASSERT_TRUE(Setup([&](HWND dialog) { Click(dialog, IDOK); }));
    EXPECT_EQ("; kept\r\n[Tolvanix]\r\nEndingDialog=1\r\nHideBecky=0\r\nEndingDialogTopMost=0\r\n"
              "EndingIcon=1\r\nEndingIconAnimation=1\r\n[Other]\r\nx=y\r\n",
              ReadFileText(SettingsPath()));

    DeleteFileA(SettingsPath().c_str());
    ASSERT_TRUE(Setup([&](HWND dialog) {
        Click(dialog, IDC_HIDE_BECKY_BOX);
        Click(dialog, IDC_ANIMATION_BOX);
        Click(dialog, IDOK);
    }));
    EXPECT_EQ(SettingsFileText({1, 0, 1, 0, 1}), ReadFileText(SettingsPath()))
        << "written again although nothing else changed";
}

TEST_F(SetupDialog, NoMainWindowShowsAndWritesNothing)
{
    LoadWithSettings(SettingsFileText());
    standin::SetMainWindow(nullptr);
    EXPECT_FALSE(Setup([](HWND dialog) { Click(dialog, IDOK); }));
    EXPECT_EQ(SettingsFileText(), ReadFileText(SettingsPath()));
}

TEST_F(SetupDialog, SitsAtTheHostsClientCornerWithItsCaptionAndFont)
{
    LoadWithSettings(SettingsFileText());
    POINT origin = {0, 0};
    char caption[64] = {};
    LOGFONTA font = {};
    HICON icons[2] = {};
    ASSERT_TRUE(Setup([&](HWND dialog) {
        ClientToScreen(dialog, &origin);
        GetWindowTextA(dialog, caption, sizeof(caption));
        font = FontOf(GetDlgItem(dialog, IDC_DIALOG_BOX));
        icons[0] = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        icons[1] = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        Click(dialog, IDCANCEL);
    }));
    // The template's (0, 0) places the dialog's client area at the host's client corner.
    POINT corner = {0, 0};
    ClientToScreen(m_host.Handle(), &corner);
    EXPECT_EQ(corner.x, origin.x);
    EXPECT_EQ(corner.y, origin.y);
    if (GetACP() == 932) {
        EXPECT_STREQ(cp932::kSetupCaption, caption);
        EXPECT_STREQ("MS UI Gothic", font.lfFaceName);
    } else {
        EXPECT_STREQ("Tolvanix Setup", caption);
        EXPECT_STREQ("Arial", font.lfFaceName);
    }
    for (HICON icon : icons) {
        ASSERT_NE(nullptr, icon) << "the caption shows the plug-in's icon";
        EXPECT_FALSE(IconIsAlive(icon)) << "released when the dialog ended";
    }
}

TEST_F(SetupDialog, HundredRunsLeaveNoIconOrFontBehind)
{
    LoadWithSettings(SettingsFileText());
    DWORD handles = 0;
    for (int run = 0; run < 100; ++run) {
        if (run == 5)
            GetProcessHandleCount(GetCurrentProcess(), &handles);
        std::vector<HGDIOBJ> fonts;
        std::vector<HICON> icons;
        ASSERT_TRUE(Setup([&](HWND dialog) {
            fonts.push_back(FontHandleOf(GetDlgItem(dialog, IDC_DIALOG_BOX)));
            icons.push_back(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)));
            icons.push_back(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)));
            Click(dialog, run % 2 ? IDOK : IDCANCEL);
        })) << "run " << run;
        for (HICON icon : icons)
            ASSERT_FALSE(IconIsAlive(icon)) << "run " << run;
        LOGFONTA font;
        if (GetACP() == 932) {
            ASSERT_EQ(0, GetObjectA(fonts.front(), sizeof(font), &font)) << "run " << run;
        }
    }
    DWORD handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handles + 5) << "no handle growth";
}

// The Japanese dialog puts the UI font on its controls; a font the window could not keep
// would never be deleted.
TEST_F(SetupDialog, AControlsFontTheWindowCannotKeepIsNotLeftBehind)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "the controls' font is replaced under code page 932 only";
    // The window property in which the dialog keeps its controls' font, refused as a system
    // short of memory would refuse it.
    ASSERT_TRUE(CProperty::Install("user32.dll", "SetPropA"));
    CProperty::Set([](HWND window, LPCSTR name, HANDLE value) {
        if (!IS_INTRESOURCE(name) && strcmp(name, "Tolvanix.ControlsFont") == 0)
            return FALSE;
        return CProperty::Forward(window, name, value);
    });
    LoadWithSettings(SettingsFileText());
    HGDIOBJ font = nullptr;
    LOGFONTA shown = {};
    ASSERT_TRUE(Setup([&](HWND dialog) {
        font = FontHandleOf(GetDlgItem(dialog, IDC_DIALOG_BOX));
        shown = FontOf(GetDlgItem(dialog, IDC_DIALOG_BOX));
        Click(dialog, IDCANCEL);
    }));
    CProperty::Clear();
    EXPECT_STREQ(cp932::kTemplateFace, shown.lfFaceName) << "the controls keep the dialog's font";
    LOGFONTA left;
    EXPECT_EQ(0, GetObjectA(font, sizeof(left), &left)) << "no font left behind";
}
