#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/TestSupport.h"

namespace {

const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const char kButton[] = "BUTTON";
const char kStatic[] = "STATIC";
const DWORD kCheckBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kGroupBox = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;

struct CControl {
    int id;
    std::string windowClass;
    DWORD style;
    short x, y, cx, cy;
};

struct CTemplate {
    DWORD style;
    short cx, cy;
    WORD pointSize;
    std::vector<CControl> controls;
};

// Reads a classic dialog template as the resource compiler stored it.
class CTemplateReader {
public:
    explicit CTemplateReader(const BYTE* data) : m_at(data) {}

    CTemplate Read()
    {
        CTemplate result;
        result.style = Dword();
        Dword();  // extended style
        WORD count = Word();
        Word();
        Word();
        result.cx = static_cast<short>(Word());
        result.cy = static_cast<short>(Word());
        SkipNameOrOrdinal();  // menu
        SkipNameOrOrdinal();  // class
        SkipNameOrOrdinal();  // caption
        result.pointSize = Word();
        SkipNameOrOrdinal();  // face
        for (WORD item = 0; item < count; ++item) {
            Align();
            CControl control;
            control.style = Dword();
            Dword();
            control.x = static_cast<short>(Word());
            control.y = static_cast<short>(Word());
            control.cx = static_cast<short>(Word());
            control.cy = static_cast<short>(Word());
            control.id = static_cast<short>(Word());
            control.windowClass = ClassName();
            SkipNameOrOrdinal();  // text
            m_at += Word();       // creation data
            result.controls.push_back(control);
        }
        return result;
    }

private:
    WORD Word()
    {
        WORD value = static_cast<WORD>(m_at[0] | (m_at[1] << 8));
        m_at += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    // A class is stored by name or by the atom of a predefined class.
    std::string ClassName()
    {
        WORD first = Word();
        if (first == 0xFFFF) {
            WORD atom = Word();
            return atom == 0x80 ? kButton : atom == 0x82 ? kStatic : "?";
        }
        std::string name;
        for (; first != 0; first = Word())
            name += static_cast<char>(toupper(first));
        return name;
    }
    void SkipNameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            Word();
        else
            while (first != 0)
                first = Word();
    }
    void Align()
    {
        while (reinterpret_cast<UINT_PTR>(m_at) % 4)
            ++m_at;
    }

    const BYTE* m_at;
};

// The shipped module's resources, without running its entry point.
class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = LoadLibraryExA(testing_support::PluginDllPath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_module);
    }
    void TearDown() override { FreeLibrary(m_module); }

    const BYTE* Find(LPCSTR type, int id, WORD language)
    {
        HRSRC found = FindResourceExA(m_module, type, MAKEINTRESOURCEA(id), language);
        return found ? static_cast<const BYTE*>(LockResource(LoadResource(m_module, found)))
                     : nullptr;
    }

    void ExpectTemplate(int id, WORD language, const CTemplate& expected)
    {
        const BYTE* data = Find(RT_DIALOG, id, language);
        ASSERT_NE(nullptr, data) << "template " << id << " language " << language;
        CTemplate actual = CTemplateReader(data).Read();
        EXPECT_EQ(expected.style, actual.style);
        EXPECT_EQ(expected.cx, actual.cx);
        EXPECT_EQ(expected.cy, actual.cy);
        EXPECT_EQ(9, actual.pointSize);
        ASSERT_EQ(expected.controls.size(), actual.controls.size());
        for (size_t i = 0; i < expected.controls.size(); ++i) {
            const CControl& want = expected.controls[i];
            const CControl& got = actual.controls[i];
            SCOPED_TRACE("template " + std::to_string(id) + " control " + std::to_string(i + 1));
            EXPECT_EQ(want.id, got.id);
            EXPECT_EQ(want.windowClass, got.windowClass);
            EXPECT_EQ(want.style, got.style);
            EXPECT_EQ(want.x, got.x);
            EXPECT_EQ(want.y, got.y);
            EXPECT_EQ(want.cx, got.cx);
            EXPECT_EQ(want.cy, got.cy);
        }
    }

    HMODULE m_module = nullptr;
};

const DWORD kEndingStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
const DWORD kSetupStyle = kEndingStyle | WS_SYSMENU;
const DWORD kIconStyle = WS_CHILD | WS_VISIBLE | SS_ICON;
const DWORD kTextStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;

}  // namespace

TEST_F(Resources, EndingDialogTemplatesInBothLanguages)
{
    ExpectTemplate(101, kEnglish,
                   {kEndingStyle, 151, 29, 9,
                    {{1002, kStatic, kIconStyle, 7, 6, 20, 17},
                     {-1, kStatic, kTextStyle | SS_CENTERIMAGE, 31, 10, 108, 8}}});
    ExpectTemplate(101, kJapanese,
                   {kEndingStyle, 151, 35, 9,
                    {{1002, kStatic, kIconStyle, 7, 7, 20, 20},
                     {-1, kStatic, kTextStyle | SS_CENTERIMAGE, 36, 13, 78, 8}}});
}

TEST_F(Resources, SetupDialogTemplatesInBothLanguages)
{
    const DWORD ok = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    const DWORD cancel = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    ExpectTemplate(105, kEnglish,
                   {kSetupStyle, 203, 111, 9,
                    {{-1, kButton, kGroupBox, 7, 7, 189, 38},
                     {1000, kButton, kCheckBox, 16, 18, 37, 10},
                     {1004, kButton, kCheckBox, 96, 18, 46, 10},
                     {1001, kButton, kCheckBox, 16, 30, 57, 10},
                     {1005, kButton, kCheckBox, 96, 30, 47, 10},
                     {-1, kButton, kGroupBox, 7, 47, 189, 27},
                     {1003, kButton, kCheckBox, 15, 58, 122, 10},
                     {IDOK, kButton, ok, 93, 80, 50, 14},
                     {IDCANCEL, kButton, cancel, 146, 80, 50, 14},
                     {-1, kStatic, kTextStyle, 7, 96, 189, 8}}});
    ExpectTemplate(105, kJapanese,
                   {kSetupStyle, 190, 133, 9,
                    {{-1, kButton, kGroupBox, 7, 7, 176, 46},
                     {1000, kButton, kCheckBox, 15, 21, 55, 10},
                     {1004, kButton, kCheckBox, 102, 21, 45, 10},
                     {1001, kButton, kCheckBox, 15, 35, 79, 10},
                     {1005, kButton, kCheckBox, 102, 35, 46, 10},
                     {-1, kButton, kGroupBox, 7, 59, 176, 33},
                     {1003, kButton, kCheckBox, 15, 73, 152, 10},
                     {IDOK, kButton, ok, 80, 99, 50, 14},
                     {IDCANCEL, kButton, cancel, 133, 99, 50, 14},
                     {-1, kStatic, kTextStyle, 7, 118, 176, 8}}});
}

TEST_F(Resources, TipStringInBothLanguages)
{
    const int block = 57600 / 16 + 1;
    EXPECT_NE(nullptr, Find(RT_STRING, block, kEnglish));
    EXPECT_NE(nullptr, Find(RT_STRING, block, kJapanese));
}

TEST_F(Resources, LocalePicksTheLanguage)
{
    char tip[64] = {};
    ASSERT_GT(LoadStringA(m_module, 57600, tip, sizeof(tip)), 0);
    if (GetACP() == 932)
        EXPECT_STREQ(testing_support::cp932::kTrayTip, tip);
    else
        EXPECT_STREQ("Becky! Ver.2 Ending...", tip);
}

TEST_F(Resources, IconGroupsHaveTheirSizesAndSixteenColours)
{
    struct CGroup {
        int id;
        std::vector<int> sizes;
    };
    const CGroup groups[] = {{104, {32, 16}}, {105, {16}}, {107, {16}},
                             {108, {16}},     {109, {16}}, {110, {16}}};
    for (const CGroup& group : groups) {
        const BYTE* data = Find(RT_GROUP_ICON, group.id, kEnglish);
        if (!data)
            data = Find(RT_GROUP_ICON, group.id, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        ASSERT_NE(nullptr, data) << "icon " << group.id;
        WORD count = *reinterpret_cast<const WORD*>(data + 4);
        ASSERT_EQ(group.sizes.size(), count) << "icon " << group.id;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = data + 6 + 14 * i;
            EXPECT_EQ(group.sizes[i], entry[0]) << "icon " << group.id << " width";
            EXPECT_EQ(group.sizes[i], entry[1]) << "icon " << group.id << " height";
            EXPECT_EQ(16, entry[2]) << "icon " << group.id << " colours";
            EXPECT_EQ(4, *reinterpret_cast<const WORD*>(entry + 6)) << "icon " << group.id;
        }
    }
    EXPECT_EQ(nullptr, FindResourceA(m_module, MAKEINTRESOURCEA(106), RT_GROUP_ICON));
}
