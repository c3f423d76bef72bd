// Decorator that appends every write of another port to a trace file:
// "time_us,register,value" header, then one line per write.
#pragma once

#include "drive/port.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace orlex {

class TracingPort : public Port {
public:
    // `clockMicros` gives the time of a write in microseconds since the port was opened
    // (the virtual plotter's simulated time, or wall time when empty).
    static std::unique_ptr<TracingPort> open(Port& inner, std::uint16_t base,
                                             const std::filesystem::path& file,
                                             std::string& error,
                                             std::function<double()> clockMicros = {});
    ~TracingPort() override;
    void out(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t in(std::uint16_t address) override;
    void flush();
    // Flushes, syncs and closes the file; later writes still reach the port, untraced.
    void close();
    // Follows the port to another base address or backend (the address setting changed).
    void reconnect(Port& inner, std::uint16_t base) { inner_ = &inner; base_ = base; }

private:
    TracingPort(Port& inner, std::uint16_t base, std::FILE* file, std::function<double()> clock,
                std::unique_ptr<char[]> buffer);
    Port* inner_;
    std::uint16_t base_;
    std::FILE* file_;
    std::function<double()> clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastFlush_;
    std::unique_ptr<char[]> buffer_; // stdio buffer, freed after the file is closed
};

} // namespace orlex
