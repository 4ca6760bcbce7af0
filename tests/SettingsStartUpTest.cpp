#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"
#include "standin/StandInHost.h"
#include "standin/ThisProgram.h"
#include "tests/PluginHostTest.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

std::vector<int> Switches()
{
    return {g_endingInfo.EndingDialog, g_endingInfo.EndingDialogTopMost, g_endingInfo.EndingIcon,
            g_endingInfo.EndingIconAnimation, g_endingInfo.HideBecky};
}

const std::vector<int> kDefaults = {1, 0, 1, 1, 1};

// A module of a chosen name and place, a data folder, and the start-up run over them.
class SettingsStartUp : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetModuleInstance(nullptr);
        if (m_module)
            FreeLibrary(m_module);
        standin::SetDataFolder("C:\\");
        g_endingInfo.FilePath.Clear();
        g_endingInfo.SetDefaults();
    }

    // Loads a copy of an empty module at the path, standing in for the plug-in's own file.
    bool PlaceModule(const std::string& folder, const std::string& name = "Tolvanix.dll")
    {
        MakeFolders(folder);
        std::string path = folder + name;
        if (!CopyFileA((standin::ProgramFolder() + "empty_module.dll").c_str(), path.c_str(), FALSE))
            return false;
        m_module = LoadLibraryA(path.c_str());
        SetModuleInstance(m_module);
        return m_module != nullptr;
    }

    void RunStartUp(const char* dataFolder)
    {
        standin::SetDataFolder(dataFolder);
        g_endingInfo.FilePath.Clear();
        g_endingInfo.SetDefaults();
        ASSERT_EQ(1, BindHostApi());
        StartUpSettings();
    }

    // A data folder whose settings folder passes 255 bytes: made whole with the file in it, or
    // not at all; never a folder of a cut name on the way.
    void ExpectLongDataFolderMadeWholeOrNotAtAll(const std::string& level, int depth)
    {
        std::string data = m_temp.Path();
        for (int i = 0; i < depth; ++i)
            data += level + "\\";
        MakeFolders(data);
        ASSERT_GT(data.size() + strlen("Plugins\\"), 255u);
        RunStartUp(data.c_str());
        EXPECT_EQ(kDefaults, Switches());
        std::vector<std::string> expected = {level, "tools"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, Entries(m_temp.Path()));
        std::string folder = m_temp.Path();
        for (int i = 1; i < depth; ++i) {
            folder += level + "\\";
            EXPECT_EQ(std::vector<std::string>({level}), Entries(folder)) << "level " << i;
        }
        const std::vector<std::string> made = Entries(data);
        EXPECT_TRUE(made.empty() || made == std::vector<std::string>({"Plugins"}))
            << made.size() << " names, the first " << made.front();
        if (!made.empty()) {
            EXPECT_EQ(SettingsFileText(), ReadFileText(data + "Plugins\\Tolvanix.ini"));
        }
    }

    CTempFolder m_temp;
    HMODULE m_module = nullptr;
};

class SettingsStartUpCases : public SettingsStartUp,
                             public ::testing::WithParamInterface<CStartUpCase> {};

}  // namespace

TEST_P(SettingsStartUpCases, FilesAndSwitchesAfterTheStart)
{
    const CStartUpCase& row = GetParam();
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\"), row.title + ".dll"));
    PlaceHostFolder(m_temp.Path(), row.before, false, row.title);
    const std::string earlier = m_temp.Path("tools\\" + row.title + ".ini");
    const std::string current = m_temp.Path("data\\Plugins\\" + row.title + ".ini");
    RunStartUp(m_temp.Path("data\\").c_str());
    const CSwitchValues& read = row.read;
    EXPECT_EQ(std::vector<int>({read.dialog, read.topMost, read.icon, read.animation, read.hide}),
              Switches());
    EXPECT_EQ(current, g_endingInfo.FilePath);
    EXPECT_EQ(row.CurrentTextAfter(), ReadFileText(current));
    EXPECT_EQ(row.EarlierFileStays(), IsFile(earlier));
    if (row.EarlierFileStays()) {
        EXPECT_EQ(row.before.earlier, ReadFileText(earlier));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, SettingsStartUpCases, ::testing::ValuesIn(kStartUpCases),
                         RowName<CStartUpCase>);

TEST_F(SettingsStartUp, CarryOverAnEarlierVersionLeftCutShortIsDoneAgain)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    MakeFolders(m_temp.Path("data\\Plugins"));
    for (const char* cut :
         {"", "[Tolvanix]\r\n", "[Tolvanix]\r\nEndingDialog=1\r\nEndingDialogTopMost=0\r\n"}) {
        SCOPED_TRACE(cut);
        WriteFileText(m_temp.Path("tools\\Tolvanix.ini"), SettingsFileText({0, 1, 0, 1, 0}));
        WriteFileText(m_temp.Path("data\\Plugins\\Tolvanix.ini"), cut);
        RunStartUp(m_temp.Path("data\\").c_str());
        EXPECT_EQ(std::vector<int>({0, 1, 0, 1, 0}), Switches());
        EXPECT_EQ(SettingsFileText({0, 1, 0, 1, 0}), ReadFileText(g_endingInfo.FilePath));
        EXPECT_FALSE(IsFile(m_temp.Path("tools\\Tolvanix.ini")));
    }
    // While the earlier file cannot be read, what was cut short is not taken for the user's.
    WriteFileText(m_temp.Path("tools\\Tolvanix.ini"), SettingsFileText({0, 1, 0, 1, 0}));
    WriteFileText(m_temp.Path("data\\Plugins\\Tolvanix.ini"), "[Tolvanix]\r\nEndingDialog=0\r\n");
    HANDLE held = CreateFileA(m_temp.Path("tools\\Tolvanix.ini").c_str(), GENERIC_READ, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    RunStartUp(m_temp.Path("data\\").c_str());
    CloseHandle(held);
    EXPECT_FALSE(g_endingInfo.m_holdsUsersValues) << "the setup must read it again";
}

TEST_F(SettingsStartUp, SameLocationWritesNothing)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("Plugins\\")));
    RunStartUp(m_temp.Path().c_str());
    EXPECT_EQ(kDefaults, Switches());
    EXPECT_FALSE(IsFile(m_temp.Path("Plugins\\Tolvanix.ini")));
}

TEST_F(SettingsStartUp, LocationsDifferingInCaseKeepTheFileJustWritten)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("plugins\\")));
    RunStartUp(m_temp.Path().c_str());
    EXPECT_EQ(m_temp.Path("Plugins\\Tolvanix.ini"), g_endingInfo.FilePath);
    EXPECT_EQ(SettingsFileText(), ReadFileText(m_temp.Path("plugins\\Tolvanix.ini")))
        << "the carry-over must not delete the file it has just written";
}

TEST_F(SettingsStartUp, FolderAtTheCurrentPathKeepsTheOldFile)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    WriteFileText(m_temp.Path("tools\\Tolvanix.ini"), "[Tolvanix]\r\nEndingIcon=0\r\n");
    MakeFolders(m_temp.Path("data\\Plugins\\Tolvanix.ini"));
    RunStartUp(m_temp.Path("data\\").c_str());
    EXPECT_EQ(std::vector<int>({1, 0, 0, 1, 1}), Switches());
    EXPECT_TRUE(IsFile(m_temp.Path("tools\\Tolvanix.ini"))) << "carried over nowhere";
}

TEST_F(SettingsStartUp, FailedCarryOverIsTriedAgainAtTheNextStart)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    WriteFileText(m_temp.Path("tools\\Tolvanix.ini"), "[Tolvanix]\r\nHideBecky=0\r\n");
    MakeFolders(m_temp.Path("data"));
    WriteFileText(m_temp.Path("data\\Plugins"), "a file where the folder belongs");
    RunStartUp(m_temp.Path("data\\").c_str());
    EXPECT_TRUE(IsFile(m_temp.Path("tools\\Tolvanix.ini"))) << "nothing was carried over";

    DeleteFileA(m_temp.Path("data\\Plugins").c_str());
    RunStartUp(m_temp.Path("data\\").c_str());
    EXPECT_EQ(std::vector<int>({1, 0, 1, 1, 0}), Switches());
    EXPECT_FALSE(IsFile(m_temp.Path("tools\\Tolvanix.ini")));
    EXPECT_TRUE(IsFile(m_temp.Path("data\\Plugins\\Tolvanix.ini")));
}

TEST_F(SettingsStartUp, NoOrEmptyDataFolderPlacesNoFileAnywhere)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    WriteFileText(m_temp.Path("tools\\Tolvanix.ini"), "[Tolvanix]\r\nEndingIcon=0\r\n");
    // A relative path would land in whatever folder the host happens to stand in.
    MakeFolders(m_temp.Path("current"));
    char kept[MAX_PATH];
    GetCurrentDirectoryA(sizeof(kept), kept);
    SetCurrentDirectoryA(m_temp.Path("current").c_str());
    for (const char* dataFolder : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(dataFolder ? "empty data folder" : "no data folder");
        RunStartUp(dataFolder);
        EXPECT_TRUE(g_endingInfo.FilePath.IsEmpty()) << g_endingInfo.FilePath;
        EXPECT_EQ(kDefaults, Switches());
        EXPECT_TRUE(IsFile(m_temp.Path("tools\\Tolvanix.ini"))) << "not carried over";
        g_endingInfo.Save();
        EXPECT_FALSE(FolderExists("Plugins"));
    }
    SetCurrentDirectoryA(kept);
}

TEST_F(SettingsStartUp, OverlongModulePathKeepsTheDefaults)
{
    std::string folder = m_temp.Path();
    while (folder.size() < 250)
        folder += "deep-folder-name\\";
    if (!PlaceModule("\\\\?\\" + folder, std::string(40, 'm') + ".dll"))
        GTEST_SKIP() << "this system cannot load a module from a path that long";
    RunStartUp(m_temp.Path("data\\").c_str());
    EXPECT_TRUE(g_endingInfo.FilePath.IsEmpty()) << g_endingInfo.FilePath;
    EXPECT_EQ(kDefaults, Switches());
    EXPECT_FALSE(FolderExists(m_temp.Path("data\\Plugins")));
}

TEST_F(SettingsStartUp, LongDataFolderIsMadeWholeOrNotAtAll)
{
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    ExpectLongDataFolderMadeWholeOrNotAtAll(std::string(25, 'd'), 8);
}

// Two-byte characters reach the cut within Windows' own limits: 125 of them make the folder
// part pass 255 bytes while the path stays under 248 characters. Each has 0x5C, the
// backslash, as its second byte. Five levels: this machine's file system takes at most 255
// bytes of UTF-8 a name.
TEST_F(SettingsStartUp, LongDataFolderOfTwoByteCharactersCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    ASSERT_TRUE(PlaceModule(m_temp.Path("tools\\")));
    std::string level;
    for (int i = 0; i < 25; ++i)
        level += cp932::kBackslashTrail;
    ExpectLongDataFolderMadeWholeOrNotAtAll(level, 5);
    EXPECT_EQ(SettingsFileText(), ReadFileText(g_endingInfo.FilePath)) << "saved where it belongs";
}

TEST_F(SettingsStartUp, TrailBackslashesInEveryPartCarryOverCodePage932)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    const std::string c = cp932::kBackslashTrail;
    const std::string tools = m_temp.Path("tools" + c + "\\");
    ASSERT_TRUE(PlaceModule(tools, c + c + ".dll"));
    WriteFileText(tools + c + c + ".ini", "[Tolvanix]\r\nEndingIcon=0\r\n");
    RunStartUp(m_temp.Path("data" + c + "\\").c_str());
    EXPECT_EQ(m_temp.Path("data" + c + "\\Plugins\\" + c + c + ".ini"), g_endingInfo.FilePath);
    EXPECT_EQ(std::vector<int>({1, 0, 0, 1, 1}), Switches());
    EXPECT_EQ(SettingsFileText({1, 0, 0, 1, 1}), ReadFileText(g_endingInfo.FilePath));
    EXPECT_FALSE(IsFile(tools + c + c + ".ini"));
}
