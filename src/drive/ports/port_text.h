// Small text helpers shared by the port backends' messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orlex {

// An I/O address as people write it: 0x378.
inline std::string hexAddress(std::uint16_t address)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(address));
    return text;
}

} // namespace orlex
