// Decorator that appends every write of another port to a trace file:
// "time_us,register,value" header, then one line per write.
#pragma once

#include "common/result.h"
#include "drive/port.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace orlex {

class TracingPort : public Port {
public:
    // `clockMicros` gives the time of a write in microseconds since the port was opened
    // (the virtual plotter's simulated time, or wall time when empty).
    static Result<std::unique_ptr<TracingPort>> open(Port& inner, const std::filesystem::path& file,
                                                     std::function<double()> clockMicros = {});
    ~TracingPort() override;
    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;
    void flush();
    // Flushes, syncs and closes the file; later writes still reach the port, untraced.
    void close();
    // Follows the port to another backend (the address setting changed).
    void reconnect(Port& inner) { inner_ = &inner; }

private:
    TracingPort(Port& inner, std::FILE* file, std::function<double()> clock, std::unique_ptr<char[]> buffer);
    Port* inner_;
    std::FILE* file_;
    std::function<double()> clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastFlush_;
    std::unique_ptr<char[]> buffer_; // stdio buffer, freed after the file is closed
};

} // namespace orlex
