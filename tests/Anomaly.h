#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A host that meets one anomaly while the plug-in runs one scenario (anomaly_child):
//
//   anomaly_child FOLDER SCENARIO count          every call counted, none failed
//   anomaly_child FOLDER SCENARIO fail NAME NTH  the NTH call of NAME fails
//   anomaly_child FOLDER SCENARIO kill NTH       the host is killed just before its NTH file call
//
// FOLDER holds tools\Tolvanix.dll and the data folder data\, with whatever files the test put
// there. Only the scenario's own part meets the anomaly: the start for "start", the export
// (and what follows until the process ends) for the others.
namespace anomaly {

const char* const kScenarios[] = {"start", "setup-ok", "setup-cancel", "exit", "unload"};
// The exit code of a host killed before a file call.
const UINT kKilled = 9;

// Where a child writes what it saw, named after its process, so that two hosts can share a
// folder: its report, each call that the stand-ins counted, and its tray calls.
std::string ReportPath(const std::string& folder, DWORD process);
std::string CallLogPath(const std::string& folder, DWORD process);
std::string ShellLogPath(const std::string& folder, DWORD process);

// What the child saw, as it wrote it to its report, a "word value" a line: whether the
// module loaded, what each export returned, the host window enabled after setup, windows left
// after unload, the CPU share while the animation ran, the file calls, and the module's
// imports of the system's modules; and each call, in order and counted, from its call log,
// which the stand-ins write as the calls come, the process's end included.
struct CReport {
    std::map<std::string, long> values;
    std::map<std::string, long> calls;
    std::vector<std::string> order;
    std::vector<std::string> imports;

    long Value(const std::string& word, long otherwise = -1) const;
    // Where the named call came last in the order, or -1.
    long LastPlaceOf(const std::string& name) const;
    static CReport Read(const std::string& folder, DWORD process);
};

}  // namespace anomaly

}  // namespace testing_support
