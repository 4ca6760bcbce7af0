#include "tests/Anomaly.h"

#include <fstream>
#include <sstream>

namespace testing_support {

namespace anomaly {

std::string ReportPath(const std::string& folder, DWORD process)
{
    return folder + "report-" + std::to_string(process) + ".txt";
}

std::string CallLogPath(const std::string& folder, DWORD process)
{
    return folder + "calls-" + std::to_string(process) + ".log";
}

std::string ShellLogPath(const std::string& folder, DWORD process)
{
    return folder + "shell-" + std::to_string(process) + ".log";
}

long CReport::Value(const std::string& word, long otherwise) const
{
    auto found = values.find(word);
    return found == values.end() ? otherwise : found->second;
}

long CReport::LastPlaceOf(const std::string& name) const
{
    for (size_t at = order.size(); at > 0; --at) {
        if (order[at - 1] == name)
            return static_cast<long>(at - 1);
    }
    return -1;
}

CReport CReport::Read(const std::string& folder, DWORD process)
{
    CReport report;
    std::ifstream in(ReportPath(folder, process));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string word, name;
        long value = 0;
        fields >> word;
        if (word == "import") {
            fields >> name;
            report.imports.push_back(name);
        } else if (fields >> value) {
            report.values[word] = value;
        }
    }
    std::ifstream calls(CallLogPath(folder, process));
    for (std::string name; std::getline(calls, name);) {
        ++report.calls[name];
        report.order.push_back(name);
    }
    return report;
}

}  // namespace anomaly

}  // namespace testing_support
