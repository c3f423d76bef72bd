// Shortest decimal text of a double for operator messages ("12.5", "1000000", "1e+300").
#pragma once

#include <charconv>
#include <string>
#include <system_error>

namespace orlex {

inline std::string numberText(double value)
{
    char buffer[128];
    // Plain digits where they fit the buffer, exponent form otherwise (1e+300, 1e-300).
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc{} || result.ptr - buffer > 24)
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace orlex
