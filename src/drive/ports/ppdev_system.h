// The system calls the ppdev backend makes, behind a small interface so that tests can
// answer them as the kernel's ppdev and parport_pc drivers do.
#pragma once

#include <string>

namespace orlex {

class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;
    // Each returns what the call returns on success (a descriptor, 0), or -errno.
    virtual int open(const std::string& path, int flags) = 0;
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual int close(int fd) = 0;
};

// The real calls of this process.
PpdevSystem& linuxPpdevSystem();

} // namespace orlex
