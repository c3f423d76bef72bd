// Runs orlex-plotter-cli in a temporary folder and collects its exit status and output.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orlex::cli::testing {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

struct CliResult {
    int status = -1; // exit status, or -1 when it did not exit normally
    std::string out; // stdout
    std::string err; // stderr
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "orlex-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// Starts a program (the tool by default) in `folder` with stdout and stderr going to
// files there.
class CliProcess {
public:
    CliProcess(const fs::path& folder, const std::vector<std::string>& arguments,
               const std::string& program = ORLEX_CLI_BINARY)
        : folder_(folder)
    {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> pointers;
        for (std::string& a : argv)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int error = posix_spawn(&pid_, program.c_str(), &actions, nullptr, pointers.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            pid_ = -1;
    }
    ~CliProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    pid_t pid() const { return pid_; }
    fs::path outFile() const { return folder_ / "cli.stdout"; }
    fs::path errFile() const { return folder_ / "cli.stderr"; }

    // Waits (bounded) until stdout holds `text`; false if the process ended or time ran out.
    bool waitForOutput(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (readFile(outFile()).find(text) != std::string::npos)
                return true;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                finished_ = status;
                pid_ = -1;
                return readFile(outFile()).find(text) != std::string::npos;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    CliResult wait()
    {
        int status = finished_;
        if (pid_ > 0) {
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        CliResult result;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readFile(outFile());
        result.err = readFile(errFile());
        return result;
    }

private:
    fs::path folder_;
    pid_t pid_ = -1;
    int finished_ = 0;
};

// The raw value of `key` in the tool's one-line JSON object ("-10", "true", "null").
inline std::optional<std::string> jsonValue(const std::string& json, const std::string& key)
{
    const std::string marker = "\"" + key + "\": ";
    const auto at = json.find(marker);
    if (at == std::string::npos)
        return std::nullopt;
    const auto start = at + marker.size();
    const auto end = json.find_first_of(",}", start);
    return json.substr(start, end - start);
}

inline CliResult runCli(const fs::path& folder, const std::vector<std::string>& arguments)
{
    CliProcess process(folder, arguments);
    EXPECT_GT(process.pid(), 0) << "cannot start " << ORLEX_CLI_BINARY;
    return process.wait();
}

} // namespace orlex::cli::testing
