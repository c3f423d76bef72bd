// Decorator that appends every write of another port to a trace file: the
// "time_us,register,value" header, then one line per write. The thread that drives the
// port only puts each write into a ring; a writer thread of the trace's own turns them
// into lines and writes them, so a slow or stalled target (a pipe whose reader sleeps, a
// full disk) never holds up a step.
#pragma once

#include "common/result.h"
#include "common/spsc_ring.h"
#include "drive/port.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orlex {

class TracingPort : public Port {
public:
    // `clockMicros` gives the time of a write in microseconds since the port was opened
    // (the virtual plotter's simulated time, or wall time when empty). A symbolic link is
    // followed; a pipe that nobody reads, a folder or a disk device is refused.
    static Result<std::unique_ptr<TracingPort>> open(Port& inner, const std::filesystem::path& file,
                                                     std::function<double()> clockMicros = {});
    ~TracingPort() override;

    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;
    // Waits, a bounded while, until every write so far is in the file: a pause's pen lift
    // is in the trace while the machine holds.
    void flush() override;
    // Writes out the rest (a stalled target gets a bounded while), syncs and closes the
    // file; later writes still reach the port, untraced. Fails, saying what is missing,
    // when the file could not take every line: a plain file is then cut at its last whole
    // line and renamed NAME.incomplete, so no partial trace keeps the name asked for.
    Result<void> close();
    // Follows the port to another backend (the address setting changed).
    void reconnect(Port& inner) { inner_ = &inner; }
    // A write to the file failed or lines were lost; from any thread.
    bool failed() const { return failed_.load(std::memory_order_acquire) || ring_.dropped() != 0; }

private:
    struct Record {
        std::int64_t micros;
        Register reg;
        std::uint8_t value;
    };
    TracingPort(Port& inner, int fd, std::filesystem::path path, bool plainFile, std::function<double()> clock);
    void writeLoop(std::stop_token stop);
    bool writeText(const std::string& text);
    bool givingUp(); // closing, and a stalled target's time is up
    void fail(const std::string& reason);
    std::string missingText() const;

    Port* inner_;
    int fd_;
    const std::filesystem::path path_; // the file written, symbolic links resolved
    const bool plainFile_;             // a regular file, which close() syncs and may rename
    std::function<double()> clock_;
    const std::chrono::steady_clock::time_point start_;
    SpscRing<Record> ring_{19};            // half a million writes: a minute of a fast draw
    std::atomic<std::uint64_t> pushed_{0}; // writes put into the ring

    std::mutex mutex_; // guards what the writer and flush()/close() share below
    std::condition_variable changed_;
    std::uint64_t flushWanted_ = 0; // flush() and close() ask for everything up to this
    std::uint64_t handled_ = 0;     // records the writer has taken (written or lost)
    bool closing_ = false;
    std::chrono::steady_clock::time_point giveUpAt_{}; // closing: a stalled target is left then

    std::atomic<bool> failed_{false};
    std::string failure_;          // why; set once, by the writer, under mutex_
    std::uint64_t wholeBytes_ = 0; // bytes of whole lines in the file (the writer's)
    std::uint64_t linesLost_ = 0;  // records not in the file (the writer's, under mutex_)
    std::atomic<bool> closed_{false};
    std::jthread writer_; // last: it starts once everything above is ready
};

} // namespace orlex
