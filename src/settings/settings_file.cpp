// Reading and writing seting.txt: defaults on first start, per-line fallback on bad
// content without touching the file, and saves that replace the file atomically.
#include "settings/settings_file.h"

#include "settings/conversions.h"

#include "common/number_text.h"
#include "common/output_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

constexpr int kLineCount = 9;
// A settings file is a few dozen bytes; refuse to slurp anything huge by mistake.
constexpr std::size_t kMaxReadBytes = 1024 * 1024;

// The path in double quotes. Built by appending: GCC 12 at -O3 warns falsely
// (-Wrestrict) about the operator+ form.
std::string quoted(const std::filesystem::path& path)
{
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

std::string errnoText(int error)
{
    return std::strerror(error);
}

// The text the defaults file holds on this line, as loadSettings would read it back.
std::string defaultLineText(int line)
{
    if (line == kLineCount)
        return kDefaultPortAddressText;
    return integerLineText(kNumericSettingTable[static_cast<std::size_t>(line - 1)].defaultValue);
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
    // Non-blocking for the open: a pipe of that name must not hang the program.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return "Could not read the settings file " + quoted(file) + ": it is not a plain file but a device or a pipe.";
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
            return "Could not read the settings file " + quoted(file) + ": it is far too large to be a settings file.";
        }
    }
    ::close(fd);
    return std::nullopt;
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

std::string trimmed(std::string text)
{
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The file's bytes: eight whole numbers and the address text. A number that does not
// round into 16 bits cannot be written in the file's line form.
Result<std::string> settingsFileBytes(const MachineSettings& settings)
{
    std::string bytes;
    for (const NumericSetting& setting : kNumericSettingTable) {
        const std::optional<std::int16_t> value = roundToInt16(settings.*setting.value);
        if (!value)
            return failure(std::string(setting.name) + " " + numberText(settings.*setting.value)
                           + " does not fit a settings line (-32768 to 32767).");
        bytes += integerLineText(*value) + "\r\n";
    }
    bytes += settings.line(SettingLine::PortAddress) + "\r\n";
    return bytes;
}

// The step lengths and travel limits (lines 1 to 4): a value of 0 or below would make
// every move impossible or mirrored, or the virtual paper a line.
bool mustBeAboveZero(int line)
{
    return line >= 1 && line <= 4;
}

// A problem with a line that was present but not usable; the caller sets what is used.
SettingsProblem problemAt(int line, const std::string& text, SettingsProblem::Kind kind)
{
    SettingsProblem problem;
    problem.line = line;
    problem.setting = settingName(line);
    problem.text = text;
    problem.kind = kind;
    return problem;
}

// Each line read into `settings` (which holds the defaults), or a problem for it.
void readLines(const std::vector<std::string>& lines, MachineSettings& settings, LoadReport& report)
{
    for (int line = 1; line <= kLineCount; ++line) {
        const bool present = line <= static_cast<int>(lines.size());
        const std::string text = present ? lines[static_cast<std::size_t>(line - 1)] : std::string();
        SettingsProblem::Kind kind = SettingsProblem::Kind::Missing;
        if (present && trimmed(text).empty()) {
            kind = SettingsProblem::Kind::Empty;
        } else if (present && line == kLineCount) {
            if (const std::optional<std::uint16_t> address = toPortAddress(text)) {
                settings.portAddress = *address;
                settings.lines[static_cast<std::size_t>(line - 1)] = text;
                continue;
            }
            kind = SettingsProblem::Kind::NotAPortAddress;
        } else if (present) {
            const std::optional<double> value = toNumber(text);
            const bool fits = value && roundToInt16(*value).has_value();
            if (fits && (!mustBeAboveZero(line) || *value > 0)) {
                settings.*kNumericSettingTable[static_cast<std::size_t>(line - 1)].value = *value;
                settings.lines[static_cast<std::size_t>(line - 1)] = text;
                continue;
            }
            kind = !value  ? SettingsProblem::Kind::NotANumber
                   : !fits ? SettingsProblem::Kind::NotA16BitNumber
                           : SettingsProblem::Kind::NotAboveZero;
        }
        SettingsProblem problem = problemAt(line, text, kind);
        problem.used = trimmed(defaultLineText(line));
        report.problems.push_back(problem);
    }
}

// A step length that cannot drive the machine: a half step longer than the whole travel
// leaves no move that fits, and one so short that 32767 half steps reach less than a
// millimetre makes every move too many steps to count. It takes the default.
void checkStepLengthDrives(SettingLine stepLine, SettingLine travelLine, MachineSettings& settings, LoadReport& report)
{
    const auto index = static_cast<std::size_t>(stepLine);
    double& stepLength = settings.*kNumericSettingTable[index].value;
    const double travelMm = settings.*kNumericSettingTable[static_cast<std::size_t>(travelLine)].value;
    const double halfStepMm = stepLength / 200.0;
    SettingsProblem::Kind kind;
    if (halfStepMm > travelMm)
        kind = SettingsProblem::Kind::StepTooLong;
    else if (reachableTravelMm(stepLength) < 1)
        kind = SettingsProblem::Kind::StepTooShort;
    else
        return;
    const int line = static_cast<int>(index) + 1;
    SettingsProblem problem = problemAt(line, settings.lines[index], kind);
    problem.detail = kind == SettingsProblem::Kind::StepTooLong
                         ? numberText(halfStepMm) + " mm, longer than the travel of " + numberText(travelMm) + " mm"
                         : numberText(reachableTravelMm(stepLength)) + " mm";
    problem.used = trimmed(defaultLineText(line));
    stepLength = kNumericSettingTable[index].defaultValue;
    settings.lines[index] = defaultLineText(line);
    report.problems.push_back(problem);
}

// A travel limit that 16-bit half steps of its axis cannot reach makes homing and the
// fit rule meaningless: it takes the default, or the most the step length reaches.
void checkTravelReachable(SettingLine travel, double stepLength, MachineSettings& settings, LoadReport& report)
{
    const auto index = static_cast<std::size_t>(travel);
    double& travelMm = settings.*kNumericSettingTable[index].value;
    const double reachable = reachableTravelMm(stepLength);
    if (travelMm <= reachable)
        return;
    const int line = static_cast<int>(index) + 1;
    SettingsProblem problem = problemAt(line, settings.lines[index], SettingsProblem::Kind::Unreachable);
    problem.detail = numberText(std::floor(reachable));
    const double fallback = kNumericSettingTable[index].defaultValue;
    travelMm = fallback <= reachable ? fallback : std::floor(reachable);
    problem.usedDefault = fallback <= reachable;
    problem.used = numberText(travelMm);
    settings.lines[index] = integerLineText(static_cast<std::int16_t>(travelMm));
    report.problems.push_back(problem);
}

// "line 3 (Maxx): "abc" is not a number"
std::string problemText(const SettingsProblem& problem)
{
    std::string text = "line " + std::to_string(problem.line) + " (" + problem.setting + "): ";
    // Appended rather than "\"" + text: GCC 12 at -O3 warns (-Wrestrict) about the latter.
    std::string shown = "\"";
    shown += visibleText(problem.text);
    shown += '"';
    switch (problem.kind) {
    case SettingsProblem::Kind::Missing: return text + "missing, the file ends before it";
    case SettingsProblem::Kind::Empty: return text + "the line is empty";
    case SettingsProblem::Kind::NotAPortAddress: return text + shown + " is not a port address";
    case SettingsProblem::Kind::NotANumber: return text + shown + " is not a number";
    case SettingsProblem::Kind::NotAboveZero: return text + shown + " is not above 0";
    case SettingsProblem::Kind::NotA16BitNumber:
        return text + shown + " does not fit a settings line (-32768 to 32767)";
    case SettingsProblem::Kind::StepTooLong:
        return text + shown + " cannot drive the machine: one half step would be " + problem.detail
               + ", so no move fits";
    case SettingsProblem::Kind::StepTooShort:
        return text + shown + " cannot drive the machine: 32767 half steps would reach only " + problem.detail;
    case SettingsProblem::Kind::Unreachable:
        return text + shown + " mm cannot be reached in 32767 half steps of this step length (at most " + problem.detail
               + " mm)";
    }
    return text;
}

} // namespace

const char* settingName(int line)
{
    if (line == kLineCount)
        return "LptAddress";
    if (line < 1 || line > kLineCount)
        return "";
    return kNumericSettingTable[static_cast<std::size_t>(line - 1)].name;
}

std::string integerLineText(std::int16_t value)
{
    const std::string digits = std::to_string(value < 0 ? -static_cast<int>(value) : static_cast<int>(value));
    return (value < 0 ? "-" : " ") + digits + " ";
}

MachineSettings defaultMachineSettings()
{
    MachineSettings settings;
    for (int line = 1; line <= kLineCount; ++line)
        settings.lines[static_cast<std::size_t>(line - 1)] = defaultLineText(line);
    return settings;
}

double reachableTravelMm(double stepLength)
{
    return 32767.0 * stepLength / 200.0;
}

std::string LoadReport::message(const std::filesystem::path& file) const
{
    if (ok())
        return {};
    std::string text;
    if (fileError)
        text += fileError->message + "\nThe default settings are used for this run.";
    if (!problems.empty()) {
        if (!text.empty())
            text += "\n";
        text += "The settings file " + quoted(file) + " has problems:\n";
        for (const SettingsProblem& problem : problems)
            text += "  " + problemText(problem) + (problem.usedDefault ? "; the default " : "; ") + problem.used
                    + " is used for this run.\n";
        text += "The file has not been changed; Save in the settings dialog rewrites it.";
    }
    return text;
}

std::string LoadReport::refusal(const std::filesystem::path& file) const
{
    if (ok())
        return {};
    if (fileError)
        return fileError->message;
    std::string text = "The settings file " + quoted(file) + " has problems:";
    for (const SettingsProblem& problem : problems)
        text += "\n  " + problemText(problem);
    return text;
}

LoadReport loadSettings(MachineSettings& settings, const std::filesystem::path& file)
{
    LoadReport report;
    settings = defaultMachineSettings();

    struct stat probe {};
    if (::stat(file.c_str(), &probe) != 0 && errno == ENOENT) {
        if (const Result<void> written = writeOutputFile(file, *settingsFileBytes(settings)); !written) {
            report.fileError = failure("Could not create the settings file " + quoted(file)
                                       + " with the defaults: " + written.message());
            return report;
        }
        report.createdDefaults = true;
    }

    std::string bytes;
    if (const std::optional<std::string> error = readSettingsBytes(file, bytes)) {
        report.fileError = failure(*error);
        return report;
    }
    readLines(splitLines(bytes, kLineCount), settings, report);
    checkStepLengthDrives(SettingLine::StepLengthX, SettingLine::TravelX, settings, report);
    checkStepLengthDrives(SettingLine::StepLengthY, SettingLine::TravelY, settings, report);
    checkTravelReachable(SettingLine::TravelX, settings.stepLengthX, settings, report);
    checkTravelReachable(SettingLine::TravelY, settings.stepLengthY, settings, report);
    return report;
}

Result<MachineSettings> settingsFromValues(const std::array<std::int16_t, kNumericSettings>& values,
                                           const std::string& portAddressText)
{
    MachineSettings settings;
    for (std::size_t i = 0; i < values.size(); ++i) {
        settings.*kNumericSettingTable[i].value = values[i];
        settings.lines[i] = std::to_string(values[i]);
    }
    const std::optional<std::uint16_t> address = toPortAddress(portAddressText);
    if (!address)
        return failure("\"" + portAddressText + "\" is not a port address.");
    settings.portAddress = *address;
    settings.lines[kSettingLines - 1] = portAddressText;
    for (const auto& [stepLength, travel, axis] :
         {std::tuple{settings.stepLengthX, settings.travelXmm, 'X'}, {settings.stepLengthY, settings.travelYmm, 'Y'}}) {
        const std::string name(1, axis);
        if (!(stepLength > 0))
            return failure("The " + name + " step length must be above 0.");
        if (!(travel > 0))
            return failure("The " + name + " travel must be above 0.");
        const double reachable = reachableTravelMm(stepLength);
        if (travel > reachable)
            return failure("The " + name + " travel of " + numberText(travel) + " mm cannot be reached with this "
                           + name + " step length: 32767 half steps reach " + numberText(std::floor(reachable))
                           + " mm at most. Choose a longer step length or a shorter travel.");
    }
    return settings;
}

Result<void> saveSettings(const MachineSettings& settings, const std::filesystem::path& file)
{
    const Result<std::string> bytes = settingsFileBytes(settings);
    if (!bytes)
        return failure("Could not save the settings to " + quoted(file) + ": " + bytes.message());
    if (const Result<void> written = writeOutputFile(file, *bytes); !written)
        return failure("Could not save the settings to " + quoted(file) + ": " + written.message());
    return {};
}

} // namespace orlex
