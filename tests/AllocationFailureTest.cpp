// Allocation failures where the host and the system call into the shipped module: the C
// runtime's allocator fails for the module alone, from its start-up code on
// (tests/FailingAllocator.h). The host lives on, every export gives its fixed result, and with
// memory back everything works. Each test runs in a process of its own, since a module that has
// shown its ending dialog stays loaded for the life of the process.
#include <gtest/gtest.h>

#include <vector>

#include "resources/PluginIdentity.h"
#include "standin/ThisProgram.h"
#include "tests/FailingAllocator.h"
#include "tests/PluginHostTest.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

class AllocationFailure : public CPluginHostTest {
protected:
    void SetUp() override { ASSERT_TRUE(CFailingAllocator::Install(m_temp.Path("tools\\"))); }
    void TearDown() override { CFailingAllocator::Pass(); }

    // The number of allocations the module asks for while the action runs with memory.
    template <typename Action>
    long AllocationsOf(Action action)
    {
        CFailingAllocator::Pass();
        CFailingAllocator::TakeAttempts();
        action();
        return CFailingAllocator::TakeAttempts();
    }

    // The exit; whether it left one ending dialog, shown, and the plug-in's tray icon under it.
    bool ExitShowsTheDisplay()
    {
        EXPECT_EQ(0, m_plugin->OnExit());
        std::vector<HWND> dialogs = EndingDialogs();
        EXPECT_EQ(1u, dialogs.size()) << "an earlier exit's dialog goes with the next exit";
        return dialogs.size() == 1 && IsWindowVisible(dialogs.front()) &&
               TrayIconExists(dialogs.front(), 128);
    }

    // The setup export, while a user presses the button in whatever dialog it shows.
    void Setup(int button)
    {
        CPluginHostTest::Setup([button](HWND dialog) { Click(dialog, button); });
    }

    // The information export writes its four texts whatever memory there is.
    void ExpectInfo()
    {
        auto info = reinterpret_cast<int(WINAPI*)(char*)>(
            reinterpret_cast<void*>(m_plugin->Get("BKC_OnPlugInInfo")));
        char record[320] = {};
        EXPECT_EQ(0, info(record));
        EXPECT_STREQ(TOLVANIX_NAME, record);
        EXPECT_STREQ(TOLVANIX_DESCRIPTION, record + 240);
    }

    // With memory back: the exit shows its display, and OK in the setup saves the switches.
    void ExpectEverythingWorks()
    {
        CFailingAllocator::Pass();
        EXPECT_TRUE(ExitShowsTheDisplay()) << "with memory back the exit shows its display";
        Setup(IDOK);
        EXPECT_EQ(SettingsFileText(), ReadFileText(SettingsPath())) << "and OK saves";
    }
};

}  // namespace

TEST_F(AllocationFailure, LoadWithoutMemoryIsRefusedAndEndsNothing)
{
    MakeFolders(m_temp.Path("tools"));
    CFailingAllocator::FailEvery();
    {
        CLoadedPlugin refused(m_temp.Path("tools\\Tolvanix.dll"));
        EXPECT_GT(CFailingAllocator::TakeAttempts(), 0) << "the module's start-up asks for memory";
        EXPECT_EQ(nullptr, refused.Module()) << "without room for the host's API table";
    }
    CFailingAllocator::Pass();
    Load();
    EXPECT_EQ(SettingsFileText(), ReadFileText(SettingsPath()));
    ExpectEverythingWorks();
}

TEST_F(AllocationFailure, EachAllocationOfTheStartUpMayFail)
{
    const long allocations = AllocationsOf([this] { Load(); });
    ASSERT_GT(allocations, 0);
    m_plugin.reset();
    for (long nth = 1; nth <= allocations; ++nth) {
        SCOPED_TRACE("allocation " + std::to_string(nth) + " of " + std::to_string(allocations));
        DeleteFileA(SettingsPath().c_str());
        CFailingAllocator::FailOnly(nth);
        {
            CLoadedPlugin plugin(m_temp.Path("tools\\Tolvanix.dll"));
            const std::string written = ReadFileText(SettingsPath());
            EXPECT_TRUE(written.empty() || written == SettingsFileText())
                << "a settings file is written whole or not at all";
        }
        CFailingAllocator::Pass();
    }
    Load();
    ExpectEverythingWorks();
}

// The earlier version's file beside the module is carried over whole, or stays where it is
// with nothing written: never the defaults in its place.
TEST_F(AllocationFailure, EachAllocationOfACarryOverMayFail)
{
    const std::string earlierPath = m_temp.Path("tools\\Tolvanix.ini");
    const CSwitchValues earlier = {0, 1, 0, 1, 0};
    auto placeTheEarlierFile = [&] {
        DeleteFileA(SettingsPath().c_str());
        WriteFileText(earlierPath, SettingsFileText(earlier));
    };
    MakeFolders(m_temp.Path("tools"));
    placeTheEarlierFile();
    const long allocations = AllocationsOf([this] { Load(); });
    ASSERT_GT(allocations, 0);
    m_plugin.reset();
    for (long nth = 1; nth <= allocations; ++nth) {
        SCOPED_TRACE("allocation " + std::to_string(nth) + " of " + std::to_string(allocations));
        placeTheEarlierFile();
        CFailingAllocator::FailOnly(nth);
        { CLoadedPlugin plugin(m_temp.Path("tools\\Tolvanix.dll")); }
        CFailingAllocator::Pass();
        if (IsFile(earlierPath)) {
            EXPECT_EQ(SettingsFileText(earlier), ReadFileText(earlierPath));
            EXPECT_FALSE(IsFile(SettingsPath())) << "nothing written while it stays";
        } else {
            EXPECT_EQ(SettingsFileText(earlier), ReadFileText(SettingsPath())) << "carried over whole";
        }
    }
}

// The host's first setup, before any exit: the window registry grows for the first time. A
// dialog whose object could not be found would take no button, key or close box, and leave the
// host's main window disabled for good.
TEST_F(AllocationFailure, EachAllocationOfAFirstSetupMayFail)
{
    Load();
    const long allocations = AllocationsOf([this] { Setup(IDOK); });
    ASSERT_GT(allocations, 0);
    for (long nth = 1; nth <= allocations; ++nth) {
        SCOPED_TRACE("allocation " + std::to_string(nth) + " of " + std::to_string(allocations));
        Load();
        CFailingAllocator::FailOnly(nth);
        Setup(IDCANCEL);
        CFailingAllocator::Pass();
        EXPECT_TRUE(IsWindowEnabled(m_host.Handle())) << "the host's window takes input again";
    }
    ExpectEverythingWorks();
}

TEST_F(AllocationFailure, EveryExportAnswersWithoutMemory)
{
    Load();
    CFailingAllocator::FailEvery();
    ExpectInfo();
    Setup(IDOK);
    EXPECT_EQ(0, m_plugin->OnExit());
    Setup(IDCANCEL);
    EXPECT_GT(CFailingAllocator::TakeAttempts(), 0) << "the exports asked for memory";
    ExpectEverythingWorks();
}

TEST_F(AllocationFailure, EachAllocationOfTheExitAndTheSetupMayFail)
{
    Load();
    const long exitAllocations = AllocationsOf([this] { ExitShowsTheDisplay(); });
    const long setupAllocations = AllocationsOf([this] { Setup(IDOK); });
    ASSERT_GT(exitAllocations, 0);
    ASSERT_GT(setupAllocations, 0);
    for (long nth = 1; nth <= exitAllocations; ++nth) {
        SCOPED_TRACE("exit allocation " + std::to_string(nth));
        CFailingAllocator::FailOnly(nth);
        EXPECT_EQ(0, m_plugin->OnExit());
    }
    for (long nth = 1; nth <= setupAllocations; ++nth) {
        SCOPED_TRACE("setup allocation " + std::to_string(nth));
        CFailingAllocator::FailOnly(nth);
        Setup(IDOK);
    }
    ExpectEverythingWorks();
}

TEST_F(AllocationFailure, TheAnimationGoesOnWithoutMemory)
{
    Load();
    ASSERT_TRUE(ExitShowsTheDisplay());
    const HWND window = EndingDialogs().back();
    auto modifies = [window] { return CShellRecorder::CallsFor(window, NIM_MODIFY).size(); };
    CFailingAllocator::TakeAttempts();
    CFailingAllocator::FailEvery();
    const size_t before = modifies();
    EXPECT_TRUE(WaitFor([&] { return modifies() >= before + 10; }, 20000))
        << "the frames go on";
    EXPECT_EQ(0, CFailingAllocator::TakeAttempts()) << "the animation thread asks for no memory";
    EXPECT_TRUE(TrayIconExists(window, 128));
}

// A module built by the same compiler family may have loaded its shared runtime first; the
// plug-in must not come to depend on it.
TEST_F(AllocationFailure, TheCompilersSharedRuntimeLoadedFirstChangesNothing)
{
#ifdef _WIN64
    const char* runtime = "libgcc_s_seh-1.dll";
#else
    const char* runtime = "libgcc_s_dw2-1.dll";
#endif
    ASSERT_NE(nullptr, LoadLibraryA((standin::ProgramFolder() + runtime).c_str())) << runtime;
    Load();
    CFailingAllocator::FailEvery();
    ExpectInfo();
    EXPECT_EQ(0, m_plugin->OnExit());
    Setup(IDOK);
    ExpectEverythingWorks();
}
