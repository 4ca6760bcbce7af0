#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// One platform call of the module under test, replaced by a stand-in that counts the module's
// calls of it and forwards them, or gives the failure the platform gives (its documented
// result and a plausible last error) at the calls chosen, or ends the process just before a
// chosen file call (create, copy, write, move, delete), as a host killed there would end, or
// holds it there.
struct CPlatformCall {
    const char* dll;
    const char* name;
    ULONG_PTR failure;
    DWORD error;
    bool fileCall;
    // The row's stand-in (tests/ExportStandIn.h): made to answer the folder's modules, and
    // put in place.
    void (*answerFor)(const std::string& folder);
    bool (*installInExports)(const char* dll, const char* name);
    bool (*installInImports)(HMODULE module, const char* dll, const char* name);
};

// Every call the module imports that can fail, with its failure.
const std::vector<CPlatformCall>& FailingCalls();
// The calls the module imports that have no failure to give (a lock, a pause, the message
// loop's own steps, a query that always answers).
const std::vector<std::string>& CallsThatCannotFail();

// What the stand-ins do with the module's calls.
class CPlatformStandIns {
public:
    // Before the module loads: the exports of the system's modules point at the stand-ins, so
    // that the module binds its imports to them from its start-up code on. Only calls from
    // modules loaded from the folder are counted or failed.
    static bool InstallInExports(const std::string& folder);
    // After it loaded: its import slots point at the stand-ins, which forward to whatever the
    // slots held (a recorder, say).
    static void InstallInImports(HMODULE module);

    // Counting starts and stops: calls outside are neither counted nor failed.
    static void Arm();
    static void Disarm();
    // The call of that many calls of the name from now on (1: the next one) fails.
    static void FailAt(const std::string& name, long nth);
    static void FailEvery(const std::string& name);
    // The process ends with this exit code just before that many file calls from now on.
    static void KillAtFileCall(long nth, UINT exitCode);
    // The calling thread waits there instead, once it has set the first event, until the
    // second is set: a host caught in the middle of a write.
    static void HoldAtFileCall(long nth, HANDLE reached, HANDLE release);
    // Every call counted from now on is also written to the file, its name a line, so that
    // the calls made while the process ends can be known.
    static void LogCallsTo(const std::string& path);
    // The module's file calls since Arm.
    static long FileCalls();
};

// The module's imports of the system's modules, by name, read from its import table.
std::vector<std::string> PlatformImports(HMODULE module);

}  // namespace testing_support
