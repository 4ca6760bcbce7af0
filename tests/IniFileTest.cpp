#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/ModuleInstance.h"
#include "tests/TestSupport.h"
#include "tests/ThisProgramTest.h"

using testing_support::AsText;
using testing_support::CTempFolder;
using testing_support::ReadFileText;
using testing_support::WriteFileText;

namespace {

// Remembers where Load looked, so that LoadFrom can be watched.
class CRecordingInfo : public CAppInfo {
public:
    int Load() override
    {
        loadedFrom = FilePath;
        return 7;
    }
    int Save() override { return 1; }

    CText loadedFrom;
};

const UINT kLongStringId = 100;

class ResourceString : public testing_support::CThisProgramTest {};

}  // namespace

TEST(IniFile, WriteBoolWritesOnlyOneOrZero)
{
    CTempFolder temp;
    CIniFile ini;
    ini.FilePath = AsText(temp.Path("sub\\dir\\test.ini"));
    EXPECT_NE(0, ini.WriteBool("S", "Five", 5)) << "the folder is made on demand";
    EXPECT_NE(0, ini.WriteBool("S", "MinusOne", -1));
    EXPECT_NE(0, ini.WriteBool("S", "Zero", 0));
    EXPECT_EQ("[S]\r\nFive=1\r\nMinusOne=1\r\nZero=0\r\n", ReadFileText(ini.FilePath));
    EXPECT_TRUE(ini.FileExists());
}

TEST(IniFile, ReadIntFollowsThePlatformRule)
{
    CTempFolder temp;
    CIniFile ini;
    ini.FilePath = AsText(temp.Path("test.ini"));
    WriteFileText(ini.FilePath, "[s]\r\ntwo=2\r\nspaced= 7 \r\nword=yes\r\nempty=\r\n");
    EXPECT_EQ(2, ini.ReadInt("S", "TWO", 9)) << "names compare without case";
    EXPECT_EQ(7, ini.ReadInt("s", "spaced", 9));
    EXPECT_EQ(0, ini.ReadInt("s", "word", 9));
    EXPECT_EQ(9, ini.ReadInt("s", "missing", 9));
    EXPECT_EQ(9, ini.ReadInt("other", "two", 9));
}

TEST(IniFile, WithoutAPathReadsDefaultsAndWritesNothing)
{
    CIniFile ini;
    EXPECT_EQ(0, ini.WriteBool("Tolvanix", "EndingDialog", 1));
    EXPECT_EQ(3, ini.ReadInt("windows", "load", 3)) << "must not read WIN.INI";
    EXPECT_FALSE(ini.FileExists());
}

TEST(AppInfo, LoadFromKeepsFilePath)
{
    CRecordingInfo info;
    info.FilePath = "C:\\current.ini";
    EXPECT_EQ(7, info.LoadFrom("C:\\other.ini"));
    EXPECT_EQ("C:\\other.ini", info.loadedFrom);
    EXPECT_EQ("C:\\current.ini", info.FilePath);
}

TEST_F(ResourceString, LeavesTheTextAloneWhenThereIsNoString)
{
    CText text = "kept";
    EXPECT_FALSE(LoadResourceString(text, 4242));
    EXPECT_EQ("kept", text);
}

TEST_F(ResourceString, CutsLongStringsTo2046Characters)
{
    CText text;
    ASSERT_TRUE(LoadResourceString(text, kLongStringId));
    EXPECT_EQ(2046u, text.Length());
    EXPECT_EQ(std::string(2046, 'x'), text);
}
