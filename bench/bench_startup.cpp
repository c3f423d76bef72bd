// Start-up benchmark: starts bench_startup_app (the window's start-up on the virtual
// plotter) several times and prints the time from process start to the main window's
// first paint: each run, then min, median and max.
//   bench_startup [RUNS] [-- extra arguments for the app, e.g. -platform offscreen]
#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

struct Run {
    double ms = -1;    // process start to first paint; negative on failure
    double cpuMs = -1; // CPU time of the whole process (it ends right after that paint)
};

// One start; the app prints its milliseconds on stdout.
Run runOnce(const std::string& app, const std::vector<std::string>& extra)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const long long t0 = monotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("ORLEX_BENCH_T0_NS", std::to_string(t0).c_str(), 1);
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> args{const_cast<char*>(app.c_str()), const_cast<char*>("--simulate")};
        for (const std::string& a : extra)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(app.c_str(), args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || out.empty())
        return {};
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    return {std::atof(out.c_str()), ms(usage.ru_utime) + ms(usage.ru_stime)};
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 10;
    std::vector<std::string> extra;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--")) {
            extra.assign(argv + i + 1, argv + argc);
            break;
        }
        runs = std::max(1, std::atoi(argv[i]));
    }
    const std::string app = (std::filesystem::canonical("/proc/self/exe").parent_path() / "bench_startup_app").string();

    // The settings file is created in the working directory: use a fresh one.
    char folder[] = "/tmp/orlex-bench-startup-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        std::perror("temporary folder");
        return 1;
    }
    std::vector<double> times, cpuTimes;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(app, extra);
        if (run.ms < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        std::printf("run %2d: %7.1f ms, CPU %7.1f ms\n", i + 1, run.ms, run.cpuMs);
        times.push_back(run.ms);
        cpuTimes.push_back(run.cpuMs);
    }
    std::filesystem::remove_all(folder);
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::printf("machine: %s; platform: %s\n", orlex::bench::machineText().c_str(),
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM")
                                               : (std::getenv("DISPLAY") ? "xcb" : "offscreen"));
    std::printf("start-up to first paint: min %.1f ms, median %.1f ms, max %.1f ms over %d runs (goal < 100 ms); "
                "CPU of the whole process: min %.1f ms, median %.1f ms\n",
                times.front(), times[times.size() / 2], times.back(), runs, cpuTimes.front(),
                cpuTimes[cpuTimes.size() / 2]);
    return 0;
}
