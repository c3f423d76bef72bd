// Writing a whole buffer to a file descriptor, past short writes and interruptions.
#pragma once

#include <string_view>

namespace orlex {

// Writes all of `bytes` to `fd`, again after a short write or EINTR. False on failure,
// with errno saying why (EIO when write() wrote nothing without an error).
bool writeAll(int fd, std::string_view bytes);

} // namespace orlex
