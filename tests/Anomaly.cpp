#include "tests/Anomaly.h"

#include <fstream>
#include <sstream>

namespace testing_support {

namespace anomaly {

long CReport::Value(const std::string& word, long otherwise) const
{
    auto found = values.find(word);
    return found == values.end() ? otherwise : found->second;
}

CReport CReport::Read(const std::string& folder)
{
    CReport report;
    std::ifstream in(folder + "report.txt");
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
    std::ifstream calls(folder + "calls.log");
    for (std::string name; std::getline(calls, name);)
        ++report.calls[name];
    return report;
}

}  // namespace anomaly

}  // namespace testing_support
