// The report's text: a column of marks, then the finding; its fix indented beneath.
#include "run/port_check/finding.h"

#include <algorithm>

namespace orlex {

namespace {
constexpr std::size_t kTextColumn = 9; // "problem" and two blanks
}

const char* levelName(FindingLevel level)
{
    switch (level) {
    case FindingLevel::Ok: return "ok";
    case FindingLevel::Note: return "note";
    case FindingLevel::Problem: return "problem";
    }
    return "?";
}

std::string reportText(const std::vector<Finding>& findings)
{
    std::string text;
    for (const Finding& finding : findings) {
        const std::string mark = levelName(finding.level);
        text += mark + std::string(kTextColumn - mark.size(), ' ') + finding.text + "\n";
        for (const std::string& line : finding.fix)
            text += std::string(kTextColumn + 2, ' ') + line + "\n";
    }
    return text;
}

int problemCount(const std::vector<Finding>& findings)
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.level == FindingLevel::Problem; }));
}

} // namespace orlex
