// Finding the control bytes of a file that is not text (see binary_data.h).
#include "hpgl/binary_data.h"

#include "hpgl/plot_file.h"

#include <array>
#include <cstdio>

namespace orlex {

namespace {

// How much of a file is looked at: a picture or a compressed stream shows itself in its
// first bytes; a plot file of any size is not read twice for this.
constexpr std::size_t kOpeningBytes = 64 * 1024;

bool plotFileHolds(unsigned char c)
{
    if (c >= 0x20)
        return true; // DEL and everything above are left to the readings
    switch (c) {
    case 0x00: // padding
    case 0x03: // ETX, the label terminator
    case 0x09: // tab
    case 0x0A: // line feed
    case 0x0B: // vertical tab
    case 0x0C: // form feed
    case 0x0D: // carriage return
    case 0x1A: // SUB, an end-of-file mark
    case 0x1B: // ESC, device control
        return true;
    default: return false;
    }
}

} // namespace

std::optional<BinaryData> findBinaryData(const std::string& path)
{
    const Result<OpenedPlotFile> opened = openPlotFile(path);
    if (!opened)
        return std::nullopt;
    std::array<unsigned char, kOpeningBytes> bytes{};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), opened->file);
    std::fclose(opened->file);
    for (std::size_t i = 0; i < got; ++i)
        if (!plotFileHolds(bytes[i]))
            return BinaryData{i, bytes[i], got >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B};
    return std::nullopt;
}

std::string binaryDataMessage(const std::string& shownName, const BinaryData& found)
{
    const std::string name = "\"" + shownName + "\" is not a plot file: ";
    if (found.gzip)
        return name
               + "it is compressed (gzip). Unpack it first (gunzip; an .svgz drawing gives an .svg) and open "
                 "what that gives.";
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", found.byte);
    return name + "it holds binary data (byte " + byte + " at offset " + std::to_string(found.offset)
           + "), which no plot file holds.";
}

} // namespace orlex
