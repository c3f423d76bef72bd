// Output files: resolving links, refusing what cannot be a file, writing whole or through.
#include "common/output_file.h"

#include "common/atomic_file.h"
#include "common/write_all.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& path)
{
    return "\"" + path.string() + "\"";
}

// The file a path names once every symbolic link on the way is followed; the path as it
// is when there is nothing to follow.
fs::path resolved(const fs::path& requested)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(requested, error);
    return error ? requested : canonical;
}

// What is at `path` (following links): 0 when nothing is.
mode_t fileType(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

Result<void> writeThrough(const OutputPlace& place, std::string_view bytes)
{
    // Non-blocking for the open only: a pipe that nobody reads fails at once (ENXIO).
    const int fd = ::open(place.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno == ENXIO ? "nobody reads the pipe; start its reader first."
                                      : "cannot open it (" + std::string(std::strerror(errno)) + ").");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const bool written = writeAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    if (!written)
        return failure("cannot write to it (" + std::string(std::strerror(error)) + ").");
    return {};
}

} // namespace

Result<OutputPlace> outputPlace(const fs::path& requested)
{
    OutputPlace place{resolved(requested), OutputPlace::Kind::NewFile};
    switch (fileType(place.path)) {
    case 0: break;
    case S_IFREG: place.kind = OutputPlace::Kind::PlainFile; break;
    case S_IFIFO:
    case S_IFCHR: place.kind = OutputPlace::Kind::Stream; break;
    case S_IFDIR: return failure(quoted(requested) + " is a folder, not a file.");
    case S_IFBLK: return failure(quoted(requested) + " is a disk device; it is not written.");
    default: return failure(quoted(requested) + " is not a file that can be written.");
    }
    return place;
}

Result<void> writeOutputFile(const fs::path& requested, std::string_view bytes)
{
    const Result<OutputPlace> place = outputPlace(requested);
    if (!place)
        return place.error();
    if (place->kind == OutputPlace::Kind::Stream)
        return writeThrough(*place, bytes);
    return replaceFileAtomically(place->path, std::string(bytes));
}

std::optional<std::string> outputConflict(const fs::path& output, const std::vector<CommandFile>& inputs,
                                          const std::vector<CommandFile>& otherOutputs)
{
    struct stat outInfo {};
    const bool outExists = ::stat(output.c_str(), &outInfo) == 0;
    const fs::path outPath = resolved(output);
    const auto same = [&](const fs::path& other) {
        struct stat info {};
        if (outExists && ::stat(other.c_str(), &info) == 0)
            return info.st_dev == outInfo.st_dev && info.st_ino == outInfo.st_ino;
        return resolved(other) == outPath;
    };
    const std::string name = "'" + output.string() + "'";
    for (const CommandFile& in : inputs)
        if (!in.path.empty() && same(in.path))
            return name + " is " + in.role + " itself: write the result to another file";
    const bool device = outExists && S_ISCHR(outInfo.st_mode);
    for (const CommandFile& other : otherOutputs)
        if (!other.path.empty() && !device && same(other.path))
            return name + " is also " + other.role + ": give each output a file of its own";
    return std::nullopt;
}

} // namespace orlex
