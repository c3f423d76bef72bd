// Reading an SVG file safely: regular files only, size-limited, and a quick look at the
// first bytes to tell an SVG by its content.
#include "import/svg_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

std::string megabytes(std::uintmax_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
    return text;
}

// Closes the descriptor when leaving the scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

Result<QByteArray> readSvgFile(const std::filesystem::path& file, std::uintmax_t limit)
{
    const std::string name = file.string();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    FileDescriptor in{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (in.fd < 0)
        return failure("cannot open " + name + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(in.fd, &info) != 0)
        return failure("cannot read " + name + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return failure(name + " is a folder, not an SVG file");
    if (!S_ISREG(info.st_mode))
        return failure(name + " is not a regular file (a device, pipe or socket); only files are read");
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > limit)
        return failure(name + " is " + megabytes(size) + "; SVG files over " + megabytes(limit) + " are not read");

    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(in.fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure("cannot read " + name + ": " + std::strerror(errno));
        if (n == 0)
            break; // the file shrank while being read
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

bool looksLikeSvg(const QByteArray& head)
{
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < head.size() && std::strchr(" \t\r\n", head[i]) && head[i] != '\0')
        ++i;
    return head.mid(i, 1) == "<" && head.contains("<svg");
}

} // namespace orlex
