// The real plug-in, loaded the way the host loads it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/OwnedHandle.h"
#include "resources/PluginIdentity.h"
#include "resources/ResourceIds.h"
#include "standin/StandInHost.h"
#include "tests/ExportStandIn.h"
#include "tests/PluginHostTest.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

class PluginModule : public CPluginHostTest {
protected:
    // An earlier settings file beside the module, with switches a user changed.
    std::string PlaceEarlierFile()
    {
        PlaceHostFolder(m_temp.Path(), {"", kEarlierText}, false);
        return m_temp.Path("tools\\Tolvanix.ini");
    }

    static constexpr const char* kEarlierText =
        "[Tolvanix]\r\nEndingIcon=0\r\nHideBecky=0\r\nEndingDialogTopMost=1\r\n";
    const CSwitchValues kEarlierSwitches = {1, 1, 0, 1, 0};
};

struct CProfileWriteTag;
using CProfileWrite = CCallStandIn<CProfileWriteTag, decltype(&WritePrivateProfileStringA)>;

// The profile writes of every module loaded from now on, made to fail as a full disk would
// once a number of them has got through.
void FailProfileWritesAfter(int writes)
{
    ASSERT_TRUE(CProfileWrite::Install("kernel32.dll", "WritePrivateProfileStringA"));
    CProfileWrite::Set([writes](LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) mutable {
        if (writes-- > 0)
            return CProfileWrite::Forward(section, key, value, file);
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    });
}

class PluginModuleStartUpCases : public PluginModule,
                                 public ::testing::WithParamInterface<CStartUpCase> {};

}  // namespace

// The start's cases as the module meets them: the same files after the load, and nothing
// saved at unload.
TEST_P(PluginModuleStartUpCases, FilesAfterTheLoadAndTheUnload)
{
    const CStartUpCase& row = GetParam();
    PlaceHostFolder(m_temp.Path(), row.before, false, row.title);
    Load(row.title + ".dll");
    EXPECT_EQ(row.CurrentTextAfter(), ReadFileText(SettingsPath(row.title)));
    m_plugin.reset();
    EXPECT_EQ(row.CurrentTextAfter(), ReadFileText(SettingsPath(row.title)));
    EXPECT_EQ(row.EarlierFileStays(), IsFile(m_temp.Path("tools\\" + row.title + ".ini")));
    if (row.title != "Tolvanix") {
        EXPECT_FALSE(IsFile(SettingsPath()));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PluginModuleStartUpCases, ::testing::ValuesIn(kStartUpCases),
                         RowName<CStartUpCase>);

TEST_F(PluginModule, ExportsTheThreeCallbacksByNameAndOrdinal)
{
    Load();
    const HMODULE module = m_plugin->Module();
    EXPECT_EQ(reinterpret_cast<FARPROC>(GetProcAddress(module, "BKC_OnExit")),
              GetProcAddress(module, MAKEINTRESOURCEA(2)));
    EXPECT_EQ(reinterpret_cast<FARPROC>(GetProcAddress(module, "BKC_OnPlugInSetup")),
              GetProcAddress(module, MAKEINTRESOURCEA(13)));
    EXPECT_EQ(reinterpret_cast<FARPROC>(GetProcAddress(module, "BKC_OnPlugInInfo")),
              GetProcAddress(module, MAKEINTRESOURCEA(14)));
    EXPECT_NE(nullptr, GetProcAddress(module, "BKC_OnExit"));
    EXPECT_EQ(nullptr, GetProcAddress(module, MAKEINTRESOURCEA(3)));
}

TEST_F(PluginModule, InfoWritesOnlyTheFourTextsAndTheirTerminators)
{
    Load();
    auto info = reinterpret_cast<int(WINAPI*)(char*)>(
        reinterpret_cast<void*>(m_plugin->Get("BKC_OnPlugInInfo")));
    ASSERT_NE(nullptr, info);

    char record[512];
    std::memset(record, 0xA5, sizeof(record));
    EXPECT_EQ(0, info(record));

    struct CField {
        size_t offset;
        const char* text;
    };
    const CField fields[] = {{0, TOLVANIX_NAME}, {80, TOLVANIX_VENDOR},
                             {160, TOLVANIX_VERSION_TEXT}, {240, TOLVANIX_DESCRIPTION}};
    for (const CField& field : fields) {
        const char* written = record + field.offset;
        size_t length = std::strlen(written);
        ASSERT_LT(length, 80u);
        EXPECT_STREQ(field.text, written);
        for (size_t at = field.offset + length + 1; at < field.offset + 80; ++at)
            EXPECT_EQ('\xA5', record[at]) << "byte " << at << " was touched";
    }
    for (size_t at = 320; at < sizeof(record); ++at)
        ASSERT_EQ('\xA5', record[at]) << "byte " << at << " was touched";
}

TEST_F(PluginModule, EarlierFileBusyAtTheFirstStartIsCarriedOverAtTheNext)
{
    const std::string earlier = PlaceEarlierFile();
    // Held without sharing, as a backup tool or a virus scanner may hold it.
    HANDLE held = CreateFileA(earlier.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Load();
    m_plugin.reset();
    CloseHandle(held);
    EXPECT_FALSE(IsFile(SettingsPath())) << "nothing is written in place of what could not be read";
    EXPECT_TRUE(IsFile(earlier));

    Load();
    EXPECT_EQ(SettingsFileText(kEarlierSwitches), ReadFileText(SettingsPath()));
    EXPECT_FALSE(IsFile(earlier)) << "carried over once it could be read";
}

TEST_F(PluginModule, CarryOverCutShortLeavesNoFileAndIsTriedAgain)
{
    const std::string earlier = PlaceEarlierFile();
    FailProfileWritesAfter(2);
    Load();
    m_plugin.reset();
    CProfileWrite::Clear();
    EXPECT_FALSE(IsFile(SettingsPath())) << "no part of a file is left behind";
    EXPECT_TRUE(IsFile(earlier)) << "the earlier file stays until all five keys are written";

    Load();
    EXPECT_EQ(SettingsFileText(kEarlierSwitches), ReadFileText(SettingsPath()));
    EXPECT_FALSE(IsFile(earlier));
}

struct CAttributesTag;
using CAttributes = CCallStandIn<CAttributesTag, decltype(&GetFileAttributesA)>;

// Attribute queries of every module loaded from now on, answered for the paths under one
// folder as for a share that is not reconnected yet.
void MakeUnreachable(const std::string& folder)
{
    ASSERT_TRUE(CAttributes::Install("kernel32.dll", "GetFileAttributesA"));
    CAttributes::Set([folder](LPCSTR path) {
        if (_strnicmp(path, folder.c_str(), folder.size()) != 0)
            return CAttributes::Forward(path);
        SetLastError(ERROR_BAD_NETPATH);
        return INVALID_FILE_ATTRIBUTES;
    });
}

TEST_F(PluginModule, SettingsThatCannotBeAskedAboutAreNeitherWrittenNorDeleted)
{
    const std::string users = SettingsFileText({0, 1, 0, 0, 1});
    MakeFolders(m_temp.Path("data\\Plugins"));
    WriteFileText(SettingsPath(), users);
    const std::string earlier = PlaceEarlierFile();
    MakeUnreachable(m_temp.Path("data"));
    Load();
    CAttributes::Clear();
    EXPECT_EQ(users, ReadFileText(SettingsPath())) << "the user's file is not written over";
    EXPECT_TRUE(IsFile(earlier)) << "nor the earlier one deleted";
}

// A start that could not ask about the file keeps the defaults in memory; the setup then reads
// the file first, and where it still cannot, its OK writes only the box the user changed.
TEST_F(PluginModule, SetupAfterAStartThatCouldNotReadTheFileKeepsTheUsersValues)
{
    const CSwitchValues users = {0, 1, 0, 0, 1};
    const struct {
        const char* what;
        bool backBySetup;
        int box;
        CSwitchValues saved;
    } rounds[] = {
        {"the share is back", true, IDC_DIALOG_BOX, {1, 1, 0, 0, 1}},
        {"the share is still away", false, IDC_TOP_MOST_BOX, users},
    };
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.what);
        MakeFolders(m_temp.Path("data\\Plugins"));
        WriteFileText(SettingsPath(), SettingsFileText(users));
        MakeUnreachable(m_temp.Path("data"));
        Load();
        if (round.backBySetup)
            CAttributes::Clear();
        bool shownUsers = false;
        EXPECT_TRUE(Setup([&](HWND dialog) {
            shownUsers = !IsChecked(dialog, IDC_DIALOG_BOX) && IsChecked(dialog, IDC_TOP_MOST_BOX);
            Click(dialog, round.box);
            Click(dialog, IDOK);
        }));
        CAttributes::Clear();
        EXPECT_EQ(round.backBySetup, shownUsers) << "the setup shows what it could read";
        EXPECT_EQ(SettingsFileText(round.saved), ReadFileText(SettingsPath()));
    }
}

struct CCodePageTag;
using CCodePage = CCallStandIn<CCodePageTag, decltype(&GetACP)>;
struct CConversionTag;
using CConversion = CCallStandIn<CConversionTag, decltype(&WideCharToMultiByte)>;

// A system whose ANSI code page is UTF-8 (an option of Windows 10 and 11), for the modules
// loaded from one folder: the conversion keeps the rules Microsoft documents for it, which
// Wine does not keep.
void MakeTheCodePageUtf8(const std::string& folder)
{
    ASSERT_TRUE(CCodePage::Install("kernel32.dll", "GetACP"));
    ASSERT_TRUE(CConversion::Install("kernel32.dll", "WideCharToMultiByte"));
    CCodePage::Set([] { return static_cast<UINT>(CP_UTF8); }, folder);
    CConversion::Set([](UINT codePage, DWORD flags, LPCWCH wide, int length, LPSTR bytes,
                        int size, LPCCH defaultChar, LPBOOL usedDefault) {
        if (codePage != CP_ACP && codePage != CP_UTF8)
            return CConversion::Forward(codePage, flags, wide, length, bytes, size, defaultChar,
                                        usedDefault);
        if ((flags & ~WC_ERR_INVALID_CHARS) || defaultChar || usedDefault) {
            SetLastError(flags & ~WC_ERR_INVALID_CHARS ? ERROR_INVALID_FLAGS
                                                       : ERROR_INVALID_PARAMETER);
            return 0;
        }
        return CConversion::Forward(CP_UTF8, flags, wide, length, bytes, size, nullptr, nullptr);
    }, folder);
}

TEST_F(PluginModule, SettingsAreFoundWhereTheAnsiCodePageIsUtf8)
{
    MakeTheCodePageUtf8(m_temp.Path("tools\\"));
    Load();
    CCodePage::Clear();
    CConversion::Clear();
    EXPECT_EQ(SettingsFileText(), ReadFileText(SettingsPath())) << "no settings path at all";
}

// Two host processes start together where only the earlier file exists: whichever carries it
// over, the other must neither write the defaults over its file nor delete it.
TEST_F(PluginModule, TwoHostsStartingTogetherKeepTheEarlierSettings)
{
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string folder = m_temp.Path("hosts" + std::to_string(round));
        ASSERT_TRUE(PlaceHostFolder(folder + "\\", {"", kEarlierText}, true));
        MakeFolders(folder + "\\data");
        const std::string name = "tolvanix-start-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(round);
        CKernelHandle start(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
        std::vector<CKernelHandle> hosts;
        for (int host = 0; host < 2; ++host) {
            hosts.push_back(StartChild("start_child.exe", "\"" + folder + "\" " + name));
            ASSERT_TRUE(hosts.back());
        }
        SetEvent(start.get());
        for (const CKernelHandle& host : hosts) {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(host.get(), 60000));
            DWORD code = 1;
            GetExitCodeProcess(host.get(), &code);
            EXPECT_EQ(0u, code) << "the host started with the plug-in";
        }
        EXPECT_EQ(SettingsFileText(kEarlierSwitches),
                  ReadFileText(folder + "\\data\\Plugins\\Tolvanix.ini"));
        EXPECT_FALSE(IsFile(folder + "\\tools\\Tolvanix.ini"));
    }
}

TEST_F(PluginModule, HostWithoutDataFolderStillLoadsAndSavesNothing)
{
    standin::SetDataFolder(nullptr);
    Load();
    EXPECT_TRUE(Setup([](HWND dialog) { Click(dialog, IDOK); }));
    EXPECT_FALSE(FolderExists(m_temp.Path("data")));
}

TEST_F(PluginModule, LoadsWhateverTheSettingsFileHolds)
{
    std::string noise(1 << 20, '\0');
    for (size_t at = 0; at < noise.size(); ++at)
        noise[at] = static_cast<char>((at * 2654435761u) >> 13);
    const std::string files[] = {noise, "[Tolvanix]\r\nEndingIcon=" + std::string(100000, '9'),
                                 "[Tolvanix]\r\n[Tolvanix]\r\n=\r\n==\r\n["};
    for (const std::string& text : files) {
        LoadWithSettings(text);
        EXPECT_EQ(text, ReadFileText(SettingsPath())) << "read, never written over";
    }
}

TEST_F(PluginModule, CanBeLoadedAgainAfterUnload)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        Load();
        const std::string settings = SettingsFileText({0, 1, 0, 1, round % 2});
        WriteFileText(SettingsPath(), settings);
        m_plugin.reset();
        EXPECT_EQ(nullptr, GetModuleHandleA(m_temp.Path("tools\\Tolvanix.dll").c_str()))
            << "unloaded for good";
        Load();
        EXPECT_EQ(settings, ReadFileText(SettingsPath())) << "the new load reads the file";
    }
}

TEST_F(PluginModule, UnloadRepaintsTheDesktop)
{
    Load();
    CShellRecorder::Clear();
    m_plugin.reset();
    std::vector<standin::CRepaint> repaints = CShellRecorder::Repaints();
    ASSERT_EQ(1u, repaints.size()) << "the exit never ran, the desktop is repainted all the same";
    EXPECT_EQ(GetDesktopWindow(), repaints.front().window);
    EXPECT_TRUE(repaints.front().erase) << "with its background";
}

// What Explorer shows in the file's properties, read as it reads them, without loading it.
TEST(VersionResource, NamesTheVersionInEnglishAndJapanese)
{
    const std::string path = PluginDllPath();
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    ASSERT_GT(size, 0u) << "no version resource in " << path;
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const WORD numbers[] = {TOLVANIX_VERSION_NUMBERS};
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(numbers[1], numbers[0])), fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(numbers[3], numbers[2])), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

    WORD* translations = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translations), &length));
    ASSERT_EQ(8u, length) << "English and Japanese";
    const WORD expected[] = {0x409, 1200, 0x411, 1200};
    for (int at = 0; at < 4; ++at)
        EXPECT_EQ(expected[at], translations[at]);

    const struct {
        const char* name;
        const char* text;
    } texts[] = {{"FileVersion", TOLVANIX_VERSION_TEXT}, {"ProductVersion", TOLVANIX_VERSION_TEXT},
                 {"ProductName", TOLVANIX_NAME},         {"CompanyName", TOLVANIX_VENDOR},
                 {"FileDescription", TOLVANIX_DESCRIPTION}, {"OriginalFilename", "Tolvanix.dll"},
                 {"LegalCopyright", TOLVANIX_COPYRIGHT}};
    for (const char* table : {"040904b0", "041104b0"}) {
        for (const auto& text : texts) {
            const std::string query = std::string("\\StringFileInfo\\") + table + "\\" + text.name;
            char* value = nullptr;
            ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value),
                                       &length))
                << query;
            EXPECT_STREQ(text.text, value) << query;
        }
    }
}
