// The classic reader's machinery: a buffered byte stream, the coordinate reader and the
// mnemonic scanner, as a template over the sink. readClassicPlot (classic_reader.h) is
// its use with any PlotSink; a caller with a final sink of its own (the check) reads
// through readClassicPlotInto, so that each point reaches that sink without a call
// through the interface.
#pragma once

#include "hpgl/classic_reader.h"
#include "hpgl/digit_words.h"

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

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

// Reads a file in 64 KiB blocks and hands it out one byte at a time, or as the run of
// bytes left in the current block, which the scanning loops walk with a plain pointer.
// kSlack bytes after the block may be read (never used) by code that loads eight or
// sixteen bytes at once.
class ByteReader {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    static constexpr std::size_t kSlack = 16;

    ByteReader(std::FILE* file, std::uint64_t fileSize, PlotSink& progress, CommandCensus* census)
        : file_(file), fileSize_(fileSize), progress_(progress), census_(census), buffer_(kBlockSize + kSlack)
    {}
    ~ByteReader() { std::fclose(file_); }
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // True when no byte is left (or reading failed; see error()).
    bool atEnd() { return pos_ == end_ && !refill(); }

    // The next byte; only after atEnd() said false.
    int next() { return *pos_++; }

    // The unread bytes of the current block, [position(), blockEnd()); skipTo() marks the
    // ones before its argument as read.
    const unsigned char* position() const { return pos_; }
    const unsigned char* blockEnd() const { return end_; }
    void skipTo(const unsigned char* pos) { pos_ = pos; }

    // The byte next() handed out last, when it is still in the block.
    const unsigned char* lastByte() const { return pos_ != buffer_.data() ? pos_ - 1 : nullptr; }

    // Bytes handed out so far.
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
        const std::size_t length = std::fread(buffer_.data(), 1, kBlockSize, file_);
        if (length == 0 && std::ferror(file_))
            error_ = errno != 0 ? errno : EIO;
        if (census_ != nullptr)
            census_->feed(buffer_.data(), length);
        pos_ = buffer_.data();
        end_ = pos_ + length;
        ended_ = length == 0;
        return length != 0;
    }

    std::FILE* file_;
    const std::uint64_t fileSize_; // as the file system gave it when the reading began
    PlotSink& progress_;
    CommandCensus* census_; // takes every block read, when set
    std::vector<unsigned char> buffer_;
    const unsigned char* pos_ = buffer_.data();
    const unsigned char* end_ = buffer_.data();
    std::uint64_t blockStart_ = 0; // file offset of buffer_[0]
    int error_ = 0;
    bool ended_ = false; // a read found the end of the file
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

// One reading of an open file, handing its points to a Sink: PlotSink, or a final class
// derived from it whose calls the compiler can then make directly.
template <class Sink>
class ClassicReader {
public:
    ClassicReader(ByteReader& in, Sink& sink, ReadResult& result) : in_(in), sink_(sink), result_(result) {}

    // The mnemonic scanner: it looks at every overlapping pair of characters and acts on
    // PU, PD, PA, PR and SP. A coordinate list hands back its ending letter as the first
    // character of the next pair.
    void run()
    {
        bool fromCoordinates = false;
        for (;;) {
            // The file ends where a mnemonic should start: one beep. After a list, the
            // end is silent.
            if (!fromCoordinates && in_.atEnd()) {
                beep();
                return;
            }
            fromCoordinates = false;
            previous_ = current_;
            if (in_.atEnd())
                return;
            current_ = in_.next();

            if (previous_ == 'P') {
                bool coordinates = true;
                switch (current_) {
                case 'U': setPen(false); break;
                case 'D': setPen(true); break;
                case 'A': relative_ = false; break;
                case 'R': relative_ = true; break;
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

private:
    // Puts the next byte into the lookahead, noting where it was.
    void takeNext()
    {
        lookaheadOffset_ = in_.consumed();
        lookahead_ = in_.next();
    }

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
    bool readShortWholePair(double& x, double& y)
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
        const std::uint64_t pairOffset = lookaheadOffset_;
        if (!readNumber(xText_)) { // the file ends inside an X value: the pair is dropped
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
    bool executePair(double x, double y)
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
    bool execute(double x, double y)
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
    std::uint64_t lookaheadOffset_ = 0;
    NumberText xText_, yText_; // the pair being read
    Pen pen_ = Pen::Up;
    bool relative_ = false;
    double pointX_ = 0, pointY_ = 0; // previous point, plotter units
};

// The plot file at `path` opened for reading, with its size (0 when unknown); nullptr when
// there is none to read, with `result` saying why (or asking for a beep: no file chosen).
std::FILE* openPlot(const std::string& path, ReadResult& result, std::uint64_t& size);

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
    std::FILE* const file = classic_reading::openPlot(path, result, size);
    if (file == nullptr)
        return result;
    CommandCensus counting;
    CommandCensus* const counted = census == Census::Take ? &counting : nullptr;
    classic_reading::ByteReader reader(file, size, sink, counted);
    classic_reading::ClassicReader<Sink>(reader, sink, result).run();
    classic_reading::finishReading(path, reader, counted, result);
    return result;
}

} // namespace orlex
