// The census of the commands that change the drawing and that the classic reading passes
// over: a tokenizer of the full reading's vocabulary that takes the file's bytes block by
// block, so the classic reading can hand it the blocks it reads itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlex {

// Commands in a file that change the drawing and that the classic reading passes over,
// counted per mnemonic in the order first met.
struct ClassicIgnoredCommands {
    std::vector<std::pair<std::string, std::uint64_t>> counts;
    // "This plot uses SC scaling, 12 circles (CI) and 8 labels (LB) that the classic
    // reading ignores: Options > Full HP-GL draws them"; empty when there are none.
    // `remedy` names the way to the full reading ("--hpgl full" on the command line).
    std::string sentence(std::string_view remedy = "Options > Full HP-GL") const;
};

// Whether a reading takes the census beside its points.
enum class Census { Skip, Take };

// What the census does with a mnemonic.
enum class CensusClass : std::uint8_t {
    Other,           // its parameters passed over, not counted
    Shape,           // counted, its parameters passed over
    Setting,         // counted when its first parameter is a number (SC, IP, IR, IW, LT)
    Rotation,        // RO: counted when its first parameter is a number other than 0
    Symbol,          // SM: counted when a symbol character follows it
    Label,           // LB: counted, its text passed over up to the label terminator
    Text,            // BL, WD: their text passed over up to the label terminator
    LabelTerminator, // DT: the byte after it ends labels from then on
    EncodedPolyline, // PE: counted, passed over up to ';'
};

struct MnemonicClass {
    CensusClass kind = CensusClass::Other;
    std::uint8_t entry = 0; // which counted command, for the counted kinds
};

// The class of a two-letter mnemonic in either case; Other for anything but two letters.
MnemonicClass classifyMnemonic(char first, char second);

struct CensusChunkBytes; // where 64 bytes hold which bytes (command_census.cpp)

class CommandCensus {
public:
    // How runs of commands that count nothing are passed over: 64 bytes at a time with
    // SSE2 or AVX2, or byte by byte. Every way counts the same; tests try each.
    enum class ChunkScan : std::uint8_t { Bytewise, Sse2, Avx2 };
    // The quickest this processor has.
    static ChunkScan bestChunkScan();

    CommandCensus() : scan_(bestChunkScan()) {}
    explicit CommandCensus(ChunkScan scan) : scan_(scan) {}

    // The next bytes of the file, in order, in blocks of any size.
    void feed(const unsigned char* bytes, std::size_t count);
    // The counts once the file has ended (`readFailed`: it could not be read to its end,
    // which counts nothing).
    ClassicIgnoredCommands finish(bool readFailed = false);

    // For a census taken in spans. Whether this census, at the byte it has been fed up to,
    // stands where a new census starts: between commands, with the first label terminator.
    // The byte there must be a letter after a separator.
    bool atCommandStart() const;
    // Takes on the census of the bytes that follow (begun new at a command start): its
    // counts after this one's and the state it ended in.
    void continueWith(const CommandCensus& next);

private:
    enum class State : std::uint8_t {
        Scan,             // looking for a mnemonic
        Letter,           // after a letter that may start one
        Parameters,       // passing over a command's parameters
        Quoted,           // inside a quoted string of the parameters
        Text,             // passing over text up to textEnd_
        TerminatorByte,   // the byte after DT
        SymbolByte,       // the byte after SM
        SettingStart,     // before a setting's first parameter
        Number,           // inside a setting's first parameter
        NumberAtLimit,    // that parameter has reached the longest number read
        Escape,           // after ESC
        EscapeDot,        // after ESC .
        EscapeParameters, // passing over an escape sequence's parameters up to escapeEnd_
    };

    const unsigned char* plainChunks(const unsigned char* p, const unsigned char* end, bool& notPlain);
    const unsigned char* plainChunksSse2(const unsigned char* p, const unsigned char* end, bool& notPlain);
    const unsigned char* plainChunksAvx2(const unsigned char* p, const unsigned char* end, bool& notPlain);
    bool passPlainChunk(const CensusChunkBytes& bytes, const unsigned char*& p, bool& notPlain);
    const unsigned char* startAt(const unsigned char* p, const unsigned char* end);
    void dispatch(char first, char second);
    void count(std::uint8_t entry);
    bool numberCounts() const { return digits_ != 0 && (!rotation_ || nonZero_); }

    ChunkScan scan_;
    State state_ = State::Scan;
    char letter_ = 0; // the letter of State::Letter
    unsigned char textEnd_ = 0;
    static constexpr unsigned char kFirstLabelTerminator = 3; // ETX until a DT
    unsigned char labelTerminator_ = kFirstLabelTerminator;
    bool rotation_ = false;  // the setting is RO
    std::uint8_t entry_ = 0; // the setting's counted command
    // The setting's first number: its length, digits, whether a point and a digit other
    // than 0 came.
    std::uint8_t numberLength_ = 0;
    std::uint8_t digits_ = 0;
    bool point_ = false;
    bool nonZero_ = false;
    std::uint8_t escapeLeft_ = 0; // bytes an escape sequence may still take
    bool escapeToColon_ = false;  // it ends at ':', else at '@'..'^'
    std::array<std::uint64_t, 32> counts_{};
    std::vector<std::uint8_t> order_; // the counted commands in the order first met
};

// The census of the file at `path` in a pass of its own. Empty when the file cannot be read.
ClassicIgnoredCommands findCommandsClassicIgnores(const std::string& path);

} // namespace orlex
