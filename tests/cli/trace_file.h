// Reading the port trace that orlex-plotter-cli --trace writes: time_us,register,value.
#pragma once

#include "cli_runner.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace orlex::cli::testing {

struct TraceLine {
    long long timeMicros = 0;
    std::string reg; // "data" or "control"
    int value = 0;
};

inline std::vector<TraceLine> readTrace(const fs::path& file)
{
    std::vector<TraceLine> lines;
    std::istringstream in(readFile(file));
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        TraceLine t;
        const auto first = line.find(',');
        const auto second = line.find(',', first + 1);
        t.timeMicros = std::stoll(line.substr(0, first));
        t.reg = line.substr(first + 1, second - first - 1);
        t.value = std::stoi(line.substr(second + 1));
        lines.push_back(t);
    }
    return lines;
}

inline long countWrites(const std::vector<TraceLine>& trace, const std::string& reg)
{
    return std::count_if(trace.begin(), trace.end(), [&](const TraceLine& t) { return t.reg == reg; });
}

// The values written to one register, in order.
inline std::vector<int> valuesOf(const std::vector<TraceLine>& trace, const std::string& reg)
{
    std::vector<int> values;
    for (const TraceLine& t : trace)
        if (t.reg == reg)
            values.push_back(t.value);
    return values;
}

// The trace ends as every way out of the tool must: pen up, then the coils off.
inline bool endsSafely(const std::vector<TraceLine>& trace)
{
    const std::size_t n = trace.size();
    return n >= 2 && trace[n - 2].reg == "control" && trace[n - 2].value == 1 && trace[n - 1].reg == "data"
           && trace[n - 1].value == 0;
}

} // namespace orlex::cli::testing
