// Reading an SVG file safely: regular files only, size-limited, gzip-compressed files
// inflated within the same limit, and a quick look at the first bytes to tell an SVG by
// its content.
#include "import/svg_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <zlib.h>

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

bool isGzip(const QByteArray& bytes)
{
    return bytes.startsWith("\x1f\x8b");
}

Result<QByteArray> inflatedSvg(const QByteArray& bytes, std::uintmax_t limit, bool partial)
{
    if (!isGzip(bytes))
        return bytes;
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) // 16: a gzip header and trailer
        return failure("its compressed data cannot be inflated: zlib does not start");
    QByteArray out;
    out.reserve(static_cast<qsizetype>(std::min<std::uintmax_t>(limit, std::uintmax_t(bytes.size()) * 4 + 4096)));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    char block[1 << 16];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(block);
        stream.avail_out = sizeof block;
        status = inflate(&stream, Z_NO_FLUSH);
        const auto produced = static_cast<qsizetype>(sizeof block - stream.avail_out);
        if (std::uintmax_t(out.size()) + std::uintmax_t(produced) > limit) {
            out.append(block, static_cast<qsizetype>(limit - std::uintmax_t(out.size())));
            inflateEnd(&stream);
            if (partial)
                return out;
            return failure("it is compressed and inflates to more than " + megabytes(limit)
                           + "; SVG files over that are not read");
        }
        out.append(block, produced);
        // A further gzip member follows: it is part of the same file.
        if (status == Z_STREAM_END && stream.avail_in > 0 && inflateReset(&stream) == Z_OK)
            status = Z_OK;
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break; // the data ends early
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END && !partial)
        return failure("its compressed data is damaged or cut short; it cannot be inflated");
    return out;
}

bool looksLikeSvg(const QByteArray& head)
{
    qsizetype i = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < head.size() && std::strchr(" \t\r\n", head[i]) && head[i] != '\0')
        ++i;
    return head.mid(i, 1) == "<" && head.contains("<svg");
}

} // namespace orlex
