// Reading an SVG file safely: regular files only, size-limited, gzip-compressed files
// (.svgz) inflated within the same limit, and a quick look at the first bytes to tell an
// SVG by its content.
#pragma once

#include "common/result.h"

#include <QByteArray>

#include <cstdint>
#include <filesystem>

namespace orlex {

// The whole file, refused unread when it is not a regular file or larger than `limit`.
// Messages name the file.
Result<QByteArray> readSvgFile(const std::filesystem::path& file, std::uintmax_t limit);

// True when `bytes` start with gzip's magic number.
bool isGzip(const QByteArray& bytes);

// The bytes inflated, when they are gzip-compressed (else as they are); refused when the
// data is damaged or inflates to more than `limit` bytes. With `partial`, inflates only
// the first `limit` bytes and keeps what came out before any damage (for a look at the
// head). Messages do not name the file.
Result<QByteArray> inflatedSvg(const QByteArray& bytes, std::uintmax_t limit, bool partial = false);

// True when `head` (the first bytes of a file, inflated if need be) starts like an SVG
// document.
bool looksLikeSvg(const QByteArray& head);

} // namespace orlex
