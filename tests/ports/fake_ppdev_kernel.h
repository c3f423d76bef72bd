// A stand-in for the kernel's ppdev driver: answers the calls from a virtual plotter, logs
// every call but the reads ("PPWDATA 19", "PPCLAIM"), and fails the call it is told to.
#pragma once

#include "drive/ports/ppdev_system.h"
#include "drive/ports/virtual_plotter.h"

#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace orlex::test {

class FakePpdevKernel : public PpdevSystem {
public:
    struct Failure {
        std::string call; // "open", "PPCLAIM", "PPWDATA", "PPRSTATUS", ...
        int count = 1;    // the Nth such call fails
        int error = EIO;
        bool forGood = false; // and every one after it
    };

    int open(const std::string& path, int flags) override
    {
        return answer("open " + path + (flags == (O_RDWR | O_CLOEXEC) ? " O_RDWR|O_CLOEXEC" : " ?"), "open", 7);
    }
    int close(int) override { return answer("close", "close", 0); }
    int ioctl(int, unsigned long request, void* argument) override
    {
        const std::string name = kNames.at(request);
        auto* byte = static_cast<unsigned char*>(argument);
        const bool write = request == PPWDATA || request == PPWCONTROL || request == PPDATADIR;
        const int result = answer(write ? name + " " + std::to_string(*byte) : name, name, 0);
        if (result == 0 && request == PPWDATA)
            plotter.write(Register::Data, *byte);
        if (result == 0 && request == PPWCONTROL)
            plotter.write(Register::Control, *byte);
        if (result == 0 && request == PPRSTATUS)
            *byte = plotter.read(Register::Status);
        return result;
    }

    VirtualPlotter plotter;
    std::vector<std::string> log;
    Failure failure;

private:
    int answer(const std::string& entry, const std::string& name, int success)
    {
        const int count = name == failure.call ? ++calls_ : 0;
        const bool fails = count == failure.count || (failure.forGood && count > failure.count);
        if (name != "PPRSTATUS" || fails)
            log.push_back(fails ? entry + " failed" : entry);
        return fails ? -failure.error : success;
    }
    inline static const std::map<unsigned long, std::string> kNames{
        {PPEXCL, "PPEXCL"},   {PPCLAIM, "PPCLAIM"}, {PPRELEASE, "PPRELEASE"},   {PPDATADIR, "PPDATADIR"},
        {PPWDATA, "PPWDATA"}, {PPRDATA, "PPRDATA"}, {PPWCONTROL, "PPWCONTROL"}, {PPRSTATUS, "PPRSTATUS"}};
    int calls_ = 0;
};

} // namespace orlex::test
