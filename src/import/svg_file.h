// Reading an SVG file safely: regular files only, size-limited, and a quick look at the
// first bytes to tell an SVG by its content.
#pragma once

#include "common/result.h"

#include <QByteArray>

#include <cstdint>
#include <filesystem>

namespace orlex {

// The whole file, refused unread when it is not a regular file or larger than `limit`.
// Messages name the file.
Result<QByteArray> readSvgFile(const std::filesystem::path& file, std::uintmax_t limit);

// True when `head` (the first bytes of a file) starts like an SVG document.
bool looksLikeSvg(const QByteArray& head);

} // namespace orlex
