// The HPGL interpreter: an overlapping-pair mnemonic scanner and a coordinate reader over
// a buffered byte stream, executing every point in test mode (preview, extents, estimate)
// or draw mode (preview, then the carriage).
#include "hpgl/interpreter.h"

#include "drive/line_steps.h"
#include "settings/conversions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <unistd.h>

namespace orlex {

namespace {

constexpr int kEmpty = -1; // an empty character slot

// Character classes of the scanner, one table lookup per byte: an upper-case letter starts
// a mnemonic, a digit, '-' or '.' belongs to a coordinate, anything else separates.
enum CharClass : std::uint8_t { kSeparator, kLetter, kNumberChar };

constexpr std::array<CharClass, 256> kCharClasses = [] {
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
CharClass classOf(int c)
{
    return c == kEmpty ? kSeparator : kCharClasses[c];
}
bool isLetter(int c)
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

    explicit ByteReader(std::FILE* file) : file_(file), buffer_(kBlockSize + kSlack) {}
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
        if (error_ != 0)
            return false;
        blockStart_ += static_cast<std::uint64_t>(end_ - buffer_.data());
        const std::size_t length = std::fread(buffer_.data(), 1, kBlockSize, file_);
        if (length == 0 && std::ferror(file_))
            error_ = errno != 0 ? errno : EIO;
        pos_ = buffer_.data();
        end_ = pos_ + length;
        return length != 0;
    }

    std::FILE* file_;
    std::vector<unsigned char> buffer_;
    const unsigned char* pos_ = buffer_.data();
    const unsigned char* end_ = buffer_.data();
    std::uint64_t blockStart_ = 0; // file offset of buffer_[0]
    int error_ = 0;
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

// The number of decimal digits at the start of eight bytes (8 when all are digits).
// Each byte is compared at once: after the XOR a digit is 0..9, and adding 0x76 to its
// low seven bits sets the top bit exactly for the bytes that are 10 or more.
int leadingDigits(std::uint64_t eightBytes)
{
    const std::uint64_t x = eightBytes ^ 0x3030303030303030u;
    const std::uint64_t notDigit = (((x & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | x) & 0x8080808080808080u;
    return std::countr_zero(notDigit) / 8;
}

// The value of the first `count` (1..8) bytes, all digits, the first one most significant:
// moved to the top of the word behind leading zeros, then combined in pairs, fours, eights.
std::uint32_t digitsValue(std::uint64_t eightBytes, int count)
{
    std::uint64_t v = (eightBytes - 0x3030303030303030u) << (8 * (8 - count));
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    return static_cast<std::uint32_t>(v * 10000 + (v >> 32));
}

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

std::string plainReason(int error)
{
    switch (error) {
    case ENOENT: return "the file does not exist";
    case EACCES:
    case EPERM: return "you have no permission to read it";
    case EISDIR: return "it is a folder, not a file";
    default: return std::strerror(error);
    }
}

// One run of the interpreter over an open file.
class Interpreter {
public:
    Interpreter(ByteReader& in, std::uint64_t fileSize, bool testMode, std::uint64_t firstPoint, Preview& preview,
                Drive& drive, RunObserver* observer, RunResult& result)
        : in_(in), fileSize_(fileSize), test_(testMode), firstPoint_(firstPoint), preview_(preview), drive_(drive),
          observer_(observer), result_(result)
    {
        if (test_ || firstPoint_ > 1)
            readEstimateSettings();
    }

    // Runs the scanner, then leaves the preview pen where the last point put it.
    void runAll()
    {
        run();
        if (previewDeferred_)
            preview_.drawLine(previewedX_, previewedY_, kLightGrey); // only moves the pen
    }

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
                if (observer_ != nullptr)
                    observer_->onSelectPen(static_cast<char>(current_));
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

    // Carries out one point. False ends the run (refused or stopped move).
    bool execute(double x, double y)
    {
        if (previewDrawsNothing_) {
            previewedX_ = x;
            previewedY_ = y;
            previewDeferred_ = true;
        } else {
            preview_.drawLine(x, y, pen_ == Pen::Down ? std::int16_t{kBlack} : preview_.penUpColour);
        }
        const std::uint64_t number = result_.points + 1; // 1-based, as the test run counts
        if (test_) {
            widenBox(x, y);
            countMove(x, y);
        } else if (number < firstPoint_) {
            countMove(x, y); // what it would have sent, for the progress of the rest
        } else {
            // Resuming: the carriage first travels, pen up, to where the point before
            // this one left it, then the draw goes on.
            if (number == firstPoint_ && firstPoint_ > 1) {
                if (observer_ != nullptr)
                    observer_->onPointsSkipped(result_.stepOutputs + 2 * result_.penCommands);
                if (!move(executedX_, executedY_, Pen::Up))
                    return false;
            }
            if (!move(x, y, pen_))
                return false;
        }
        executedX_ = x;
        executedY_ = y;
        ++result_.points;
        if (observer_ != nullptr) {
            observer_->onExecutedPoint(x, y, pen_ == Pen::Down);
            observer_->onPoint(in_.consumed(), fileSize_, result_.points);
        }
        // A move without steps never looks at the stop flag, so look here too. A test
        // run is not stopped.
        if (!test_ && (drive_.stopRequested() || (observer_ != nullptr && observer_->stopRequested()))) {
            result_.stopped = true;
            return false;
        }
        return true;
    }

    // One line of the carriage. False ends the run (refused or stopped move).
    bool move(double x, double y, Pen pen)
    {
        MoveResult moved;
        try {
            moved = drive_.lineTo(x, y, pen, preview_.zoom);
        } catch (const PortFault& fault) {
            result_.portFault = fault.what();
            return false;
        }
        if (moved.refusal != MoveRefusal::None) {
            result_.refusal = moved;
            result_.refusedX = x;
            result_.refusedY = y;
            return false;
        }
        if (moved.stopped) {
            result_.stopped = true;
            return false;
        }
        return true;
    }

    // Rounded 16-bit copy of a coordinate for the extents; outside the range it sticks
    // at the nearest end and the run is marked out of range.
    std::int16_t extentValue(double v)
    {
        if (const std::optional<std::int16_t> rounded = roundToInt16(v))
            return *rounded;
        result_.outOfRange = true;
        return v < 0 ? INT16_MIN : INT16_MAX;
    }

    void widenBox(double x, double y)
    {
        const std::int16_t ix = extentValue(x);
        const std::int16_t iy = extentValue(y);
        result_.minX = std::min(result_.minX, ix);
        result_.minY = std::min(result_.minY, iy);
        result_.maxX = std::max(result_.maxX, ix);
        result_.maxY = std::max(result_.maxY, iy);
    }

    // The test run does not yield, so the settings, the step mode and the zoom cannot
    // change during it: they are read once. A length not above 0 refuses every point, as
    // unitsToSteps would.
    void readEstimateSettings()
    {
        const MachineSettings& settings = drive_.settings();
        const auto usable = [](double length) { return std::isfinite(length) && length > 0; };
        estimateLengthsUsable_ = usable(settings.stepLengthX) && usable(settings.stepLengthY);
        const bool halfStep = drive_.halfStep();
        scaleX_ = stepScale(settings.stepLengthX, halfStep, preview_.zoom);
        scaleY_ = stepScale(settings.stepLengthY, halfStep, preview_.zoom);
    }

    // Counts what lineTo would send for this point: one pen command and the outputs
    // of the line from the last counted step position.
    void countMove(double x, double y)
    {
        ++result_.penCommands;
        if (!estimateLengthsUsable_) {
            result_.estimateValid = false;
            return;
        }
        const double sx = roundedSteps(x, scaleX_);
        const double sy = roundedSteps(y, scaleY_);
        result_.minStepsX = std::min(result_.minStepsX, sx);
        result_.maxStepsX = std::max(result_.maxStepsX, sx);
        result_.minStepsY = std::min(result_.minStepsY, sy);
        result_.maxStepsY = std::max(result_.maxStepsY, sy);
        if (!stepsInRange(sx) || !stepsInRange(sy)) {
            result_.estimateValid = false;
            return;
        }
        const long stepsX = static_cast<long>(sx);
        const long stepsY = static_cast<long>(sy);
        result_.stepOutputs +=
            static_cast<std::uint64_t>(countOutputs(std::labs(stepsX - stepX_), std::labs(stepsY - stepY_)));
        stepX_ = stepsX;
        stepY_ = stepsY;
    }

    void noteSkipped(std::uint64_t offset, std::string text)
    {
        if (result_.skippedPairs++ == 0)
            result_.firstSkipped = SkippedPair{offset, std::move(text)};
    }

    void beep() { ++result_.beeps; }

    ByteReader& in_;
    const std::uint64_t fileSize_;
    const bool test_;
    const std::uint64_t firstPoint_; // draw mode: points before it are only previewed
    Preview& preview_;
    Drive& drive_;
    RunObserver* const observer_;
    RunResult& result_;
    // A canvas that draws nothing (the command-line tool's) needs only the preview pen's
    // last position, which the last point sets: it is moved there once, after the run.
    const bool previewDrawsNothing_ = dynamic_cast<const NullCanvas*>(&preview_.canvas()) != nullptr;
    bool previewDeferred_ = false;
    double previewedX_ = 0, previewedY_ = 0;

    int current_ = kEmpty;
    int previous_ = kEmpty;
    int lookahead_ = kEmpty;
    std::uint64_t lookaheadOffset_ = 0;
    NumberText xText_, yText_; // the pair being read
    Pen pen_ = Pen::Up;
    bool relative_ = false;
    double pointX_ = 0, pointY_ = 0;       // previous point, plotter units
    double executedX_ = 0, executedY_ = 0; // the last point carried out
    long stepX_ = 0, stepY_ = 0;           // estimate: step position the draw would reach
    bool estimateLengthsUsable_ = false;   // estimate settings, read once per test run
    StepScale scaleX_, scaleY_;
};

} // namespace

std::string RunResult::skippedMessage() const
{
    if (skippedPairs == 0 || !firstSkipped)
        return {};
    const std::string offset = std::to_string(firstSkipped->offset);
    const std::string text = "\"" + firstSkipped->text + "\"";
    if (skippedPairs == 1)
        return "1 coordinate pair was skipped because its values are not valid numbers; it was at byte " + offset + ": "
               + text + ".";
    return std::to_string(skippedPairs)
           + " coordinate pairs were skipped because they are not valid numbers; the first, at byte " + offset
           + ", was " + text + ".";
}

Result<void> checkPlotReadable(const std::string& path)
{
    const std::string cannotOpen = "Cannot open \"" + path + "\": ";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return failure(cannotOpen + plainReason(EISDIR) + ".");
    // A device or a pipe (/dev/zero, a FIFO) could be read for ever or block the open,
    // and the test run does not yield: only plain files are read.
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return failure(cannotOpen + "it is not a plain file but a device or a pipe.");
    if (::access(path.c_str(), R_OK) != 0)
        return failure(cannotOpen + plainReason(errno) + ".");
    return {};
}

RunResult runPlot(const std::string& path, RunMode mode, Preview& preview, Drive& drive, RunObserver* observer,
                  std::uint64_t firstPoint)
{
    RunResult result;
    if (path.empty()) { // no file chosen
        result.beeps = 1;
        return result;
    }

    if (const Result<void> readable = checkPlotReadable(path); !readable) {
        result.opened = false;
        result.openError = readable.message();
        return result;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.opened = false;
        result.openError = "Cannot open \"" + path + "\": " + plainReason(errno != 0 ? errno : EIO) + ".";
        return result;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    const std::uint64_t fileSize = ec ? 0 : static_cast<std::uint64_t>(size);

    ByteReader reader(file);
    Interpreter(reader, fileSize, mode == RunMode::Test, firstPoint, preview, drive, observer, result).runAll();
    if (reader.error() != 0) {
        // A read that fails part-way must not pass for a complete plot.
        result.opened = false;
        result.openError = "Cannot read \"" + path + "\" past byte " + std::to_string(reader.consumed()) + ": "
                           + plainReason(reader.error()) + ".";
    }
    return result;
}

} // namespace orlex
