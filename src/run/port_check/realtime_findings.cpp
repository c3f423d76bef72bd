// How the motion thread would run here: whether the kernel throttles real-time threads,
// whether this user may ask for real-time priority, what the motion thread was granted,
// the kernel's preemption model and the processors' frequency governor.
#include "run/port_check/port_check.h"
#include "run/port_check/system_files.h"

#include <fstream>
#include <map>
#include <sstream>

namespace orlex {

namespace {

namespace fs = std::filesystem;

const std::string kLevelText = std::to_string(kMotionRealTimeLevel);

std::optional<long> readNumber(const fs::path& file)
{
    std::ifstream in(file);
    long value = 0;
    if (in >> value)
        return value;
    return std::nullopt;
}

void throttleFinding(const fs::path& root, std::vector<Finding>& out)
{
    const std::optional<long> runtime = readNumber(root / "proc/sys/kernel/sched_rt_runtime_us");
    const std::optional<long> period = readNumber(root / "proc/sys/kernel/sched_rt_period_us");
    if (!runtime) {
        out.push_back({FindingLevel::Note, "rt-throttle", "kernel.sched_rt_runtime_us cannot be read", {}});
        return;
    }
    const long throttleMs = realTimeThrottleMs(root);
    if (throttleMs == 0) {
        out.push_back({FindingLevel::Ok,
                       "rt-throttle",
                       "the kernel does not hold real-time threads back (kernel.sched_rt_runtime_us = "
                           + std::to_string(*runtime) + ")",
                       {}});
        return;
    }
    out.push_back({FindingLevel::Note,
                   "rt-throttle",
                   "the kernel holds real-time threads back " + std::to_string(throttleMs) + " ms in every "
                       + std::to_string(period.value_or(0) / 1000) + " ms (kernel.sched_rt_runtime_us = "
                       + std::to_string(*runtime) + "), so the motion thread does not ask for real-time priority",
                   {R"(echo "kernel.sched_rt_runtime_us = -1" | sudo tee /etc/sysctl.d/60-orlex-plotter.conf)",
                    "sudo sysctl --system"}});
}

// The soft limit of "Max realtime priority" in <root>/proc/self/limits; empty when unreadable.
std::optional<long> realTimeLimit(const fs::path& root)
{
    std::ifstream in(root / "proc/self/limits");
    const std::string name = "Max realtime priority";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, name.size(), name) == 0) {
            std::istringstream words(line.substr(name.size()));
            std::string soft;
            words >> soft;
            if (soft == "unlimited")
                return 99;
            try {
                return std::stol(soft);
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    return std::nullopt;
}

void limitFinding(const fs::path& root, std::vector<Finding>& out)
{
    const ProcessIdentity me = readProcessIdentity(root);
    const std::optional<long> limit = realTimeLimit(root);
    const std::string limitText = limit ? "RLIMIT_RTPRIO " + std::to_string(*limit) : "RLIMIT_RTPRIO unknown";
    if (me.euid == 0 || me.hasCapability(kCapSysNice)) {
        out.push_back({FindingLevel::Ok,
                       "rt-limit",
                       me.user + " may ask for real-time priority" + (me.euid == 0 ? "" : " (CAP_SYS_NICE)"),
                       {}});
    } else if (limit && *limit >= kMotionRealTimeLevel) {
        out.push_back({FindingLevel::Ok,
                       "rt-limit",
                       me.user + " may ask for real-time priority " + kLevelText + " (" + limitText + ")",
                       {}});
    } else {
        out.push_back({FindingLevel::Note,
                       "rt-limit",
                       me.user + " may not ask for real-time priority " + kLevelText + " (" + limitText + ")",
                       {R"(printf '@lp  -  rtprio   20\n@lp  -  memlock  8192\n' | )"
                        "sudo tee /etc/security/limits.d/orlex-plotter.conf",
                        "then log out and in again (ulimit -r then prints 20)"}});
    }
}

void motionFinding(const MotionPriority& motion, std::vector<Finding>& out)
{
    if (motion.realTime)
        out.push_back({FindingLevel::Ok, "motion-thread", "the motion thread gets " + motion.text(), {}});
    else
        out.push_back({FindingLevel::Note,
                       "motion-thread",
                       "the motion thread runs at " + motion.text() + "; fine on an idle PC",
                       {}});
}

void kernelFinding(const fs::path& root, std::vector<Finding>& out)
{
    const std::string release = firstLine(root / "proc/sys/kernel/osrelease").value_or("release unknown");
    const bool preemptRt = firstLine(root / "sys/kernel/realtime").value_or("") == "1"
                           || firstLine(root / "proc/version").value_or("").find("PREEMPT_RT") != std::string::npos;
    if (preemptRt)
        out.push_back({FindingLevel::Ok, "kernel", "PREEMPT_RT kernel (" + release + ")", {}});
    else
        out.push_back({FindingLevel::Note,
                       "kernel",
                       "not a PREEMPT_RT kernel (" + release
                           + "): a driver or the kernel may hold the motion thread up now and then; a measurement "
                             "shows for how long",
                       {"sudo apt install linux-image-rt-amd64   # Debian on a 64-bit PC; then start that kernel"}});
}

void governorFinding(const fs::path& root, std::vector<Finding>& out)
{
    std::map<std::string, int> processors; // governor -> how many processors use it
    int count = 0;
    for (const fs::path& cpu : entriesStartingWith(root / "sys/devices/system/cpu", "cpu"))
        if (const std::optional<std::string> governor = firstLine(cpu / "cpufreq/scaling_governor")) {
            ++processors[*governor];
            ++count;
        }
    if (count == 0) {
        out.push_back({FindingLevel::Ok, "governor", "the processors' frequency is not scaled by the kernel", {}});
        return;
    }
    std::string text;
    for (const auto& [governor, n] : processors)
        text += (text.empty() ? "" : ", ") + governor + " (" + std::to_string(n) + " of " + std::to_string(count) + ")";
    if (processors.size() == 1 && processors.count("performance") == 1) {
        out.push_back({FindingLevel::Ok, "governor", "CPU frequency governor: performance", {}});
        return;
    }
    out.push_back({FindingLevel::Note,
                   "governor",
                   "CPU frequency governor: " + text + ": a processor that slows down reads the port more slowly",
                   {"echo performance | sudo tee /sys/devices/system/cpu/cpu*/cpufreq/scaling_governor   # until "
                    "the next boot"}});
}

} // namespace

std::vector<Finding> realTimeFindings(const PortCheckSetup& setup)
{
    std::vector<Finding> out;
    throttleFinding(setup.systemRoot, out);
    limitFinding(setup.systemRoot, out);
    motionFinding(setup.motion, out);
    kernelFinding(setup.systemRoot, out);
    governorFinding(setup.systemRoot, out);
    return out;
}

} // namespace orlex
