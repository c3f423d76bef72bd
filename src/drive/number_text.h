// Shortest decimal text of a double for operator messages ("12.5", "1e+300", "inf").
#pragma once

#include <charconv>
#include <string>

namespace orlex {

inline std::string numberText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace orlex
