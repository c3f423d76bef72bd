// Reading and writing seting.txt: defaults on first start, per-line fallback on bad
// content without touching the file, and saves that replace the file atomically.
#include "settings/settings_file.h"

#include "settings/conversions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

constexpr int kLineCount = 9;
// A settings file is a few dozen bytes; refuse to slurp anything huge by mistake.
constexpr std::size_t kMaxReadBytes = 1024 * 1024;

std::string quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

std::string errnoText(int error)
{
    return std::strerror(error);
}

std::string* settingField(Variabile& settings, int line)
{
    switch (line) {
    case 1: return &settings.Lstepx;
    case 2: return &settings.Lstepy;
    case 3: return &settings.Maxx;
    case 4: return &settings.Maxy;
    case 5: return &settings.Speedx;
    case 6: return &settings.Speedy;
    case 7: return &settings.Offsetx;
    case 8: return &settings.Offsety;
    case 9: return &settings.LptAddress;
    default: return nullptr;
    }
}

// The text the defaults file holds on this line, as loadSettings would read it back.
std::string defaultLineText(int line)
{
    if (line == kLineCount)
        return kDefaultLptAddress;
    return integerLineText(kDefaultSettingValues[static_cast<std::size_t>(line - 1)]);
}

bool lineConverts(int line, const std::string& text)
{
    if (line == kLineCount)
        return toPortAddress(text).has_value();
    return toNumber(text).has_value();
}

// Splits into at most `maxLines` lines; a line ends at CR, LF or CR LF, and a last
// line without an end marker still counts when it holds something.
std::vector<std::string> splitLines(std::string_view bytes, int maxLines)
{
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < bytes.size() && static_cast<int>(lines.size()) < maxLines; ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.push_back(current);
            current.clear();
            pending = false;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending && static_cast<int>(lines.size()) < maxLines)
        lines.push_back(current);
    return lines;
}

int countLineEnds(std::string_view bytes)
{
    int count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++count;
    }
    return count;
}

// Reads the file until its ninth line has ended (or the file ends). Returns the reason
// in plain words on failure.
std::optional<std::string> readSettingsBytes(const std::filesystem::path& file, std::string& bytes)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "Could not read the settings file " + quoted(file) + ": " + errnoText(errno) + ".";
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return "Could not read the settings file " + quoted(file) + ": " + errnoText(error) + ".";
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return "Could not read the settings file " + quoted(file) + ": it is a folder, not a file.";
    }
    char buffer[4096];
    while (countLineEnds(bytes) <= kLineCount) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return "Could not read the settings file " + quoted(file) + ": " + errnoText(error) + ".";
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxReadBytes) {
            ::close(fd);
            return "Could not read the settings file " + quoted(file)
                + ": it is far too large to be a settings file.";
        }
    }
    ::close(fd);
    return std::nullopt;
}

void fillDefaults(Variabile& settings)
{
    for (int line = 1; line <= kLineCount; ++line)
        *settingField(settings, line) = defaultLineText(line);
}

// The offending text with control and non-ASCII bytes made visible.
std::string visibleText(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string trimmedDefault(int line)
{
    std::string text = defaultLineText(line);
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// Permission bits for the new file: those of the file it replaces, else 0666 less umask.
mode_t newFileMode(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string settingsFileBytes(const std::array<std::int16_t, 8>& values, const std::string& lptAddress)
{
    std::string bytes;
    for (std::int16_t value : values)
        bytes += integerLineText(value) + "\r\n";
    bytes += lptAddress + "\r\n";
    return bytes;
}

// Writes `bytes` to a temporary file in the same folder, flushes it to disk and renames
// it over `file`, so the old file stays whole until the new one is complete. Returns the
// reason in plain words on failure, after removing the temporary file.
std::optional<std::string> replaceFile(const std::filesystem::path& file, const std::string& bytes)
{
    const mode_t mode = newFileMode(file);
    std::string tempName = file.string() + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return "cannot create a temporary file next to it (" + errnoText(errno) + ").";

    auto giveUp = [&](const std::string& what, int error) {
        ::close(fd);
        ::unlink(tempName.c_str());
        return what + " (" + errnoText(error) + ").";
    };
    if (!writeAll(fd, bytes))
        return giveUp("cannot write the new file", errno);
    if (::fchmod(fd, mode) != 0)
        return giveUp("cannot set the permissions of the new file", errno);
    if (::fsync(fd) != 0)
        return giveUp("cannot flush the new file to disk", errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.c_str());
        return "cannot close the new file (" + errnoText(error) + ").";
    }
    if (::rename(tempName.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempName.c_str());
        return "cannot replace the old file (" + errnoText(error) + ").";
    }

    // Make the rename itself durable; a failure here does not undo a finished save.
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return std::nullopt;
}

} // namespace

const char* settingName(int line)
{
    static constexpr const char* kNames[kLineCount] = {
        "Lstepx", "Lstepy", "Maxx", "Maxy", "Speedx", "Speedy", "Offsetx", "Offsety", "LptAddress",
    };
    if (line < 1 || line > kLineCount)
        return "";
    return kNames[line - 1];
}

std::string integerLineText(std::int16_t value)
{
    const std::string digits = std::to_string(value < 0 ? -static_cast<int>(value) : static_cast<int>(value));
    return (value < 0 ? "-" : " ") + digits + " ";
}

namespace {

// "line 3 (Maxx): "abc" is not a number"
std::string problemText(const SettingsProblem& problem)
{
    std::string text = "line " + std::to_string(problem.line) + " (" + problem.setting + "): ";
    if (problem.missing)
        return text + "missing, the file ends before it";
    if (problem.text.empty())
        return text + "the line is empty";
    if (problem.line == kLineCount)
        return text + "\"" + visibleText(problem.text) + "\" is not a port address";
    return text + "\"" + visibleText(problem.text) + "\" is not a number";
}

} // namespace

std::string LoadReport::message(const std::filesystem::path& file) const
{
    if (ok())
        return {};
    std::string text;
    if (!fileError.empty())
        text += fileError + "\nThe default settings are used for this run.";
    if (!problems.empty()) {
        if (!text.empty())
            text += "\n";
        text += "The settings file " + quoted(file) + " has problems:\n";
        for (const SettingsProblem& problem : problems)
            text += "  " + problemText(problem) + "; the default " + trimmedDefault(problem.line)
                + " is used for this run.\n";
        text += "The file has not been changed; Save in the settings dialog rewrites it.";
    }
    return text;
}

std::string LoadReport::refusal(const std::filesystem::path& file) const
{
    if (ok())
        return {};
    if (!fileError.empty())
        return fileError;
    std::string text = "The settings file " + quoted(file) + " has problems:";
    for (const SettingsProblem& problem : problems)
        text += "\n  " + problemText(problem);
    return text;
}

LoadReport loadSettings(Variabile& settings, const std::filesystem::path& file)
{
    LoadReport report;

    struct stat probe {};
    if (::stat(file.c_str(), &probe) != 0 && errno == ENOENT) {
        if (const std::optional<std::string> error =
                replaceFile(file, settingsFileBytes(kDefaultSettingValues, kDefaultLptAddress))) {
            report.fileError = "Could not create the settings file " + quoted(file) + " with the defaults: " + *error;
            fillDefaults(settings);
            return report;
        }
        report.createdDefaults = true;
    }

    std::string bytes;
    if (const std::optional<std::string> error = readSettingsBytes(file, bytes)) {
        report.fileError = *error;
        fillDefaults(settings);
        return report;
    }

    const std::vector<std::string> lines = splitLines(bytes, kLineCount);
    for (int line = 1; line <= kLineCount; ++line) {
        std::string& field = *settingField(settings, line);
        const bool present = line <= static_cast<int>(lines.size());
        if (present && lineConverts(line, lines[static_cast<std::size_t>(line - 1)])) {
            field = lines[static_cast<std::size_t>(line - 1)];
            continue;
        }
        SettingsProblem problem;
        problem.line = line;
        problem.setting = settingName(line);
        problem.missing = !present;
        if (present)
            problem.text = lines[static_cast<std::size_t>(line - 1)];
        report.problems.push_back(problem);
        field = defaultLineText(line);
    }
    return report;
}

std::optional<std::string> saveSettings(const std::array<std::int16_t, 8>& values,
                                        const std::string& lptAddress,
                                        const std::filesystem::path& file)
{
    if (const std::optional<std::string> error = replaceFile(file, settingsFileBytes(values, lptAddress)))
        return "Could not save the settings to " + quoted(file) + ": " + *error;
    return std::nullopt;
}

} // namespace orlex
