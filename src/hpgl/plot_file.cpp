// Opening a plot file to read (see plot_file.h).
#include "hpgl/plot_file.h"

#include "hpgl/classic_reader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orlex {

Result<OpenedPlotFile> openPlotFile(const std::string& path)
{
    if (Result<void> readable = checkPlotReadable(path); !readable)
        return readable.error();
    OpenedPlotFile opened;
    errno = 0;
    opened.file = std::fopen(path.c_str(), "rb");
    if (opened.file == nullptr)
        return failure("Cannot open \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO) + ".");
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    opened.size = ec ? 0 : static_cast<std::uint64_t>(size);
    return opened;
}

} // namespace orlex
