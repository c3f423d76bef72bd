// Parks the thread that makes a chosen port write inside that write until released, so a
// test can act while a job owns the port at that moment, every time, without sleeping.
#pragma once

#include "drive/port.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace orlex::test {

class WriteGate {
public:
    // Parks at the `write`th write counted from the gate's start (1-based).
    void parkAt(std::uint64_t write)
    {
        std::lock_guard lock(mutex_);
        parkAt_ = write;
    }
    // Parks at the next write of `value` to `reg`.
    void parkAtNext(Register reg, std::uint8_t value)
    {
        std::lock_guard lock(mutex_);
        parkOn_ = std::pair{reg, value};
    }
    // After each write, on the writing thread.
    void passed(Register reg, std::uint8_t value)
    {
        std::unique_lock lock(mutex_);
        ++writes_;
        const bool byCount = writes_ == parkAt_;
        const bool byValue = parkOn_ && parkOn_->first == reg && parkOn_->second == value;
        if (!byCount && !byValue)
            return;
        parkOn_.reset();
        parked_ = true;
        changed_.notify_all();
        const std::uint64_t generation = releases_;
        changed_.wait(lock, [&] { return releases_ != generation; });
    }
    bool parked() const
    {
        std::lock_guard lock(mutex_);
        return parked_;
    }
    bool waitUntilParked(std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return parked_; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex_);
            parkAt_ = 0;
            ++releases_;
            parked_ = false; // the parked thread goes on; a later park is a new one
        }
        changed_.notify_all();
    }
    std::uint64_t writes() const
    {
        std::lock_guard lock(mutex_);
        return writes_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t writes_ = 0, parkAt_ = 0, releases_ = 0;
    std::optional<std::pair<Register, std::uint8_t>> parkOn_;
    bool parked_ = false;
};

// Passes everything to a port it does not own and tells the gate of every write.
class GatedPort : public Port {
public:
    GatedPort(Port& inner, std::shared_ptr<WriteGate> gate) : inner_(inner), gate_(std::move(gate)) {}
    void write(Register reg, std::uint8_t value) override
    {
        inner_.write(reg, value);
        gate_->passed(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }

private:
    Port& inner_;
    std::shared_ptr<WriteGate> gate_;
};

} // namespace orlex::test
