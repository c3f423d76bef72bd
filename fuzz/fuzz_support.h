// Shared pieces of the fuzz targets: an in-memory input file, settings, a failure check.
#pragma once

#include "settings/machine_settings.h"
#include "settings/settings_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace orlex::fuzz {

// Stops the run with a message; libFuzzer saves the input that got here.
#define ORLEX_FUZZ_CHECK(cond)                                                                                         \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);                             \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

// A file that lives in memory (memfd), rewritten for every input and opened by path
// through /proc/self/fd, so the interpreter reads it like any plot file.
class MemoryFile {
public:
    MemoryFile()
    {
        fd_ = memfd_create("orlex-fuzz-input", 0);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() { close(fd_); }

    void write(const std::uint8_t* data, std::size_t size)
    {
        ORLEX_FUZZ_CHECK(ftruncate(fd_, 0) == 0);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            ORLEX_FUZZ_CHECK(n > 0);
            done += static_cast<std::size_t>(n);
        }
    }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// A private folder in /dev/shm (or the temp folder), removed at exit.
inline const std::filesystem::path& scratchFolder()
{
    static const std::filesystem::path folder = [] {
        std::string base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/orlex-fuzz-XXXXXX";
        ORLEX_FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchFolder(), ec);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// The settings the program starts with when seting.txt is absent, as loaded from it.
inline MachineSettings defaultSettings()
{
    return defaultMachineSettings();
}

// zoom and step mode taken from the input's length, so the corpus exercises several
// without changing what the bytes mean to the interpreter.
inline std::int16_t zoomFor(std::size_t size)
{
    static constexpr std::int16_t zooms[] = {100, 1, 400, 37, 200, 3};
    return zooms[size % 6];
}
inline bool halfStepFor(std::size_t size)
{
    return (size / 6) % 2 == 0;
}

} // namespace orlex::fuzz
