// Shared pieces of the benchmark programs: the machine line, a silent operator
// feedback, and a port that counts what passes through it.
#pragma once

#include "drive/port.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace orlex::bench {

// "2 cores, Intel(R) Xeon(R) ..." from /proc/cpuinfo.
inline std::string machineText()
{
    std::string model = "unknown CPU";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            if (colon != std::string::npos)
                model = line.substr(colon + 2);
            break;
        }
    }
    return std::to_string(std::thread::hardware_concurrency()) + " cores, " + model;
}

// The process's CPU time so far, all its threads, in seconds.
inline double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The 1-, 5- and 15-minute load averages, as /proc/loadavg gives them.
inline std::string loadAverageText()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The processors' time so far as /proc/stat counts it: all of it, and what the
// hypervisor took (steal), in ticks. Two readings give the steal share between them.
struct CpuTicks {
    unsigned long long total = 0, steal = 0;
};
inline CpuTicks cpuTicks()
{
    std::ifstream in("/proc/stat");
    std::string cpu;
    in >> cpu;
    CpuTicks t;
    for (int field = 0; field < 8; ++field) {
        unsigned long long v = 0;
        in >> v;
        t.total += v;
        if (field == 7)
            t.steal = v;
    }
    return t;
}
inline double stealPercent(const CpuTicks& from, const CpuTicks& to)
{
    const auto total = static_cast<double>(to.total - from.total);
    return total > 0 ? 100.0 * static_cast<double>(to.steal - from.steal) / total : 0.0;
}

// Peak resident memory of this process so far, in KiB (VmHWM).
inline long peakRssKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Resident memory of this process now, in KiB (VmRSS); -1 when unknown.
inline long residentKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Passes everything to the port behind it and counts the writes per register.
class CountingPort : public Port {
public:
    explicit CountingPort(Port& inner) : inner_(inner) {}
    explicit CountingPort(std::unique_ptr<Port> owned) : owned_(std::move(owned)), inner_(*owned_) {}

    void write(Register reg, std::uint8_t value) override
    {
        if (reg == Register::Data)
            ++dataWrites;
        else if (reg == Register::Control)
            ++controlWrites;
        inner_.write(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }

    // Clock cycles the drive waits for the writes so far: two per coil byte, four per pen write.
    std::uint64_t cycles() const { return 2 * dataWrites + 4 * controlWrites; }
    void reset() { dataWrites = controlWrites = 0; }

    std::uint64_t dataWrites = 0;
    std::uint64_t controlWrites = 0;

private:
    std::unique_ptr<Port> owned_;
    Port& inner_;
};

} // namespace orlex::bench
