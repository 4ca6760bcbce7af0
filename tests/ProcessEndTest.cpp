// The host's last moment: child hosts that end their process with the plug-in's display up,
// at chosen moments, some with a shell that answers slowly and calls back into the icon's
// window. Run with freed memory poisoned (WINEDEBUG=warn+heap), so that a read of a destroyed
// object crashes the child instead of passing by luck.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/ProcessEnd.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

class ProcessEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* debug = std::getenv("WINEDEBUG");
        ASSERT_TRUE(debug && std::string(debug).find("warn+heap") != std::string::npos)
            << "run with WINEDEBUG=warn+heap: without it a freed object still reads as it was";
    }

    CProcessEndResult Run(const CProcessEndPlan& plan)
    {
        return RunProcessEnd(plan, m_temp.Path("child-" + std::to_string(++m_children)));
    }

    // Ended at once and cleanly, the icon removed and the desktop repainted.
    void ExpectClean(const CProcessEndResult& result)
    {
        EXPECT_TRUE(result.EndedCleanly()) << result.Describe();
        EXPECT_FALSE(result.iconLeft) << result.Describe();
        EXPECT_TRUE(result.desktopRepainted) << result.Describe();
    }

    CTempFolder m_temp;
    int m_children = 0;
};

CProcessEndPlan Plan(CProcessEndPlan::End end, DWORD offsetMs = 0)
{
    CProcessEndPlan plan;
    plan.end = end;
    plan.offsetMs = offsetMs;
    return plan;
}

}  // namespace

TEST_F(ProcessEnd, EndInAPauseRemovesTheIconAndRepaintsTheDesktop)
{
    CProcessEndResult result = Run(Plan(CProcessEndPlan::kInPause));
    ExpectClean(result);
    EXPECT_TRUE(result.iconAdded) << result.Describe();
}

TEST_F(ProcessEnd, EndBeforeTheFirstPauseLeavesNoIcon)
{
    ExpectClean(Run(Plan(CProcessEndPlan::kBeforeThreadRuns)));
    ExpectClean(Run(Plan(CProcessEndPlan::kAtOnce)));
    ExpectClean(Run(Plan(CProcessEndPlan::kInFirstPause, 50)));
}

TEST_F(ProcessEnd, ShellCallingBackDuringTheRemovalReachesNoDestroyedObject)
{
    for (bool freeFirst : {false, true}) {
        for (bool animation : {true, false}) {
            // In a pause, so that the removal runs: an end inside a frame may leave the icon.
            CProcessEndPlan plan =
                animation ? Plan(CProcessEndPlan::kInPause) : Plan(CProcessEndPlan::kAfter, 300);
            plan.animation = animation;
            plan.freeFirst = freeFirst;
            plan.shellDelayMs = 3;
            plan.reenter = true;
            ExpectClean(Run(plan));
        }
    }
}

TEST_F(ProcessEnd, FrameCutOffInTheShellLeavesTheIconRatherThanHang)
{
    CProcessEndResult result = Run(Plan(CProcessEndPlan::kStalled));
    EXPECT_TRUE(result.EndedCleanly()) << result.Describe();
    EXPECT_TRUE(result.iconLeft) << "no shell call after the cut-off frame: " << result.Describe();
    EXPECT_TRUE(result.endedInsideShellCall) << result.Describe();
}

// A short form of the stress run that make bench reports on: the end spread over the whole
// cycle. Only a thread ended inside a shell or window call may leave the icon, and then the
// exit skips the repaint too, since the window system may be locked for good.
TEST_F(ProcessEnd, EndsAnywhereInTheCycleAreCleanAndLeaveAnIconOnlyIfCutOffInACall)
{
    const char* runsText = std::getenv("TOLVANIX_PROCESS_END_RUNS");
    const int runs = runsText ? std::atoi(runsText) : 16;
    int ghosts = 0;
    for (int n = 0; n < runs; ++n) {
        CProcessEndResult result = Run(CProcessEndPlan::Spread(n));
        std::printf("child %d: %s\n", n, result.Describe().c_str());
        EXPECT_TRUE(result.EndedCleanly()) << result.Describe();
        if (result.iconLeft) {
            ++ghosts;
            EXPECT_TRUE(result.IconLeftForACause()) << result.Describe();
        } else {
            EXPECT_TRUE(result.desktopRepainted) << result.Describe();
        }
    }
    std::printf("%d children, %d left their icon, each with a thread ended inside a call\n", runs,
                ghosts);
}
