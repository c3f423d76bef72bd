// The tokenizer of the full HP-GL reading: two-letter mnemonics, numbers in every form
// HP-GL allows, and raw bytes for label text and encoded polylines, read from a file in
// blocks with enough kept ahead that a number never straddles a block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace orlex::fullhpgl {

class CommandScanner {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    // Longest number text read; a longer run of number characters is one bad number.
    static constexpr std::size_t kMaxNumberLength = 64;

    using BlockObserver = std::function<void(std::uint64_t bytesRead, std::uint64_t fileSize)>;
    // Takes ownership of `file`.
    CommandScanner(std::FILE* file, std::uint64_t fileSize, BlockObserver onBlockRead = {});
    ~CommandScanner();
    CommandScanner(const CommandScanner&) = delete;
    CommandScanner& operator=(const CommandScanner&) = delete;

    // The next mnemonic, upper-cased, skipping whatever is not one (separators, stray
    // bytes, printer escape sequences). False at the end of the file.
    bool nextMnemonic(char& first, char& second);

    enum class Param { Number, None, Bad };
    // The next number of the current command's parameter list. None at ';', at the next
    // mnemonic or at the end of the file (nothing consumed); Bad for number characters
    // that make no number ("-", "." or too long), which are consumed.
    Param nextNumber(double& value)
    {
        if (!skipSeparators())
            return Param::None;
        return readNumber(value);
    }

    // Skips what is left of the current command's parameters: to ';' or the next letter,
    // with quoted strings passed over whole.
    void skipParameters();

    // The next raw byte, or -1 at the end of the file.
    int nextByte()
    {
        if (pos_ == end_ && !refill())
            return -1;
        return *pos_++;
    }
    // The next raw byte without taking it, or -1 at the end of the file.
    int peekByte()
    {
        if (pos_ == end_ && !refill())
            return -1;
        return *pos_;
    }

    std::uint64_t offset() const { return bufferOffset_ + static_cast<std::uint64_t>(pos_ - buffer_.data()); }
    std::uint64_t fileSize() const { return fileSize_; }
    std::uint64_t escapeSequences() const { return escapeSequences_; }
    int error() const { return error_; }

private:
    // Skips separators (anything but ';', a letter, a number character, ESC) and keeps
    // kMaxNumberLength bytes ahead in memory. False at ';', a letter, ESC or the end.
    bool skipSeparators();
    Param readNumber(double& value);
    void skipEscapeSequence();
    // Moves the unread bytes to the front and reads more behind them. False when no
    // unread byte is left.
    bool refill();
    bool keepAhead()
    {
        return static_cast<std::size_t>(end_ - pos_) >= kMaxNumberLength + 2 || fileEnded_ || refill() || pos_ != end_;
    }

    std::FILE* file_;
    std::uint64_t fileSize_;
    BlockObserver onBlockRead_;
    std::vector<unsigned char> buffer_;
    const unsigned char* pos_;
    const unsigned char* end_;
    std::uint64_t bufferOffset_ = 0; // file offset of buffer_[0]
    std::uint64_t bytesRead_ = 0;
    bool fileEnded_ = false;
    int error_ = 0;
    std::uint64_t escapeSequences_ = 0;
};

} // namespace orlex::fullhpgl
