// Allocation failures where the system or the host calls in: nothing may be thrown out of a
// loader notification or a thread's procedure, where an exception ends the host.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "host/HostApiTable.h"
#include "settings/EndingInfo.h"
#include "settings/ModuleInstance.h"
#include "settings/SettingsLocation.h"
#include "standin/StandInHost.h"
#include "tests/TestSupport.h"
#include "ui/ending/EndingDlg.h"
#include "ui/ending/EndingIcon.h"

using namespace testing_support;

namespace {

enum class EFailing { kNone, kEvery, kOnOtherThreads };
std::atomic<EFailing> g_failing{EFailing::kNone};
// Static initialisation runs on the main thread.
const DWORD g_mainThread = GetCurrentThreadId();

bool AllocationFails()
{
    switch (g_failing.load()) {
    case EFailing::kEvery:
        return true;
    case EFailing::kOnOtherThreads:
        return GetCurrentThreadId() != g_mainThread;
    default:
        return false;
    }
}

// Fails allocations as g_failing says while it is set, for as long as it lives.
class CFailingAllocations {
public:
    explicit CFailingAllocations(EFailing which) { g_failing = which; }
    ~CFailingAllocations() { g_failing = EFailing::kNone; }
    CFailingAllocations(const CFailingAllocations&) = delete;
    CFailingAllocations& operator=(const CFailingAllocations&) = delete;
};

}  // namespace

void* operator new(std::size_t size)
{
    if (!AllocationFails()) {
        if (void* block = std::malloc(size ? size : 1))
            return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

TEST(OutOfMemory, SettingsStartUpThrowsNothingAndKeepsTheDefaults)
{
    CTempFolder temp;
    SetModuleInstance(GetModuleHandleA(nullptr));
    standin::SetDataFolder(temp.Path("data\\").c_str());
    ASSERT_EQ(1, BindHostApi());
    g_endingInfo.EndingDialog = 0;
    bool threw = false;
    {
        CFailingAllocations failing(EFailing::kEvery);
        try {
            StartUpSettings();
        } catch (...) {
            threw = true;
        }
    }
    EXPECT_FALSE(threw) << "it runs inside the loader's attach notification";
    EXPECT_TRUE(g_endingInfo.FilePath.empty()) << "no file is bound, so none is written";
    EXPECT_EQ(1, g_endingInfo.EndingDialog) << "the defaults hold";
    EXPECT_FALSE(FolderExists(temp.Path("data\\Plugins")));
    standin::SetDataFolder("C:\\");
}

TEST(OutOfMemory, AnimationThreadAllocatesNothing)
{
    SetModuleInstance(GetModuleHandleA(nullptr));
    CEndingDlg dialog;
    ASSERT_EQ(1, dialog.Create());
    {
        // Were the thread to allocate, the failure would end this program.
        CFailingAllocations failing(EFailing::kOnOtherThreads);
        CEndingIcon icon;
        ASSERT_NE(0, icon.Start(dialog));
        const HICON still = icon.m_notifyIconData.hIcon;
        EXPECT_TRUE(WaitFor([&icon, still] { return icon.m_notifyIconData.hIcon != still; }))
            << "the thread loads the moving frames and shows them";
    }
    DestroyWindow(dialog.m_hWnd);
}
