// The classic reader's machinery: a buffered byte stream, the coordinate reader and the
// mnemonic scanner, as a template over the sink. readClassicPlot (classic_reader.h) is
// its use with any PlotSink; a caller with a final sink of its own (the check) reads
// through readClassicPlotInto, so that each point reaches that sink without a call
// through the interface.
#pragma once

#include "hpgl/classic_reader.h"
#include "hpgl/digit_words.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

namespace orlex::classic_reading {

inline constexpr int kEmpty = -1; // an empty character slot

// Character classes of the scanner, one table lookup per byte: an upper-case letter starts
// a mnemonic, a digit, '-' or '.' belongs to a coordinate, anything else separates.
enum CharClass : std::uint8_t { kSeparator, kLetter, kNumberChar };

inline constexpr std::array<CharClass, 256> kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = kLetter;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kNumberChar;
    classes['-'] = kNumberChar;
    classes['.'] = kNumberChar;
    return classes;
}();

// The class of a byte; the empty slot counts as a separator.
inline CharClass classOf(int c)
{
    return c == kEmpty ? kSeparator : kCharClasses[c];
}
inline bool isLetter(int c)
{
    return classOf(c) == kLetter;
}

inline constexpr std::uint64_t kToTheEnd = UINT64_MAX;

// The bytes a ByteReader reads: from `start` up to `end` at most, where the reading stops
// at a cut (atCut) instead of the file's end; the census takes those before `censusEnd`.
struct Span {
    std::uint64_t start = 0;
    std::uint64_t end = kToTheEnd;
    std::uint64_t censusEnd = kToTheEnd;
};

// Reads a file in 64 KiB blocks and hands it out one byte at a time, or as the run of
// bytes left in the current block, which the scanning loops walk with a plain pointer.
// kSlack bytes after the block may be read (never used) by code that loads eight or
// sixteen bytes at once. It reads one span of the file (the whole file unless told): the
// blocks are read at their offsets (pread), so that two readers can share a descriptor.
class ByteReader {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    static constexpr std::size_t kSlack = 16;

    ByteReader(int fd, std::uint64_t fileSize, PlotSink& progress, CommandCensus* census, Span span = {})
        : fd_(fd), fileSize_(fileSize), progress_(progress), census_(census), span_(span), buffer_(kBlockSize + kSlack),
          blockStart_(span.start)
    {}
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // True when no byte is left (or reading failed; see error()).
    bool atEnd() { return pos_ == end_ && !refill(); }
    // The reading stopped at the span's end, not at the file's.
    bool atCut() const { return cut_; }

    // The next byte; only after atEnd() said false.
    int next() { return *pos_++; }

    // The unread bytes of the current block, [position(), blockEnd()); skipTo() marks the
    // ones before its argument as read.
    const unsigned char* position() const { return pos_; }
    const unsigned char* blockEnd() const { return end_; }
    void skipTo(const unsigned char* pos) { pos_ = pos; }

    // The byte next() handed out last, when it is still in the block.
    const unsigned char* lastByte() const { return pos_ != buffer_.data() ? pos_ - 1 : nullptr; }

    // The file offset after the bytes handed out so far.
    std::uint64_t consumed() const { return blockStart_ + static_cast<std::uint64_t>(pos_ - buffer_.data()); }
    int error() const { return error_; }

private:
    // Reads the next block once the current one is used up. False at the end or on error.
    bool refill()
    {
        if (error_ != 0 || ended_)
            return false; // the end is told once
        blockStart_ += static_cast<std::uint64_t>(end_ - buffer_.data());
        progress_.readProgress(blockStart_, fileSize_);
        const std::uint64_t left = span_.end - blockStart_;
        const std::size_t wanted = left < kBlockSize ? static_cast<std::size_t>(left) : kBlockSize;
        const std::size_t length = readBlock(wanted);
        if (census_ != nullptr && blockStart_ < span_.censusEnd)
            census_->feed(buffer_.data(),
                          static_cast<std::size_t>(std::min<std::uint64_t>(length, span_.censusEnd - blockStart_)));
        pos_ = buffer_.data();
        end_ = pos_ + length;
        ended_ = length == 0;
        cut_ = wanted == 0;
        return length != 0;
    }

    // Up to `wanted` bytes from the block's offset into the buffer: fewer only at the end
    // of the file or on an error, which error() then tells.
    std::size_t readBlock(std::size_t wanted)
    {
        std::size_t got = 0;
        while (got < wanted) {
            const ssize_t n = ::pread(fd_, buffer_.data() + got, wanted - got, static_cast<off_t>(blockStart_ + got));
            if (n > 0)
                got += static_cast<std::size_t>(n);
            else if (n == 0)
                break;
            else if (errno != EINTR) {
                error_ = errno != 0 ? errno : EIO;
                break;
            }
        }
        return got;
    }

    const int fd_;
    const std::uint64_t fileSize_; // as the file system gave it when the reading began
    PlotSink& progress_;
    CommandCensus* census_; // takes every block read, when set
    const Span span_;
    std::vector<unsigned char> buffer_;
    const unsigned char* pos_ = buffer_.data();
    const unsigned char* end_ = buffer_.data();
    std::uint64_t blockStart_; // file offset of buffer_[0]
    int error_ = 0;
    bool ended_ = false; // a read found the end of the file or the span
    bool cut_ = false;   // that end was the span's
};

// The text of one coordinate. Bounded: past kMaxLength characters only the fact that it
// was too long is kept, so a file-long run of digits costs no memory.
class NumberText {
public:
    static constexpr std::size_t kMaxLength = kMaxCoordinateLength;

    void clear()
    {
        length_ = 0;
        tooLong_ = false;
        wholeKnown_ = false;
    }
    // A text of at most 15 characters, with sixteen bytes readable at `chars`, whose
    // value has already been read.
    void setWhole(const unsigned char* chars, std::size_t length, double value)
    {
        std::memcpy(chars_, chars, 16); // a fixed size: no call, no loop
        length_ = length;
        whole_ = value;
        wholeKnown_ = true;
    }
    void append(int c)
    {
        if (length_ < kMaxLength)
            chars_[length_++] = static_cast<char>(c);
        else
            tooLong_ = true;
    }
    void append(const unsigned char* chars, std::size_t count)
    {
        if (count > kMaxLength - length_) {
            count = kMaxLength - length_;
            tooLong_ = true;
        }
        std::memcpy(chars_ + length_, chars, count);
        length_ += count;
    }
    std::string_view text() const { return {chars_, length_}; }

    // The value into `v`, when the whole text is one decimal number with '.' as the point.
    // (A bool and an out parameter rather than an optional: the optional's flag and value
    // were written and read back in pieces, which held up every pair.)
    bool value(double& v) const
    {
        if (wholeKnown_) {
            v = whole_;
            return true;
        }
        if (tooLong_ || length_ == 0)
            return false;
        // Most coordinates are whole numbers of a few digits: exact without from_chars.
        if (wholeValue(v))
            return true;
        const char* last = chars_ + length_;
        const auto [end, error] = std::from_chars(chars_, last, v, std::chars_format::fixed);
        return error == std::errc{} && end == last && std::isfinite(v);
    }

    // An optional '-' and up to 15 digits, which a double holds exactly; false otherwise.
    bool wholeValue(double& v) const
    {
        const bool negative = chars_[0] == '-';
        const std::size_t first = negative ? 1 : 0;
        if (length_ == first || length_ - first > 15)
            return false;
        std::int64_t value = 0;
        for (std::size_t i = first; i < length_; ++i) {
            const char c = chars_[i];
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        v = negative ? -static_cast<double>(value) : static_cast<double>(value);
        return true;
    }

    // The text for a message, marked when it was cut.
    std::string shown() const { return std::string(text()) + (tooLong_ ? "..." : ""); }

private:
    char chars_[kMaxLength] = {};
    std::size_t length_ = 0;
    bool tooLong_ = false;
    bool wholeKnown_ = false; // whole_ is the value of the text
    double whole_ = 0;
};

// The usual coordinate: an optional '-', then one to seven digits, then a character that
// is not part of a number, all before `end`. Its value goes to `value` and the result
// points at the character after the digits; nullptr, for anything else, asks for the
// general reading. Eight bytes from the digits on must be readable (the reader's slack).
[[gnu::always_inline]] inline const unsigned char* shortWholeNumber(const unsigned char* first,
                                                                    const unsigned char* end, double& value)
{
    if constexpr (std::endian::native != std::endian::little)
        return nullptr;
    const bool negative = *first == '-';
    const unsigned char* const digits = first + (negative ? 1 : 0);
    std::uint64_t eightBytes = 0;
    std::memcpy(&eightBytes, digits, 8);
    const int count = leadingDigits(eightBytes);
    const unsigned char* const after = digits + count;
    if (count == 0 || count == 8 || after >= end || kCharClasses[*after] == kNumberChar)
        return nullptr;
    const double magnitude = digitsValue(eightBytes, count);
    value = negative ? -magnitude : magnitude;
    return after;
}

// What the reading carries from one command to the next: the pen, the PA/PR mode and the
// current point in plotter units.
struct ReadingState {
    Pen pen = Pen::Up;
    bool relative = false;
    double x = 0, y = 0;
};

// One reading of an open file, handing its points to a Sink: PlotSink, or a final class
// derived from it whose calls the compiler can then make directly. It may read one span
// of the file (see Span) from a given state, for a reading in spans.
template <class Sink>
class ClassicReader {
public:
    ClassicReader(ByteReader& in, Sink& sink, ReadResult& result, ReadingState start = {})
        : in_(in), sink_(sink), result_(result), pen_(start.pen), relative_(start.relative), pointX_(start.x),
          pointY_(start.y), pointsAtStart_(result.points)
    {}

    // The mnemonic scanner: it looks at every overlapping pair of characters and acts on
    // PU, PD, PA, PR and SP. A coordinate list hands back its ending letter as the first
    // character of the next pair.
    void run()
    {
        bool fromCoordinates = false;
        for (;;) {
            // The file ends where a mnemonic should start: one beep. After a list, the
            // end is silent. A span's cut is no end: the reading goes on after it.
            if (in_.atEnd()) {
                if (!fromCoordinates && !in_.atCut())
                    beep();
                return;
            }
            fromCoordinates = false;
            previous_ = current_;
            current_ = in_.next();

            if (previous_ == 'P') {
                bool coordinates = true;
                switch (current_) {
                case 'U': setPen(false); break;
                case 'D': setPen(true); break;
                case 'A': setMode(false); break;
                case 'R': setMode(true); break;
                default: coordinates = false; break;
                }
                if (coordinates) {
                    if (!readCoordinates())
                        return;
                    fromCoordinates = true;
                }
            } else if (previous_ == 'S' && current_ == 'P') {
                if (in_.atEnd()) { // no pen number to consume
                    beep();
                    return;
                }
                current_ = in_.next();
                sink_.selectPen(static_cast<char>(current_));
            }
        }
    }

    // Where the reading stands: what a reading of the next span starts from.
    ReadingState state() const { return {pen_, relative_, pointX_, pointY_}; }
    // Whether the points read depend on the state the reading started from beyond its
    // pen: a pair came before any PA or PR (the mode), or a PR before any pair (the point).
    bool reliedOnStartMode() const
    {
        return (pointsAtFirstMode_ == kNotYet ? result_.points : pointsAtFirstMode_) != pointsAtStart_;
    }
    bool reliedOnStartPoint() const { return pointsAtFirstRelative_ == pointsAtStart_; }
    // Whether a PA or PR came, and so whether state() tells the mode or the start's.
    bool setMode() const { return pointsAtFirstMode_ != kNotYet; }

private:
    static constexpr std::uint64_t kNotYet = UINT64_MAX;

    void setMode(bool relative)
    {
        relative_ = relative;
        if (pointsAtFirstMode_ == kNotYet)
            pointsAtFirstMode_ = result_.points;
        if (relative && pointsAtFirstRelative_ == kNotYet)
            pointsAtFirstRelative_ = result_.points;
    }

    // Puts the next byte into the lookahead. A lookahead that is not empty is always the
    // last byte taken: readPair finds its offset from that.
    void takeNext() { lookahead_ = in_.next(); }

    // Passes over separators (an empty lookahead counts as one). False at the end of file.
    bool skip()
    {
        if (classOf(lookahead_) != kSeparator)
            return true;
        for (;;) {
            const unsigned char* p = in_.position();
            const unsigned char* const end = in_.blockEnd();
            while (p != end && kCharClasses[*p] == kSeparator)
                ++p;
            in_.skipTo(p);
            if (p != end) {
                takeNext();
                return true;
            }
            if (in_.atEnd())
                return false;
        }
    }

    // Ends a list at the letter in the lookahead: it becomes the scanner's current character.
    void handLetterToScanner()
    {
        current_ = lookahead_;
        lookahead_ = kEmpty;
    }

    // Appends the lookahead and the number characters after it to `text`. False when the
    // file ends after the last character appended.
    bool readNumber(NumberText& text)
    {
        if (readShortWholeNumber(text))
            return true;
        text.append(lookahead_);
        for (;;) {
            const unsigned char* const start = in_.position();
            const unsigned char* const end = in_.blockEnd();
            const unsigned char* p = start;
            while (p != end && kCharClasses[*p] == kNumberChar)
                ++p;
            text.append(start, static_cast<std::size_t>(p - start));
            in_.skipTo(p);
            if (p != end) {
                takeNext(); // the character that ends the number
                return true;
            }
            if (in_.atEnd())
                return false;
        }
    }

    // readNumber for the usual coordinate (see shortWholeNumber), read eight bytes at a
    // time. False, having read nothing, for anything else.
    bool readShortWholeNumber(NumberText& text)
    {
        const unsigned char* const first = in_.lastByte();
        if (first == nullptr || *first != lookahead_)
            return false;
        double value = 0;
        const unsigned char* const after = shortWholeNumber(first, in_.blockEnd(), value);
        if (after == nullptr)
            return false;
        text.setWhole(first, static_cast<std::size_t>(after - first), value);
        in_.skipTo(after);
        takeNext(); // the character that ends the number
        return true;
    }

    // The usual pair, "123,-45" with any separators, read at once when all of it and the
    // character after it lie in the current block and both values are short whole
    // numbers: the same values, the same lookahead after Y, and the same discarded
    // character after X as the general reading. False, having read nothing, otherwise.
    [[gnu::always_inline]] bool readShortWholePair(double& x, double& y)
    {
        const unsigned char* const first = in_.lastByte();
        const unsigned char* const end = in_.blockEnd();
        if (first == nullptr || *first != lookahead_)
            return false;
        const unsigned char* p = shortWholeNumber(first, end, x);
        if (p == nullptr)
            return false;
        ++p; // the character that ended X is discarded
        while (p < end && kCharClasses[*p] == kSeparator)
            ++p;
        if (p >= end || kCharClasses[*p] != kNumberChar)
            return false;
        p = shortWholeNumber(p, end, y);
        if (p == nullptr)
            return false;
        in_.skipTo(p);
        takeNext(); // the character that ends Y
        return true;
    }

    // The pairs of one list. True: the scanner goes on with the letter that ended the
    // list; false: the run is finished.
    bool readCoordinates()
    {
        for (;;) {
            if (!skip())
                return false;
            if (isLetter(lookahead_)) {
                handLetterToScanner();
                return true;
            }
            // A number character starts the next pair.
            double x = 0, y = 0;
            if (readShortWholePair(x, y)) {
                if (!executePair(x, y))
                    return false;
            } else if (const PairEnd end = readPair(); end != PairEnd::Read) {
                return end == PairEnd::ListEnded;
            }
        }
    }

    enum class PairEnd { Read, ListEnded, RunEnded };

    // One pair of any form, from the number character in the lookahead: carried out, or
    // noted as skipped. Read: the list goes on after it.
    PairEnd readPair()
    {
        // X value.
        xText_.clear();
        const std::uint64_t pairOffset = in_.consumed() - 1; // the lookahead, the last byte taken
        // The file ends inside an X value: the pair is dropped.
        if (!readNumber(xText_)) {
            beep();
            result_.endOfFileCaption = true;
            beep();
            return PairEnd::RunEnded;
        }
        yText_.clear();
        lookahead_ = kEmpty; // the character that ended X is discarded
        if (!skip())
            return PairEnd::RunEnded;

        // Y value. A letter here means the X value has no Y: skip the pair, and let the
        // letter start the next mnemonic.
        if (isLetter(lookahead_)) {
            noteSkipped(pairOffset, xText_.shown());
            handLetterToScanner();
            return PairEnd::ListEnded;
        }
        // A last pair that runs into the end of the file is complete.
        const bool fileEnded = !readNumber(yText_);

        double x = 0, y = 0;
        if (xText_.value(x) && yText_.value(y)) {
            if (!executePair(x, y))
                return PairEnd::RunEnded;
        } else {
            noteSkipped(pairOffset, xText_.shown() + "," + yText_.shown());
        }
        return fileEnded ? PairEnd::RunEnded : PairEnd::Read;
    }

    // Carries out the pair's point, relative or absolute. False ends the run.
    [[gnu::always_inline]] bool executePair(double x, double y)
    {
        if (relative_) {
            pointX_ += x;
            pointY_ += y;
        } else {
            pointX_ = x;
            pointY_ = y;
        }
        return execute(pointX_, pointY_);
    }

    void setPen(bool down) { pen_ = down ? Pen::Down : Pen::Up; }

    // Hands one point to the sink. False ends the reading: the sink asked to stop.
    [[gnu::always_inline]] bool execute(double x, double y)
    {
        ++result_.points;
        if (sink_.point(x, y, pen_))
            return true;
        result_.stopped = true;
        return false;
    }

    void noteSkipped(std::uint64_t offset, std::string text)
    {
        if (result_.skippedPairs++ == 0)
            result_.firstSkipped = SkippedPair{offset, std::move(text)};
    }

    void beep() { ++result_.beeps; }

    ByteReader& in_;
    Sink& sink_;
    ReadResult& result_;

    int current_ = kEmpty;
    int previous_ = kEmpty;
    int lookahead_ = kEmpty;
    NumberText xText_, yText_; // the pair being read
    Pen pen_;
    bool relative_;
    double pointX_, pointY_; // previous point, plotter units
    // result_.points when the reading started, at its first PA or PR, and at its first PR.
    const std::uint64_t pointsAtStart_;
    std::uint64_t pointsAtFirstMode_ = kNotYet;
    std::uint64_t pointsAtFirstRelative_ = kNotYet;
};

// A plot file open for reading; closed with it.
class OpenPlot {
public:
    OpenPlot() = default;
    explicit OpenPlot(int fd) : fd_(fd) {}
    ~OpenPlot()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenPlot(OpenPlot&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OpenPlot& operator=(OpenPlot&&) = delete;
    explicit operator bool() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// The plot file at `path` opened for reading, with its size (0 when unknown); none when
// there is none to read, with `result` saying why (or asking for a beep: no file chosen).
OpenPlot openPlot(const std::string& path, ReadResult& result, std::uint64_t& size);

// What a reading leaves in `result` once its sink is done: the census of the whole file,
// and a read error, which makes the reading fail.
void finishReading(const std::string& path, ByteReader& reader, CommandCensus* census, ReadResult& result);

} // namespace orlex::classic_reading

namespace orlex {

// readClassicPlot for a sink of type Sink (see above).
template <class Sink>
ReadResult readClassicPlotInto(const std::string& path, Sink& sink, Census census = Census::Skip)
{
    ReadResult result;
    std::uint64_t size = 0;
    const classic_reading::OpenPlot file = classic_reading::openPlot(path, result, size);
    if (!file)
        return result;
    CommandCensus counting;
    CommandCensus* const counted = census == Census::Take ? &counting : nullptr;
    classic_reading::ByteReader reader(file.fd(), size, sink, counted);
    classic_reading::ClassicReader<Sink>(reader, sink, result).run();
    classic_reading::finishReading(path, reader, counted, result);
    return result;
}

} // namespace orlex
