// Port decorator writing "time_us,register,value" lines for every data and control write.
#include "drive/ports/tracing_port.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include <unistd.h>

namespace orlex {

namespace {
constexpr std::size_t kBufferBytes = 1 << 20; // a long draw writes millions of lines
// While writes come in, what is buffered reaches the file at least this often, so
// `tail -f` follows a draw and a crash loses no more than the last moments.
constexpr std::chrono::milliseconds kFlushInterval{100};
} // namespace

Result<std::unique_ptr<TracingPort>> TracingPort::open(Port& inner, const std::filesystem::path& file,
                                                       std::function<double()> clockMicros)
{
    std::FILE* stream = std::fopen(file.c_str(), "w");
    if (!stream)
        return failure("Cannot write the port trace to " + file.string() + ": " + std::strerror(errno) + ".");
    auto buffer = std::make_unique<char[]>(kBufferBytes);
    std::setvbuf(stream, buffer.get(), _IOFBF, kBufferBytes);
    std::fputs("time_us,register,value\n", stream);
    return std::unique_ptr<TracingPort>(new TracingPort(inner, stream, std::move(clockMicros), std::move(buffer)));
}

TracingPort::TracingPort(Port& inner, std::FILE* file, std::function<double()> clock, std::unique_ptr<char[]> buffer)
    : inner_(&inner), file_(file), clock_(std::move(clock)), start_(std::chrono::steady_clock::now()),
      lastFlush_(start_), buffer_(std::move(buffer))
{}

TracingPort::~TracingPort()
{
    close(); // the buffer is released after this
}

void TracingPort::close()
{
    if (file_ == nullptr)
        return;
    std::fflush(file_);
    ::fsync(::fileno(file_));
    std::fclose(file_);
    file_ = nullptr;
}

void TracingPort::write(Register reg, std::uint8_t value)
{
    inner_->write(reg, value);
    if (file_ == nullptr || reg == Register::Status)
        return;

    const double micros =
        clock_ ? clock_()
               : std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_).count();
    const long long time =
        std::isfinite(micros) && std::fabs(micros) < 1e18 ? static_cast<long long>(std::nearbyint(micros)) : 0;

    char line[64];
    char* end = std::to_chars(line, line + 24, time).ptr;
    *end++ = ',';
    const char* name = registerName(reg);
    const std::size_t nameLength = std::strlen(name);
    std::memcpy(end, name, nameLength);
    end += nameLength;
    *end++ = ',';
    end = std::to_chars(end, line + sizeof line - 1, static_cast<unsigned>(value)).ptr;
    *end++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(end - line), file_);

    const auto now = std::chrono::steady_clock::now();
    if (now - lastFlush_ >= kFlushInterval)
        flush();
}

std::uint8_t TracingPort::read(Register reg)
{
    return inner_->read(reg);
}

void TracingPort::flush()
{
    if (file_ == nullptr)
        return;
    std::fflush(file_);
    lastFlush_ = std::chrono::steady_clock::now();
}

} // namespace orlex
