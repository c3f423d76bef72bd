// Atomic file replacement: temporary file, fsync, rename, fsync of the folder.
#include "common/atomic_file.h"

#include "common/write_all.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

std::string errnoText(int error)
{
    return std::strerror(error);
}

// Permission bits for the new file: those of the file it replaces, else 0666 less umask.
mode_t newFileMode(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

Result<void> replaceFileAtomically(const std::filesystem::path& file, const std::string& bytes)
{
    const mode_t mode = newFileMode(file);
    std::string tempName = file.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return failure("cannot create a temporary file next to it (" + errnoText(errno) + ").");

    auto giveUp = [&](const std::string& what, int error) {
        ::close(fd);
        ::unlink(tempName.c_str());
        return failure(what + " (" + errnoText(error) + ").");
    };
    if (!writeAll(fd, bytes))
        return giveUp("cannot write the new file", errno);
    if (::fchmod(fd, mode) != 0)
        return giveUp("cannot set the permissions of the new file", errno);
    if (::fsync(fd) != 0)
        return giveUp("cannot flush the new file to disk", errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.c_str());
        return failure("cannot close the new file (" + errnoText(error) + ").");
    }
    if (::rename(tempName.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempName.c_str());
        return failure("cannot replace the old file (" + errnoText(error) + ").");
    }

    // Make the rename itself durable; a failure here does not undo a finished write.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace orlex
