// One finding of the port check: what was found, how it stands (ok, note, problem), and
// what to do about it, as the operator would type it.
#pragma once

#include <string>
#include <vector>

namespace orlex {

enum class FindingLevel { Ok, Note, Problem };

struct Finding {
    FindingLevel level = FindingLevel::Ok;
    std::string topic;            // what it is about, for scripts: "driver", "device", "rt-throttle", ...
    std::string text;             // one line, no full stop at the end
    std::vector<std::string> fix; // the commands or steps that mend it, one a line; may be empty
};

const char* levelName(FindingLevel level); // "ok", "note", "problem"

// The findings as the operator reads them: one line each, marked "ok", "note" or
// "problem", and each line of a fix indented below it.
std::string reportText(const std::vector<Finding>& findings);

// How many findings are problems.
int problemCount(const std::vector<Finding>& findings);

} // namespace orlex
