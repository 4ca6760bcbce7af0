// Anomaly runs on the shipped module, as the most trusted data stores run them: each platform
// call the module makes in a scenario fails in turn, once each, with the failure the platform
// gives; and the host is killed just before each file call of the carry-over and of setup's
// OK, then a fresh host starts. After each run: the host lived, every export returned, nothing
// spins or is left behind, and the settings file holds the old values or the new ones, whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "base/OwnedHandle.h"
#include "tests/Anomaly.h"
#include "tests/PlatformStandIn.h"
#include "tests/ProcessEnd.h"
#include "tests/TestSupport.h"

using namespace testing_support;

namespace {

// Of each call, the first ones fail in turn: past them a loop only repeats itself.
const long kMostFailedOfEachCall = 5;
// A child that has not ended by then hangs; starting one takes seconds in an emulated machine.
const DWORD kChildLimitMs = 60000;
// The animation's own share of a processor stays far below this; a spinning thread's does not.
const long kMostCpuPercent = 60;

const CSwitchValues kUsers = {0, 1, 0, 1, 0};
const CSwitchValues kEarlier = {1, 1, 0, 0, 0};
const CSwitchValues kEveryOn = {1, 1, 1, 1, 1};
// A user's file: the switches among lines of the user's own, which every save keeps.
const std::string kUsersFile =
    "; the user's own line\r\n" + SettingsFileText(kUsers) + "[Other]\r\nx=y\r\n";

// The switches as bits in the file's order, as the child reports the boxes it saw.
long Boxes(const CSwitchValues& values)
{
    return values.dialog << 4 | values.topMost << 3 | values.icon << 2 | values.animation << 1 |
        values.hide;
}

struct CRun {
    std::string folder;
    DWORD process = 0;
    DWORD exitCode = 0;
    anomaly::CReport report;

    std::string Current() const { return Text(folder + "data\\Plugins\\Tolvanix.ini"); }
    std::string Earlier() const { return Text(folder + "tools\\Tolvanix.ini"); }
    // The names in the settings folder besides the settings file.
    std::vector<std::string> Others() const
    {
        std::vector<std::string> names = Entries(folder + "data\\Plugins\\");
        names.erase(std::remove(names.begin(), names.end(), "Tolvanix.ini"), names.end());
        return names;
    }

    static std::string Text(const std::string& path)
    {
        return IsFile(path) ? ReadFileText(path) : "(no file)";
    }
};

using CJudge = std::function<void(const CRun&)>;

// What every run must keep, whatever it met.
void ExpectTheHostLived(const CRun& run)
{
    EXPECT_EQ(0u, run.exitCode) << "the host ended with this code";
    EXPECT_EQ(1, run.report.Value("done")) << "the host did not get through its scenario";
}

// Temporaries are the only files a run may leave beside the settings file: a refused delete
// leaves one, which the next start removes.
void ExpectOnlyTemporaries(const CRun& run)
{
    for (const std::string& name : run.Others())
        EXPECT_NE(std::string::npos, name.find(".tmp")) << name;
}

void ExpectTheSetupReturned(const CRun& run)
{
    EXPECT_EQ(1, run.report.Value("setup"));
    EXPECT_EQ(1, run.report.Value("hostEnabled")) << "the host's window stays disabled";
    EXPECT_EQ(0, run.report.Value("windowsLeft")) << "a dialog outlived the module";
}

void ExpectTheEndLeftNothing(const CRun& run)
{
    EXPECT_EQ(0, run.report.Value("exit"));
    EXPECT_LT(run.report.Value("cpuPercent", 100), kMostCpuPercent) << "a thread spins";
    CProcessEndResult end;
    ReadShellLog(anomaly::ShellLogPath(run.folder, run.process), end);
    EXPECT_EQ(0u, end.faultCode) << "a fault in the host";
    EXPECT_FALSE(end.iconLeft && !end.IconLeftForACause()) << end.Describe();
}

class Anomaly : public ::testing::Test {
protected:
    // A fresh folder of the test's with the plug-in in tools\ and the seed's files.
    std::string Prepare(const std::string& name, const CSettingsFiles& seed)
    {
        const std::string folder = m_temp.Path(name + "\\");
        MakeFolders(folder + "data\\Plugins");
        PlaceHostFolder(folder, seed, true);
        return folder;
    }

    // A child host started in the folder, and its process.
    struct CChild {
        CRun run;
        CKernelHandle process;
    };

    CChild StartChild(const std::string& folder, const std::string& scenario,
                      const std::string& mode)
    {
        CChild child;
        child.run.folder = folder;
        child.process = testing_support::StartChild(
            "anomaly_child.exe",
            "\"" + folder.substr(0, folder.size() - 1) + "\" " + scenario + " " + mode,
            &child.run.process);
        if (!child.process)
            child.run.exitCode = GetLastError();
        return child;
    }

    // Its run, once it has ended; one that hangs is ended.
    static CRun Finish(CChild& child)
    {
        HANDLE process = child.process.get();
        if (!process)
            return child.run;
        if (WaitForSingleObject(process, kChildLimitMs) != WAIT_OBJECT_0) {
            TerminateProcess(process, WAIT_TIMEOUT);
            WaitForSingleObject(process, INFINITE);
        }
        GetExitCodeProcess(process, &child.run.exitCode);
        child.run.report = anomaly::CReport::Read(child.run.folder, child.run.process);
        return child.run;
    }

    CRun RunChild(const std::string& folder, const std::string& scenario, const std::string& mode)
    {
        CChild child = StartChild(folder, scenario, mode);
        return Finish(child);
    }

    // The run with nothing failing, which must pass the judge as well; then each call the
    // module made in it failing in turn.
    CRun EachCallFailingInTurn(const std::string& scenario, const CSettingsFiles& seed,
                               const CJudge& judge)
    {
        const CRun clean = RunChild(Prepare("clean", seed), scenario, "count");
        {
            SCOPED_TRACE("nothing fails");
            ExpectTheHostLived(clean);
            judge(clean);
        }
        long runs = 0;
        for (const auto& counted : clean.report.calls) {
            const std::string& name = counted.first;
            for (long nth = 1; nth <= std::min(counted.second, kMostFailedOfEachCall); ++nth) {
                SCOPED_TRACE(name + ", call " + std::to_string(nth) + " of " +
                             std::to_string(counted.second) + ", fails");
                const std::string folder = Prepare(name + "-" + std::to_string(nth), seed);
                const CRun run =
                    RunChild(folder, scenario, "fail " + name + " " + std::to_string(nth));
                ExpectTheHostLived(run);
                judge(run);
                ++runs;
            }
        }
        std::printf("%ld runs, each with one of %zu calls failing\n", runs,
                    clean.report.calls.size());
        return clean;
    }

    // The host killed before each file call the clean run made, then a fresh host's start;
    // the clean run.
    CRun KilledBeforeEachFileCall(const std::string& scenario, const CSettingsFiles& seed,
                                  const CJudge& judge)
    {
        const CRun clean = RunChild(Prepare("clean", seed), scenario, "count");
        ExpectTheHostLived(clean);
        const long fileCalls = clean.report.Value("fileCalls", 0);
        EXPECT_GT(fileCalls, 0);
        for (long nth = 1; nth <= fileCalls; ++nth) {
            SCOPED_TRACE("killed before file call " + std::to_string(nth) + " of " +
                         std::to_string(fileCalls));
            const std::string folder = Prepare("killed-" + std::to_string(nth), seed);
            EXPECT_EQ(anomaly::kKilled,
                      RunChild(folder, scenario, "kill " + std::to_string(nth)).exitCode);
            const CRun next = RunChild(folder, "start", "count");
            ExpectTheHostLived(next);
            EXPECT_TRUE(next.Others().empty())
                << "the next start removes what the killed host left";
            judge(next);
        }
        std::printf("%ld hosts killed, each before another file call\n", fileCalls);
        return clean;
    }

    CTempFolder m_temp;
};

}  // namespace

TEST_F(Anomaly, EachCallFailingInTheStartWithAFileLeavesBothFiles)
{
    const CSettingsFiles seed = {kUsersFile, SettingsFileText(kEarlier)};
    const CRun clean = EachCallFailingInTurn("start", seed, [&seed](const CRun& run) {
        EXPECT_EQ(seed.current, run.Current());
        EXPECT_EQ(seed.earlier, run.Earlier());
        EXPECT_TRUE(run.Others().empty());
    });
    // Every import of the system's modules either fails in these runs or cannot fail.
    std::vector<std::string> known = CallsThatCannotFail();
    for (const CPlatformCall& call : FailingCalls())
        known.push_back(call.name);
    EXPECT_FALSE(clean.report.imports.empty());
    for (const std::string& name : clean.report.imports)
        EXPECT_NE(known.end(), std::find(known.begin(), known.end(), name)) << name;
}

TEST_F(Anomaly, EachCallFailingInTheCarryOverKeepsTheEarlierValues)
{
    const CSettingsFiles seed = {"", SettingsFileText(kEarlier)};
    EachCallFailingInTurn("start", seed, [&seed](const CRun& run) {
        if (run.Current() == "(no file)") {
            EXPECT_EQ(seed.earlier, run.Earlier()) << "deleted before its values were carried";
        } else {
            EXPECT_EQ(SettingsFileText(kEarlier), run.Current());
        }
        ExpectOnlyTemporaries(run);
    });
}

TEST_F(Anomaly, EachCallFailingInSetupOkLeavesTheOldFileOrTheNewWhole)
{
    const CSettingsFiles seed = {kUsersFile, ""};
    std::string saved;
    EachCallFailingInTurn("setup-ok", seed, [&saved](const CRun& run) {
        ExpectTheSetupReturned(run);
        if (saved.empty())
            saved = run.Current();
        EXPECT_TRUE(run.Current() == kUsersFile || run.Current() == saved) << run.Current();
        ExpectOnlyTemporaries(run);
    });
    EXPECT_NE(std::string::npos,
              saved.find("; the user's own line\r\n[Tolvanix]\r\nEndingDialog=1\r\n"
                         "EndingDialogTopMost=0\r\nEndingIcon=1\r\n"
                         "EndingIconAnimation=0\r\nHideBecky=1\r\n[Other]"))
        << saved;
}

TEST_F(Anomaly, EachCallFailingInSetupCancelWritesNothing)
{
    EachCallFailingInTurn("setup-cancel", {kUsersFile, ""}, [](const CRun& run) {
        ExpectTheSetupReturned(run);
        EXPECT_EQ(kUsersFile, run.Current());
        EXPECT_TRUE(run.Others().empty());
    });
}

TEST_F(Anomaly, EachCallFailingInTheExitWithTheDefaultsLeavesNothingBehind)
{
    const std::string settings = SettingsFileText(kDefaultSwitches);
    EachCallFailingInTurn("exit", {settings, ""}, [&settings](const CRun& run) {
        ExpectTheEndLeftNothing(run);
        EXPECT_EQ(settings, run.Current());
    });
}

TEST_F(Anomaly, EachCallFailingInTheExitWithEverySwitchOnLeavesNothingBehind)
{
    const std::string settings = SettingsFileText(kEveryOn);
    EachCallFailingInTurn("exit", {settings, ""}, [&settings](const CRun& run) {
        ExpectTheEndLeftNothing(run);
        EXPECT_EQ(settings, run.Current());
    });
}

TEST_F(Anomaly, EachCallFailingInTheUnloadWhileAnimatingLeavesNothingBehind)
{
    EachCallFailingInTurn("unload", {SettingsFileText(kDefaultSwitches), ""},
                          [](const CRun& run) { ExpectTheEndLeftNothing(run); });
}

TEST_F(Anomaly, HostKilledBeforeEachFileCallOfTheCarryOverLosesNoValue)
{
    const CRun clean =
        KilledBeforeEachFileCall("start", {"", SettingsFileText(kEarlier)}, [](const CRun& run) {
            EXPECT_EQ(SettingsFileText(kEarlier), run.Current());
        });
    // On the disk before it is moved into place, and in place before the earlier file goes.
    const anomaly::CReport& calls = clean.report;
    EXPECT_LT(calls.LastPlaceOf("FlushFileBuffers"), calls.LastPlaceOf("MoveFileExA"));
    EXPECT_LT(calls.LastPlaceOf("MoveFileExA"), calls.LastPlaceOf("DeleteFileA"));
    EXPECT_LT(calls.LastPlaceOf("WritePrivateProfileStringA"),
              calls.LastPlaceOf("FlushFileBuffers"));
}

TEST_F(Anomaly, CarryOverCutShortWhoseCleanUpIsRefusedLeavesNoPartOfAFile)
{
    const std::string folder = Prepare("refused", {"", SettingsFileText(kEarlier)});
    const CRun cut =
        RunChild(folder, "start", "fail WritePrivateProfileStringA 5 DeleteFileA every");
    ExpectTheHostLived(cut);
    EXPECT_EQ("(no file)", cut.Current()) << "what the next start would take for the user's";
    const CRun next = RunChild(folder, "start", "count");
    EXPECT_EQ(SettingsFileText(kEarlier), next.Current());
    EXPECT_EQ("(no file)", next.Earlier());
    EXPECT_TRUE(next.Others().empty());
}

// A host that starts while another is at any step of the carry-over works with the earlier
// values, and the two settle on one file that holds them.
TEST_F(Anomaly, SecondHostDuringTheCarryOverWorksWithTheEarlierValues)
{
    const CSettingsFiles seed = {"", SettingsFileText(kEarlier)};
    const long fileCalls =
        RunChild(Prepare("clean", seed), "start", "count").report.Value("fileCalls", 0);
    EXPECT_GT(fileCalls, 0);
    for (long nth = 1; nth <= fileCalls; ++nth) {
        SCOPED_TRACE("the first host held before file call " + std::to_string(nth));
        const std::string folder = Prepare("held-" + std::to_string(nth), seed);
        const std::string name =
            "tolvanix-held-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(nth);
        CKernelHandle reached(CreateEventA(nullptr, TRUE, FALSE, (name + "-reached").c_str()));
        CKernelHandle release(CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str()));
        CChild first = StartChild(folder, "start", "hold " + std::to_string(nth) + " " + name);
        HANDLE either[] = {reached.get(), first.process.get()};
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, either, FALSE, kChildLimitMs))
            << "the first host never got there";
        const CRun second = RunChild(folder, "setup-cancel", "count");
        ExpectTheHostLived(second);
        EXPECT_EQ(Boxes(kEarlier), second.report.Value("boxes")) << "what its setup shows";
        SetEvent(release.get());
        const CRun done = Finish(first);
        ExpectTheHostLived(done);
        EXPECT_EQ(SettingsFileText(kEarlier), done.Current());
        EXPECT_EQ("(no file)", done.Earlier()) << "carried over, and deleted";
        EXPECT_TRUE(done.Others().empty());
    }
}

TEST_F(Anomaly, HostKilledBeforeEachFileCallOfSetupOkLeavesTheOldFileOrTheNewWhole)
{
    const CRun saved = RunChild(Prepare("saved", {kUsersFile, ""}), "setup-ok", "count");
    KilledBeforeEachFileCall("setup-ok", {kUsersFile, ""}, [&saved](const CRun& run) {
        EXPECT_TRUE(run.Current() == kUsersFile || run.Current() == saved.Current())
            << run.Current();
    });
}
