// The draw journal's text, its atomic replacement on disk, its checked reading and the
// keeper that writes it from the front end's watch loop.
#include "run/draw_journal.h"

#include "common/number_text.h"
#include "common/write_all.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace orlex {

namespace {

constexpr const char* kFirstLine = "orlex draw journal 1";

std::string errnoText()
{
    return std::strerror(errno);
}

template <class Number>
std::optional<Number> wholeNumber(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<double> decimalNumber(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<bool> yesNo(const std::string& text)
{
    if (text == "yes")
        return true;
    if (text == "no")
        return false;
    return std::nullopt;
}

const char* yesNoText(bool value)
{
    return value ? "yes" : "no";
}

std::string settingKey(int line)
{
    return line < kNumericSettings ? std::string("setting.") + kNumericSettingTable[line].name
                                   : std::string("setting.LptAddress");
}

} // namespace

std::array<std::string, kSettingLines> journalSettings(const MachineSettings& settings)
{
    std::array<std::string, kSettingLines> texts;
    for (int i = 0; i < kNumericSettings; ++i)
        texts[i] = numberText(settings.*kNumericSettingTable[i].value);
    texts[kNumericSettings] = std::to_string(settings.portAddress);
    return texts;
}

std::string journalText(const DrawJournal& j)
{
    std::string text = std::string(kFirstLine) + "\n";
    auto add = [&text](const std::string& key, const std::string& value) { text += key + "=" + value + "\n"; };
    add("file", j.plotPath);
    add("size", std::to_string(j.plotSize));
    add("hash", j.plotHash);
    add("reading", j.reading);
    add("zoom", std::to_string(j.zoom));
    add("step", j.halfStep ? "half" : "full");
    for (int i = 0; i < kSettingLines; ++i)
        add(settingKey(i), j.settings[i]);
    add("shorter-travel", yesNoText(j.shorterTravel));
    add("conversion", j.conversion);
    add("port", j.port);
    add("origin", j.originFromHome ? "home" : "start");
    add("origin-steps-x", std::to_string(j.originStepsX));
    add("origin-steps-y", std::to_string(j.originStepsY));
    add("points-done", std::to_string(j.pointsDone));
    add("points", std::to_string(j.points));
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", j.percentDone);
    add("percent-done", percent);
    add("started", j.started);
    return text + "end\n";
}

Result<DrawJournal> parseJournal(const std::string& text)
{
    if (text.rfind(std::string(kFirstLine) + "\n", 0) != 0)
        return failure("it is not a draw journal of this version.");
    std::map<std::string, std::string> values;
    std::size_t at = std::strlen(kFirstLine) + 1;
    bool ended = false;
    while (at < text.size()) {
        const std::size_t newline = text.find('\n', at);
        if (newline == std::string::npos)
            return failure("its last line is cut off.");
        const std::string line = text.substr(at, newline - at);
        at = newline + 1;
        if (line == "end") {
            ended = at == text.size();
            if (!ended)
                return failure("there is text after its end.");
            break;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return failure("the line \"" + line + "\" is not KEY=VALUE.");
        if (!values.emplace(line.substr(0, equals), line.substr(equals + 1)).second)
            return failure("\"" + line.substr(0, equals) + "\" is given twice.");
    }
    if (!ended)
        return failure("it has no end line: it is cut off.");

    DrawJournal j;
    std::string problem;
    auto take = [&](const std::string& key) -> std::string {
        const auto found = values.find(key);
        if (found == values.end()) {
            if (problem.empty())
                problem = "\"" + key + "\" is missing.";
            return {};
        }
        std::string value = found->second;
        values.erase(found);
        return value;
    };
    auto bad = [&](const std::string& key, const std::string& value) {
        if (problem.empty())
            problem = "\"" + key + "=" + value + "\" is not a valid value.";
    };
    auto number = [&](const std::string& key, auto& into) {
        const std::string value = take(key);
        if (const auto n = wholeNumber<std::remove_reference_t<decltype(into)>>(value))
            into = *n;
        else
            bad(key, value);
    };
    j.plotPath = take("file");
    if (j.plotPath.empty() || j.plotPath.front() != '/')
        bad("file", j.plotPath);
    number("size", j.plotSize);
    j.plotHash = take("hash");
    if (j.plotHash.size() != 24 || j.plotHash.rfind("fnv1a64:", 0) != 0
        || j.plotHash.find_first_not_of("0123456789abcdef", 8) != std::string::npos)
        bad("hash", j.plotHash);
    j.reading = take("reading");
    if (j.reading != "classic" && j.reading != "full")
        bad("reading", j.reading);
    number("zoom", j.zoom);
    if (j.zoom < 1 || j.zoom > 400)
        bad("zoom", std::to_string(j.zoom));
    const std::string step = take("step");
    if (step != "half" && step != "full")
        bad("step", step);
    j.halfStep = step == "half";
    for (int i = 0; i < kSettingLines; ++i) {
        j.settings[i] = take(settingKey(i));
        if (!decimalNumber(j.settings[i]))
            bad(settingKey(i), j.settings[i]);
    }
    const std::string shorter = take("shorter-travel");
    if (const auto v = yesNo(shorter))
        j.shorterTravel = *v;
    else
        bad("shorter-travel", shorter);
    j.conversion = take("conversion");
    j.port = take("port");
    if (j.port.empty())
        bad("port", j.port);
    const std::string origin = take("origin");
    if (origin != "home" && origin != "start")
        bad("origin", origin);
    j.originFromHome = origin == "home";
    number("origin-steps-x", j.originStepsX);
    number("origin-steps-y", j.originStepsY);
    number("points-done", j.pointsDone);
    number("points", j.points);
    if (j.pointsDone > j.points)
        bad("points-done", std::to_string(j.pointsDone));
    const std::string percent = take("percent-done");
    if (const auto p = decimalNumber(percent); p && *p >= 0 && *p <= 100)
        j.percentDone = *p;
    else
        bad("percent-done", percent);
    j.started = take("started");
    if (problem.empty() && !values.empty())
        problem = "\"" + values.begin()->first + "\" is not a journal key.";
    if (!problem.empty())
        return failure(problem);
    return j;
}

Result<FileDigest> digestOfFile(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure("cannot read " + file.string() + " (" + errnoText() + ").");
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a, 64 bits
    std::uint64_t size = 0;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const std::string why = errnoText();
            ::close(fd);
            return failure("cannot read " + file.string() + " (" + why + ").");
        }
        if (got == 0)
            break;
        for (ssize_t i = 0; i < got; ++i)
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        size += static_cast<std::uint64_t>(got);
    }
    ::close(fd);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return FileDigest{size, std::string("fnv1a64:") + hex};
}

std::vector<std::string> journalDifferences(const DrawJournal& kept, const DrawJournal& now)
{
    std::vector<std::string> out;
    auto differs = [&out](const std::string& what, const std::string& was, const std::string& is) {
        if (was != is)
            out.push_back(what + " was " + was + ", now " + is);
    };
    differs("the plot file", kept.plotPath, now.plotPath);
    if (kept.plotPath == now.plotPath && (kept.plotSize != now.plotSize || kept.plotHash != now.plotHash))
        out.push_back("the plot file's bytes have changed since the draw began");
    differs("the reading", kept.reading, now.reading);
    differs("the zoom", std::to_string(kept.zoom) + " %", std::to_string(now.zoom) + " %");
    differs("the step mode", kept.halfStep ? "half steps" : "full steps", now.halfStep ? "half steps" : "full steps");
    for (int i = 0; i < kSettingLines; ++i) {
        const std::string name = i < kNumericSettings ? kNumericSettingTable[i].name : std::string("LptAddress");
        differs("the setting " + name, kept.settings[i], now.settings[i]);
    }
    differs("the shorter-travel order", kept.shorterTravel ? "on" : "off", now.shorterTravel ? "on" : "off");
    differs("the SVG conversion", kept.conversion.empty() ? "none" : kept.conversion,
            now.conversion.empty() ? "none" : now.conversion);
    differs("the plot's points", std::to_string(kept.points), std::to_string(now.points));
    return out;
}

std::filesystem::path journalFolder()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return std::filesystem::path(state) / "orlex";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr && home[0] != '\0' ? home : "/tmp") / ".local/state/orlex";
}

std::filesystem::path journalFile(const std::string& port, const std::filesystem::path& folder)
{
    return folder / ("draw-" + port + ".journal");
}

Result<void> JournalDisk::writeNew(const std::filesystem::path& file, const std::string& bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return failure("cannot create " + file.string() + " (" + errnoText() + ").");
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const std::string why = errnoText();
        ::close(fd);
        return failure("cannot write " + file.string() + " (" + why + ").");
    }
    if (::close(fd) != 0)
        return failure("cannot close " + file.string() + " (" + errnoText() + ").");
    return {};
}

Result<void> JournalDisk::rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return failure("cannot rename " + from.string() + " to " + to.string() + " (" + errnoText() + ").");
    return {};
}

void JournalDisk::syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

JournalDisk& systemDisk()
{
    static JournalDisk disk;
    return disk;
}

Result<void> writeJournal(const std::filesystem::path& file, const DrawJournal& journal, JournalDisk& disk)
{
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        return failure("cannot create the folder " + file.parent_path().string() + " (" + error.message() + ").");
    const std::filesystem::path next = file.string() + ".new";
    if (Result<void> written = disk.writeNew(next, journalText(journal)); !written)
        return written;
    if (Result<void> renamed = disk.rename(next, file); !renamed)
        return renamed;
    disk.syncFolder(file.parent_path());
    return {};
}

JournalRead readJournal(const std::filesystem::path& file)
{
    JournalRead read;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code error;
        if (!std::filesystem::exists(file, error))
            return read;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Result<DrawJournal> parsed = in.bad() ? Result<DrawJournal>(failure("it cannot be read.")) : parseJournal(text);
    if (parsed) {
        read.state = JournalRead::State::Kept;
        read.journal = *parsed;
        return read;
    }
    read.state = JournalRead::State::Bad;
    read.problem = parsed.message();
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::gmtime(&now));
    const std::filesystem::path aside = file.string() + ".bad-" + stamp;
    std::error_code error;
    std::filesystem::rename(file, aside, error);
    if (!error)
        read.asideAs = aside;
    return read;
}

std::string journalDateNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
    return text;
}

JournalKeeper::JournalKeeper(std::filesystem::path file, DrawJournal start, std::chrono::milliseconds interval,
                             JournalDisk& disk)
    : file_(std::move(file)), record_(std::move(start)), interval_(interval), disk_(disk),
      firstDone_(record_.pointsDone)
{}

void JournalKeeper::poll(std::uint64_t pointsDone, std::uint64_t penLifts, double percent, Clock::time_point now)
{
    pointsDone = std::max(pointsDone, firstDone_); // the counters may start below a resumed draw's first point
    liftPending_ = liftPending_ || penLifts != penLifts_;
    penLifts_ = penLifts;
    const bool first = writes_ == 0; // the draw has begun: its record replaces any earlier one
    // A pen lift writes at once, but not within a quarter of the interval of the last
    // write: each write waits for the disk twice, and a plot of short strokes lifts the pen
    // many times a second.
    const auto due = liftPending_ ? interval_ / 4 : interval_;
    if (!first && (pointsDone == record_.pointsDone || now - lastWrite_ < due))
        return;
    liftPending_ = false;
    record_.pointsDone = std::min(pointsDone, record_.points);
    record_.percentDone = std::clamp(percent, 0.0, 100.0);
    lastWrite_ = now;
    write();
}

void JournalKeeper::end(bool finished, std::uint64_t pointsDone, double percent)
{
    if (finished) {
        std::error_code error;
        std::filesystem::remove(file_, error);
        if (error && !problem_)
            problem_ = failure("cannot remove " + file_.string() + " (" + error.message() + ").");
        return;
    }
    record_.pointsDone = std::min(pointsDone, record_.points);
    record_.percentDone = std::clamp(percent, 0.0, 100.0);
    write();
}

void JournalKeeper::write()
{
    ++writes_;
    if (Result<void> written = writeJournal(file_, record_, disk_); !written && !problem_)
        problem_ = written.error();
}

std::optional<Error> JournalKeeper::takeProblem()
{
    if (problemTold_ || !problem_)
        return std::nullopt;
    problemTold_ = true;
    return problem_;
}

} // namespace orlex
