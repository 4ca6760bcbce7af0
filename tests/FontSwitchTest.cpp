#include <gtest/gtest.h>

#include <string>

#include "resources/ResourceIds.h"
#include "settings/ModuleInstance.h"
#include "standin/TemplateDialog.h"
#include "tests/PluginHost.h"
#include "tests/TestSupport.h"
#include "tests/ThisProgramTest.h"
#include "ui/framework/UiGothicDialog.h"

using testing_support::AsText;
using testing_support::FontHandleOf;
using testing_support::FontOf;

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM children)
{
    reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    return TRUE;
}

// A modeless dialog from one of the plug-in's templates, destroyed at the end.
class FontSwitch : public testing_support::CThisProgramTest {
protected:
    void TearDown() override
    {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        CThisProgramTest::TearDown();
    }

    void Open(int templateId)
    {
        ASSERT_EQ(1, standin::OpenOverDesktop(m_dialog, templateId));
        m_window = m_dialog.m_hWnd;
    }

    std::vector<HWND> Controls() const
    {
        std::vector<HWND> children;
        EnumChildWindows(m_window, CollectChild, reinterpret_cast<LPARAM>(&children));
        return children;
    }

    std::vector<HFONT> ControlFonts() const
    {
        std::vector<HFONT> fonts;
        for (HWND control : Controls())
            fonts.push_back(FontHandleOf(control));
        return fonts;
    }

    CUiGothicDialog m_dialog;
    HWND m_window = nullptr;
};

}  // namespace

TEST_F(FontSwitch, JapaneseTemplatesGiveTheirControlsTheUiFontCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    for (int templateId : {IDD_ENDING, IDD_SETUP}) {
        Open(templateId);
        LOGFONTA dialogFont = FontOf(m_window);
        EXPECT_STREQ(CUiGothicDialog::s_triggerFace.Chars(), dialogFont.lfFaceName)
            << "the dialog keeps its own font";
        std::vector<HWND> controls = Controls();
        EXPECT_EQ(templateId == IDD_ENDING ? 2u : 10u, controls.size());
        for (HWND control : controls) {
            char windowClass[16] = {};
            GetClassNameA(control, windowClass, sizeof(windowClass));
            if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                lstrcmpiA(windowClass, "Static") == 0)
                continue;  // an icon has no text and keeps no font
            LOGFONTA font = FontOf(control);
            EXPECT_STREQ("MS UI Gothic", font.lfFaceName) << "template " << templateId;
            EXPECT_EQ(dialogFont.lfHeight, font.lfHeight);
            EXPECT_EQ(dialogFont.lfWeight, font.lfWeight);
            EXPECT_EQ(dialogFont.lfCharSet, font.lfCharSet);
        }
        DestroyWindow(m_window);
    }
}

TEST_F(FontSwitch, EnglishTemplatesAreLeftAlone)
{
    if (GetACP() == 932)
        GTEST_SKIP() << "the Japanese templates are picked under code page 932";
    Open(IDD_SETUP);
    EXPECT_STREQ("Arial", FontOf(m_window).lfFaceName);
    HFONT dialogFont = FontHandleOf(m_window);
    for (HFONT font : ControlFonts())
        EXPECT_EQ(dialogFont, font);
}

TEST_F(FontSwitch, OnlyTheExactFaceTriggers)
{
    Open(IDD_SETUP);
    std::string face = FontOf(m_window).lfFaceName;
    std::string lower = face;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::vector<HFONT> before = ControlFonts();
    EXPECT_EQ(0, m_dialog.ReplaceControlsFontFace(AsText(face + "X"), "Courier New"));
    EXPECT_EQ(0, m_dialog.ReplaceControlsFontFace(AsText(lower), "Courier New"));
    EXPECT_EQ(0, m_dialog.ReplaceControlsFontFace(AsText(face.substr(0, face.size() - 1)),
                                                  "Courier New"));
    EXPECT_EQ(before, ControlFonts());
    EXPECT_EQ(1, m_dialog.ReplaceControlsFontFace(AsText(face), "Courier New"));
    EXPECT_STREQ("Courier New", FontOf(Controls().front()).lfFaceName);
}

TEST_F(FontSwitch, FaceNamesMustFitTheFontRecord)
{
    Open(IDD_SETUP);
    const std::string face31(31, 'F');
    const std::string face32(32, 'F');
    HFONT before = FontHandleOf(Controls().front());
    EXPECT_EQ(0, m_dialog.SetControlsFontFace(AsText(face32)));
    EXPECT_EQ(before, FontHandleOf(Controls().front()));
    EXPECT_EQ(1, m_dialog.SetControlsFontFace(AsText(face31)));
    for (HWND control : Controls())
        EXPECT_EQ(face31, FontOf(control).lfFaceName);
}

TEST_F(FontSwitch, TheControlFontGoesWithTheWindow)
{
    Open(IDD_SETUP);
    ASSERT_EQ(1, m_dialog.SetControlsFontFace("Courier New"));
    HFONT first = FontHandleOf(Controls().front());
    ASSERT_EQ(1, m_dialog.SetControlsFontFace("Times New Roman"));
    LOGFONTA probe;
    EXPECT_EQ(0, GetObjectA(first, sizeof(probe), &probe)) << "a replaced font is released";
    HFONT second = FontHandleOf(Controls().front());
    DestroyWindow(m_window);
    EXPECT_EQ(0, GetObjectA(second, sizeof(probe), &probe)) << "released with the window";
}

TEST_F(FontSwitch, DialogWithoutAFontIsLeftUnchanged)
{
    CUiGothicDialog dialog;
    testing_support::CTestWindow plain;
    dialog.m_hWnd = plain.Handle();
    EXPECT_EQ(0, dialog.ReplaceControlsFontFace(CUiGothicDialog::s_triggerFace, "MS UI Gothic"));
    EXPECT_EQ(0, dialog.SetControlsFontFace("MS UI Gothic"));
    EXPECT_EQ(1, dialog.OnInitDialog());
    dialog.m_hWnd = nullptr;
}
