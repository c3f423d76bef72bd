// Files that are not text: a picture or a compressed file chosen as a plot. Neither reading
// of a plot takes them, since scanning their bytes for two-letter commands finds commands
// and coordinates in noise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

// The first control byte in a file's opening bytes that no plot file holds. Plot files
// are text; besides printable bytes they may hold tab, line ends, vertical tab, form feed,
// ETX (the label terminator), ESC (device control sequences), SUB (an old end-of-file
// mark) and NUL (padding), and any byte from 128 on (8-bit encoded polylines, labels).
struct BinaryData {
    std::uint64_t offset = 0;
    unsigned char byte = 0;
    bool gzip = false; // the file starts as a gzip stream does (an .svgz drawing, say)
};

// nullopt when the opening bytes hold none of them, or the file cannot be read (the runs
// then report that in their own words).
std::optional<BinaryData> findBinaryData(const std::string& path);

// "\"NAME\" is not a plot file: it holds binary data (byte 0x08 at offset 24), which no
// plot file holds.", or, for a gzip stream, that it must be unpacked first.
std::string binaryDataMessage(const std::string& shownName, const BinaryData& found);

} // namespace orlex
