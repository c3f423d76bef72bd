// Opening a plot file to read (see plot_file.h).
#include "hpgl/plot_file.h"

#include "hpgl/classic_reader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orlex {

OpenedPlotFile openPlotFile(const std::string& path)
{
    OpenedPlotFile opened;
    if (const Result<void> readable = checkPlotReadable(path); !readable) {
        opened.error = readable.message();
        return opened;
    }
    errno = 0;
    opened.file = std::fopen(path.c_str(), "rb");
    if (opened.file == nullptr) {
        opened.error = "Cannot open \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO) + ".";
        return opened;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    opened.size = ec ? 0 : static_cast<std::uint64_t>(size);
    return opened;
}

} // namespace orlex
