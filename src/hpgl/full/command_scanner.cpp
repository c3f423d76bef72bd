// The tokenizer of the full HP-GL reading (see command_scanner.h).
#include "hpgl/full/command_scanner.h"

#include "hpgl/digit_words.h"

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orlex::fullhpgl {

namespace {

constexpr int kEscape = 27;

enum CharClass : std::uint8_t { kSeparator, kLetter, kDigit, kSign, kPoint, kStop };

constexpr std::array<CharClass, 256> kClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = classes[c + 32] = kLetter;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    classes['+'] = classes['-'] = kSign;
    classes['.'] = kPoint;
    classes[';'] = classes[kEscape] = kStop;
    return classes;
}();

bool isLetter(int c)
{
    return c >= 0 && kClasses[c] == kLetter;
}

bool isDigit(unsigned char c)
{
    return static_cast<unsigned>(c - '0') < 10;
}

constexpr std::array<double, 23> kPowersOfTen = [] {
    std::array<double, 23> powers{};
    double p = 1;
    for (double& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();

} // namespace

CommandScanner::CommandScanner(std::FILE* file, std::uint64_t fileSize, BlockObserver onBlockRead)
    : file_(file), fileSize_(fileSize), onBlockRead_(std::move(onBlockRead)),
      buffer_(kBlockSize + kMaxNumberLength + 2), pos_(buffer_.data()), end_(buffer_.data())
{}

CommandScanner::~CommandScanner()
{
    std::fclose(file_);
}

bool CommandScanner::refill()
{
    if (fileEnded_)
        return pos_ != end_;
    const std::size_t unread = static_cast<std::size_t>(end_ - pos_);
    bufferOffset_ += static_cast<std::uint64_t>(pos_ - buffer_.data());
    std::memmove(buffer_.data(), pos_, unread);
    const std::size_t length = std::fread(buffer_.data() + unread, 1, buffer_.size() - unread, file_);
    if (length < buffer_.size() - unread) {
        fileEnded_ = true;
        if (std::ferror(file_))
            error_ = errno != 0 ? errno : EIO;
    }
    pos_ = buffer_.data();
    end_ = pos_ + unread + length;
    bytesRead_ += length;
    if (onBlockRead_)
        onBlockRead_(bytesRead_, fileSize_);
    return pos_ != end_;
}

bool CommandScanner::nextMnemonic(char& first, char& second)
{
    for (;;) {
        if (static_cast<std::size_t>(end_ - pos_) < 2 && !refill())
            return false;
        const int c = *pos_;
        if (c == kEscape) {
            skipEscapeSequence();
            continue;
        }
        ++pos_;
        if (!isLetter(c))
            continue;
        const int next = peekByte();
        if (!isLetter(next))
            continue; // a lone letter is no mnemonic; the byte after it is looked at anew
        ++pos_;
        first = static_cast<char>(c & ~0x20);
        second = static_cast<char>(next & ~0x20);
        return true;
    }
}

bool CommandScanner::skipSeparators()
{
    for (;;) {
        for (; pos_ != end_; ++pos_) {
            const CharClass c = kClasses[*pos_];
            if (c == kSeparator)
                continue;
            if (c == kLetter || c == kStop)
                return false;
            return keepAhead();
        }
        if (!refill())
            return false;
    }
}

// [sign] digits [. digits], from the current byte, which is a number character. A sign
// or a second point after a number starts the next number.
CommandScanner::Param CommandScanner::readNumber(double& value)
{
    const unsigned char* const start = pos_;
    const unsigned char* p = pos_;
    const unsigned char* const limit = std::min(end_, start + kMaxNumberLength + 1);
    const bool negative = *p == '-';
    if (kClasses[*p] == kSign)
        ++p;
    // The usual whole number of one to seven digits, read at once.
    if constexpr (std::endian::native == std::endian::little) {
        if (end_ - p >= 9) {
            std::uint64_t bytes = 0;
            std::memcpy(&bytes, p, 8);
            const int count = leadingDigits(bytes);
            if (count > 0 && count < 8 && p[count] != '.') {
                pos_ = p + count;
                const double magnitude = static_cast<double>(digitsValue(bytes, count));
                value = negative ? -magnitude : magnitude;
                return Param::Number;
            }
        }
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    while (p != limit && isDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        ++digits;
    }
    if (p != limit && *p == '.') {
        ++p;
        while (p != limit && isDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
            ++digits;
            ++fractionDigits;
        }
    }
    if (p == limit && limit != end_) { // too long: the whole run of number characters is one bad number
        while (pos_ != end_ || refill()) {
            if (kClasses[*pos_] != kDigit && *pos_ != '.')
                break;
            ++pos_;
        }
        return Param::Bad;
    }
    pos_ = p;
    if (digits == 0)
        return Param::Bad;
    if (digits <= 15) {
        // Exact: a whole number below 10^15 and a power of ten below 10^23 are both
        // doubles, and one division rounds once.
        value = static_cast<double>(static_cast<std::int64_t>(mantissa));
        if (fractionDigits != 0)
            value /= kPowersOfTen[static_cast<std::size_t>(fractionDigits)];
    } else { // exact decimal reading of a long text
        const unsigned char* text = kClasses[*start] == kSign ? start + 1 : start;
        const auto [end, error] = std::from_chars(reinterpret_cast<const char*>(text), reinterpret_cast<const char*>(p),
                                                  value, std::chars_format::fixed);
        if (error != std::errc{} || !std::isfinite(value))
            return Param::Bad;
    }
    if (negative)
        value = -value;
    return Param::Number;
}

void CommandScanner::skipParameters()
{
    for (;;) {
        const int c = peekByte();
        if (c < 0 || isLetter(c) || c == kEscape)
            return;
        ++pos_;
        if (c == ';')
            return;
        if (c == '"') {
            for (int q = nextByte(); q >= 0 && q != '"'; q = nextByte()) {
            }
        }
    }
}

// ESC . x (device control of serial plotters, parameters up to ':' for some), or a
// printer escape: ESC E, ESC %-12345X, ESC *c100X ... None changes the drawing.
void CommandScanner::skipEscapeSequence()
{
    ++escapeSequences_;
    ++pos_; // ESC
    const int kind = nextByte();
    if (kind == '.') {
        const int command = nextByte();
        if (command >= 0 && std::strchr("@HIMNPST", command) != nullptr) {
            for (int i = 0; i < 64; ++i) {
                const int c = nextByte();
                if (c < 0 || c == ':')
                    break;
            }
        }
        return;
    }
    if (kind < '!' || kind > '/')
        return; // two-byte escape
    for (int i = 0; i < 64; ++i) {
        const int c = nextByte();
        if (c < 0 || (c >= '@' && c <= '^'))
            return; // the upper-case letter that ends it
    }
}

} // namespace orlex::fullhpgl
