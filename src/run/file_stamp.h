// Size and modification time of a file: enough to notice that a plot file changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orlex {

struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool operator==(const FileStamp&) const = default;
};

// nullopt when the file cannot be examined (missing, no permission).
inline std::optional<FileStamp> stampOf(const std::string& path)
{
    std::error_code sizeError, timeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    const auto modified = std::filesystem::last_write_time(path, timeError);
    if (sizeError || timeError)
        return std::nullopt;
    return FileStamp{size, modified};
}

} // namespace orlex
