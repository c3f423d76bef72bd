// Test port: records every write and read, plays back a scripted list of status readings.
#pragma once

#include "drive/port.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orlex::test {

struct PortWrite {
    Register reg;
    std::uint8_t value;
    bool operator==(const PortWrite&) const = default;
};

// Status reads return `script` in order, then `cycle` repeated for ever. With an empty
// cycle, a read past the script throws, so a routine that reads too much fails the test
// instead of polling for ever.
// The data register reads back the last byte written to it.
class ScriptedPort : public Port {
public:
    explicit ScriptedPort(std::vector<std::uint8_t> readings = {}, std::vector<std::uint8_t> repeated = {255, 0})
        : script(std::move(readings)), cycle(std::move(repeated))
    {}

    void write(Register reg, std::uint8_t value) override
    {
        writes.push_back({reg, value});
        if (reg == Register::Data)
            data = value;
        if (onWrite)
            onWrite(writes.back());
    }

    std::uint8_t read(Register reg) override
    {
        reads.push_back(reg);
        if (reg == Register::Data)
            return data;
        if (reg != Register::Status)
            return 0xFF;
        ++statusReads;
        if (onStatusRead)
            onStatusRead();
        if (next < script.size())
            return script[next++];
        if (cycle.empty())
            throw std::runtime_error("status read past the end of the script");
        return cycle[(next++ - script.size()) % cycle.size()];
    }

    // Values written to one register, in order.
    std::vector<std::uint8_t> written(Register reg) const
    {
        std::vector<std::uint8_t> values;
        for (const PortWrite& w : writes)
            if (w.reg == reg)
                values.push_back(w.value);
        return values;
    }
    std::vector<std::uint8_t> dataWrites() const { return written(Register::Data); }
    std::vector<std::uint8_t> controlWrites() const { return written(Register::Control); }

    std::vector<std::uint8_t> script;
    std::vector<std::uint8_t> cycle;
    std::vector<PortWrite> writes;
    std::vector<Register> reads; // the register of every read
    long statusReads = 0;
    std::uint8_t data = 0;
    std::function<void(const PortWrite&)> onWrite; // called after every write
    std::function<void()> onStatusRead;            // called at every status read, before it is answered

private:
    std::size_t next = 0;
};

} // namespace orlex::test
