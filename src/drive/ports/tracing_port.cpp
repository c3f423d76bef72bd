// Port decorator writing "time_us,register,value" lines for every data and control write,
// through a ring and a writer thread of its own.
#include "drive/ports/tracing_port.h"

#include "common/output_file.h"
#include "common/write_all.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace orlex {

namespace {

constexpr const char* kHeader = "time_us,register,value\n";
// While writes come in, they reach the file at least this often, so `tail -f` follows a
// draw and a crash loses no more than the last moments.
constexpr std::chrono::milliseconds kWriteInterval{20};
// How long flush() waits for the writer, and how long close() gives a stalled target.
constexpr std::chrono::milliseconds kFlushWait{500};
constexpr std::chrono::seconds kCloseWait{2};
constexpr std::size_t kBatch = 8192; // records formatted and written at once

void appendLine(std::string& text, std::int64_t micros, Register reg, std::uint8_t value)
{
    char line[64];
    char* end = std::to_chars(line, line + 24, micros).ptr;
    *end++ = ',';
    const char* name = registerName(reg);
    const std::size_t length = std::strlen(name);
    std::memcpy(end, name, length);
    end += length;
    *end++ = ',';
    end = std::to_chars(end, line + sizeof line - 1, static_cast<unsigned>(value)).ptr;
    *end++ = '\n';
    text.append(line, static_cast<std::size_t>(end - line));
}

std::string cannotWrite(const std::filesystem::path& file, const std::string& reason)
{
    return "Cannot write the port trace to " + file.string() + ": " + reason;
}

} // namespace

Result<std::unique_ptr<TracingPort>> TracingPort::open(Port& inner, const std::filesystem::path& file,
                                                       std::function<double()> clockMicros)
{
    const Result<OutputPlace> place = outputPlace(file);
    if (!place)
        return failure(cannotWrite(file, place.message()));
    const bool plain = place->kind != OutputPlace::Kind::Stream;
    // Non-blocking: a pipe that nobody reads fails here instead of hanging, and the writer
    // thread waits for a slow reader with poll(), so that closing can give up on it.
    const int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (plain ? O_CREAT | O_TRUNC : 0);
    const int fd = ::open(place->path.c_str(), flags, 0666);
    if (fd < 0)
        return failure(cannotWrite(file, errno == ENXIO ? "nobody reads the pipe; start its reader first."
                                                        : std::string(std::strerror(errno)) + "."));
    if (!writeAll(fd, kHeader)) {
        const int error = errno;
        ::close(fd);
        return failure(cannotWrite(file, std::string(std::strerror(error)) + "."));
    }
    return std::unique_ptr<TracingPort>(new TracingPort(inner, fd, place->path, plain, std::move(clockMicros)));
}

TracingPort::TracingPort(Port& inner, int fd, std::filesystem::path path, bool plainFile, std::function<double()> clock)
    : inner_(&inner), fd_(fd), path_(std::move(path)), plainFile_(plainFile), clock_(std::move(clock)),
      start_(std::chrono::steady_clock::now()), wholeBytes_(std::strlen(kHeader)),
      writer_([this](std::stop_token stop) { writeLoop(std::move(stop)); })
{}

TracingPort::~TracingPort()
{
    (void)close();
}

void TracingPort::write(Register reg, std::uint8_t value)
{
    inner_->write(reg, value);
    if (reg == Register::Status || closed_)
        return;
    const double micros =
        clock_ ? clock_()
               : std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_).count();
    const std::int64_t time =
        std::isfinite(micros) && std::fabs(micros) < 1e18 ? static_cast<std::int64_t>(std::nearbyint(micros)) : 0;
    // A full ring counts the write as lost: the step never waits for the trace.
    if (ring_.push(Record{time, reg, value}))
        pushed_.fetch_add(1, std::memory_order_relaxed);
}

std::uint8_t TracingPort::read(Register reg)
{
    return inner_->read(reg);
}

void TracingPort::flush()
{
    if (closed_)
        return;
    std::unique_lock lock(mutex_);
    flushWanted_ = pushed_.load(std::memory_order_relaxed);
    changed_.notify_all();
    changed_.wait_for(lock, kFlushWait, [this] { return handled_ >= flushWanted_; });
}

// Takes what the ring holds, writes it as lines, and sleeps when there is nothing.
void TracingPort::writeLoop(std::stop_token stop)
{
    std::vector<Record> batch;
    std::string text;
    batch.reserve(kBatch);
    for (;;) {
        batch.clear();
        ring_.popInto(batch, kBatch);
        if (!batch.empty()) {
            text.clear();
            for (const Record& r : batch)
                appendLine(text, r.micros, r.reg, r.value);
            const bool written = !failed_.load(std::memory_order_acquire) && writeText(text);
            {
                std::lock_guard lock(mutex_);
                if (!written)
                    linesLost_ += batch.size();
                handled_ += batch.size();
            }
            changed_.notify_all();
            continue;
        }
        std::unique_lock lock(mutex_);
        if (closing_ || stop.stop_requested())
            return; // the ring is empty and nothing more comes
        changed_.wait_for(lock, kWriteInterval, [this] { return closing_ || flushWanted_ > handled_; });
    }
}

// Writes all of `text`; a pipe that takes nothing is waited for, unless the trace is
// closing and its time is up. False, with the reason kept, when the file took not all.
bool TracingPort::givingUp()
{
    std::lock_guard lock(mutex_);
    return closing_ && std::chrono::steady_clock::now() >= giveUpAt_;
}

bool TracingPort::writeText(const std::string& text)
{
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd_, rest.data(), rest.size());
        if (n > 0) {
            rest.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (givingUp()) {
                fail("its reader took nothing for " + std::to_string(kCloseWait.count()) + " s at the end");
                return false;
            }
            pollfd out{fd_, POLLOUT, 0};
            ::poll(&out, 1, 50);
            continue;
        }
        fail(n == 0 ? std::string("the file took no more") : std::strerror(errno));
        // What went in ends at its last whole line; close() cuts the file there.
        const std::size_t taken = text.size() - rest.size();
        const std::size_t lastLineEnd = text.rfind('\n', taken == 0 ? 0 : taken - 1);
        if (taken != 0 && lastLineEnd != std::string::npos)
            wholeBytes_ += lastLineEnd + 1;
        return false;
    }
    wholeBytes_ += text.size();
    return true;
}

void TracingPort::fail(const std::string& reason)
{
    std::lock_guard lock(mutex_);
    if (failure_.empty())
        failure_ = reason;
    failed_.store(true, std::memory_order_release);
}

std::string TracingPort::missingText() const
{
    const std::uint64_t lost = linesLost_ + ring_.dropped();
    std::string text = std::to_string(lost) + (lost == 1 ? " write was" : " writes were") + " not traced";
    if (failure_.empty())
        return text + ": the trace's file did not take them fast enough";
    return text + " (" + failure_ + ")";
}

Result<void> TracingPort::close()
{
    {
        std::lock_guard lock(mutex_);
        if (closed_.exchange(true))
            return {};
        closing_ = true;
        giveUpAt_ = std::chrono::steady_clock::now() + kCloseWait;
    }
    changed_.notify_all();
    writer_.request_stop();
    writer_.join();

    const bool complete = !failed() && linesLost_ == 0;
    if (complete && plainFile_ && ::fsync(fd_) != 0 && errno != EINVAL)
        fail(std::strerror(errno));
    if (failed() || linesLost_ != 0) {
        const std::string missing = missingText();
        std::string where;
        if (plainFile_) {
            // No partial trace keeps the name asked for: cut at the last whole line, renamed.
            (void)::ftruncate(fd_, static_cast<off_t>(wholeBytes_));
            (void)::fsync(fd_);
            const std::string kept = path_.string() + ".incomplete";
            if (::rename(path_.c_str(), kept.c_str()) == 0)
                where = "; what was traced is in " + kept;
        }
        ::close(fd_);
        return failure("The port trace " + path_.string() + " is incomplete: " + missing + where + ".");
    }
    if (::close(fd_) != 0 && plainFile_)
        return failure("The port trace " + path_.string() + " may be incomplete: closing it failed ("
                       + std::strerror(errno) + ").");
    return {};
}

} // namespace orlex
