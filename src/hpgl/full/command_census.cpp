// The census of what the classic reading passes over (see command_census.h). It reads
// the bytes as the full reading's tokenizer does: mnemonics of two letters in either
// case, parameters up to ';' or the next letter with quoted strings whole, label text up
// to its terminator, printer escape sequences passed over. A mnemonic is classified by
// one lookup in a table of every pair of letters.
#include "hpgl/full/command_census.h"

#include "hpgl/plot_file.h"

#include <bit>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORLEX_CENSUS_AVX2 1
#endif

namespace orlex {

namespace {

struct CensusEntry {
    char mnemonic[3];
    const char* one;  // "circle", or for a setting its name ("scaling")
    const char* many; // "circles"; null for a setting, which is named without a count
    CensusClass kind;
};

constexpr CensusEntry kCensus[] = {
    {"SC", "scaling", nullptr, CensusClass::Setting},
    {"IP", "scaling points", nullptr, CensusClass::Setting},
    {"IR", "scaling points", nullptr, CensusClass::Setting},
    {"RO", "rotation", nullptr, CensusClass::Rotation},
    {"IW", "clipping window", nullptr, CensusClass::Setting},
    {"LT", "line types", nullptr, CensusClass::Setting},
    {"SM", "symbols", nullptr, CensusClass::Symbol},
    {"CI", "circle", "circles", CensusClass::Shape},
    {"AA", "arc", "arcs", CensusClass::Shape},
    {"AR", "arc", "arcs", CensusClass::Shape},
    {"AT", "arc through three points", "arcs through three points", CensusClass::Shape},
    {"RT", "arc through three points", "arcs through three points", CensusClass::Shape},
    {"BZ", "Bezier curve", "Bezier curves", CensusClass::Shape},
    {"BR", "Bezier curve", "Bezier curves", CensusClass::Shape},
    {"EA", "rectangle", "rectangles", CensusClass::Shape},
    {"ER", "rectangle", "rectangles", CensusClass::Shape},
    {"RA", "filled rectangle", "filled rectangles", CensusClass::Shape},
    {"RR", "filled rectangle", "filled rectangles", CensusClass::Shape},
    {"EW", "wedge", "wedges", CensusClass::Shape},
    {"WG", "filled wedge", "filled wedges", CensusClass::Shape},
    {"EP", "polygon outline", "polygon outlines", CensusClass::Shape},
    {"FP", "filled polygon", "filled polygons", CensusClass::Shape},
    {"PE", "encoded polyline", "encoded polylines", CensusClass::EncodedPolyline},
    {"LB", "label", "labels", CensusClass::Label},
    {"PB", "buffered label", "buffered labels", CensusClass::Shape},
    {"CP", "character move", "character moves", CensusClass::Shape},
    {"XT", "tick", "ticks", CensusClass::Shape},
    {"YT", "tick", "ticks", CensusClass::Shape},
};
static_assert(std::size(kCensus) <= 32, "CommandCensus counts up to 32 commands");

constexpr unsigned char kEscape = 27;
constexpr unsigned kLongestNumber = 64; // a longer run of number characters is no number

// The place of a letter pair in the table; both must be letters.
constexpr std::size_t pairIndex(unsigned char first, unsigned char second)
{
    return static_cast<std::size_t>((first & 0x1F) - 1) * 26 + static_cast<std::size_t>((second & 0x1F) - 1);
}

constexpr std::array<MnemonicClass, 26 * 26> kMnemonics = [] {
    std::array<MnemonicClass, 26 * 26> table{};
    for (std::size_t i = 0; i < std::size(kCensus); ++i) {
        const char* name = kCensus[i].mnemonic;
        table[pairIndex(static_cast<unsigned char>(name[0]), static_cast<unsigned char>(name[1]))] = {
            kCensus[i].kind, static_cast<std::uint8_t>(i)};
    }
    table[pairIndex('B', 'L')] = {CensusClass::Text, 0};
    table[pairIndex('W', 'D')] = {CensusClass::Text, 0};
    table[pairIndex('D', 'T')] = {CensusClass::LabelTerminator, 0};
    return table;
}();

enum ByteClass : std::uint8_t { kOtherByte, kLetterByte, kEscapeByte, kSemicolon, kQuote, kDigit, kSign, kPoint };

constexpr std::array<ByteClass, 256> kBytes = [] {
    std::array<ByteClass, 256> classes{};
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = classes[c + 32] = kLetterByte;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    classes[kEscape] = kEscapeByte;
    classes[';'] = kSemicolon;
    classes['"'] = kQuote;
    classes['+'] = classes['-'] = kSign;
    classes['.'] = kPoint;
    return classes;
}();

// The bytes that end a run of the scan (a letter, ESC) and of parameters (those, ';', '"').
constexpr std::array<bool, 256> kEndsScan = [] {
    std::array<bool, 256> ends{};
    for (int c = 0; c < 256; ++c)
        ends[c] = kBytes[c] == kLetterByte || kBytes[c] == kEscapeByte;
    return ends;
}();
constexpr std::array<bool, 256> kEndsParameters = [] {
    std::array<bool, 256> ends = kEndsScan;
    ends[';'] = ends['"'] = true;
    return ends;
}();

const CensusEntry* censusEntry(const std::string& mnemonic)
{
    if (mnemonic.size() != 2)
        return nullptr;
    const MnemonicClass m = classifyMnemonic(mnemonic[0], mnemonic[1]);
    const bool counted =
        m.kind != CensusClass::Other && m.kind != CensusClass::Text && m.kind != CensusClass::LabelTerminator;
    return counted ? &kCensus[m.entry] : nullptr;
}

// The first byte from `p` on that ends a run of the scan (a letter or ESC) or, with
// Parameters, of a command's parameters (also ';' or '"'); `end` when none does.
// Sixteen bytes are looked at at once where the processor can: a run of parameters is
// mostly shorter than that, so its end is found without a loop whose exit is guessed.
template <bool Parameters>
const unsigned char* findRunEnd(const unsigned char* p, const unsigned char* end)
{
#if defined(__SSE2__)
    const __m128i caseBit = _mm_set1_epi8(0x20), a = _mm_set1_epi8('a'), z = _mm_set1_epi8(25);
    const __m128i escape = _mm_set1_epi8(kEscape), semicolon = _mm_set1_epi8(';'), quote = _mm_set1_epi8('"');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i fromA = _mm_sub_epi8(_mm_or_si128(v, caseBit), a); // 0..25 for a letter
        __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(fromA, z), fromA), _mm_cmpeq_epi8(v, escape));
        if constexpr (Parameters)
            ends = _mm_or_si128(ends, _mm_or_si128(_mm_cmpeq_epi8(v, semicolon), _mm_cmpeq_epi8(v, quote)));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends)); mask != 0)
            return p + std::countr_zero(mask);
    }
#endif
    const std::array<bool, 256>& ends = Parameters ? kEndsParameters : kEndsScan;
    while (p != end && !ends[*p])
        ++p;
    return p;
}

// The first `byte` from `p` on, or `end`.
const unsigned char* findByte(const unsigned char* p, const unsigned char* end, unsigned char byte)
{
    const void* found = std::memchr(p, byte, static_cast<std::size_t>(end - p));
    return found != nullptr ? static_cast<const unsigned char*>(found) : end;
}

} // namespace

MnemonicClass classifyMnemonic(char first, char second)
{
    const auto a = static_cast<unsigned char>(first), b = static_cast<unsigned char>(second);
    if (kBytes[a] != kLetterByte || kBytes[b] != kLetterByte)
        return {};
    return kMnemonics[pairIndex(a, b)];
}

void CommandCensus::count(std::uint8_t entry)
{
    if (counts_[entry]++ == 0)
        order_.push_back(entry);
}

void CommandCensus::dispatch(char first, char second)
{
    const MnemonicClass m =
        kMnemonics[pairIndex(static_cast<unsigned char>(first), static_cast<unsigned char>(second))];
    switch (m.kind) {
    case CensusClass::Other: state_ = State::Parameters; break;
    case CensusClass::Shape:
        count(m.entry);
        state_ = State::Parameters;
        break;
    case CensusClass::Setting:
    case CensusClass::Rotation:
        entry_ = m.entry;
        rotation_ = m.kind == CensusClass::Rotation;
        state_ = State::SettingStart;
        break;
    case CensusClass::Symbol:
        entry_ = m.entry;
        state_ = State::SymbolByte;
        break;
    case CensusClass::Label: count(m.entry); [[fallthrough]];
    case CensusClass::Text:
        textEnd_ = labelTerminator_;
        state_ = State::Text;
        break;
    case CensusClass::LabelTerminator: state_ = State::TerminatorByte; break;
    case CensusClass::EncodedPolyline:
        count(m.entry);
        textEnd_ = ';';
        state_ = State::Text;
        break;
    }
}

// At a letter or ESC in the scan: the escape sequence, the mnemonic when the next byte
// is a letter too, or a lone letter, after which the next byte is looked at anew.
const unsigned char* CommandCensus::startAt(const unsigned char* p, const unsigned char* end)
{
    if (*p == kEscape) {
        state_ = State::Escape;
        return p + 1;
    }
    if (end - p < 2) {
        letter_ = static_cast<char>(*p);
        state_ = State::Letter;
        return p + 1;
    }
    if (kBytes[p[1]] != kLetterByte)
        return p + 1;
    dispatch(static_cast<char>(p[0]), static_cast<char>(p[1]));
    return p + 2;
}

namespace {

// The chunk scan below passes over these without a look-up.
static_assert(kMnemonics[pairIndex('P', 'A')].kind == CensusClass::Other
              && kMnemonics[pairIndex('P', 'D')].kind == CensusClass::Other
              && kMnemonics[pairIndex('P', 'R')].kind == CensusClass::Other
              && kMnemonics[pairIndex('P', 'U')].kind == CensusClass::Other);

} // namespace

// Where the 64 bytes at a chunk hold letters, ';', and ESC or '"' (bit i for byte i).
struct CensusChunkBytes {
    std::uint64_t letters = 0, semicolons = 0, stops = 0;
    // A 'P' followed by A, D, R or U (either case): PA, PD, PR and PU, by far the most
    // frequent mnemonics, are of the kind Other and need no look-up.
    std::uint64_t drawing = 0;
};

namespace {

#if defined(__SSE2__)
CensusChunkBytes chunkBytesSse2(const unsigned char* p)
{
    const __m128i caseBit = _mm_set1_epi8(0x20), a = _mm_set1_epi8('a'), z = _mm_set1_epi8(25);
    const __m128i escape = _mm_set1_epi8(kEscape), semicolon = _mm_set1_epi8(';'), quote = _mm_set1_epi8('"');
    const __m128i lowerP = _mm_set1_epi8('p'), lowerA = _mm_set1_epi8('a'), lowerD = _mm_set1_epi8('d');
    const __m128i lowerR = _mm_set1_epi8('r'), lowerU = _mm_set1_epi8('u');
    CensusChunkBytes bytes;
    std::uint64_t ps = 0, seconds = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i lower = _mm_or_si128(v, caseBit);
        const __m128i fromA = _mm_sub_epi8(lower, a);
        const auto mask = [](__m128i m) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)));
        };
        bytes.letters |= mask(_mm_cmpeq_epi8(_mm_min_epu8(fromA, z), fromA)) << (16 * i);
        bytes.semicolons |= mask(_mm_cmpeq_epi8(v, semicolon)) << (16 * i);
        bytes.stops |= mask(_mm_or_si128(_mm_cmpeq_epi8(v, escape), _mm_cmpeq_epi8(v, quote))) << (16 * i);
        ps |= mask(_mm_cmpeq_epi8(lower, lowerP)) << (16 * i);
        seconds |= mask(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(lower, lowerA), _mm_cmpeq_epi8(lower, lowerD)),
                                     _mm_or_si128(_mm_cmpeq_epi8(lower, lowerR), _mm_cmpeq_epi8(lower, lowerU))))
                   << (16 * i);
    }
    bytes.drawing = ps & (seconds >> 1);
    return bytes;
}
#endif

#if defined(ORLEX_CENSUS_AVX2)
// The same masks as chunkBytesSse2, for 32 bytes.
struct HalfChunkBytes {
    std::uint32_t letters, semicolons, stops, ps, seconds;
};

[[gnu::target("avx2")]] inline std::uint32_t bitsOf(__m256i m)
{
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(m));
}

[[gnu::target("avx2")]] inline __m256i equalTo(__m256i bytes, char c)
{
    return _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c));
}

[[gnu::target("avx2")]] inline HalfChunkBytes halfChunkBytesAvx2(const unsigned char* p)
{
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i lower = _mm256_or_si256(v, _mm256_set1_epi8(0x20));
    const __m256i fromA = _mm256_sub_epi8(lower, _mm256_set1_epi8('a'));
    return {bitsOf(_mm256_cmpeq_epi8(_mm256_min_epu8(fromA, _mm256_set1_epi8(25)), fromA)), bitsOf(equalTo(v, ';')),
            bitsOf(_mm256_or_si256(equalTo(v, kEscape), equalTo(v, '"'))), bitsOf(equalTo(lower, 'p')),
            bitsOf(_mm256_or_si256(_mm256_or_si256(equalTo(lower, 'a'), equalTo(lower, 'd')),
                                   _mm256_or_si256(equalTo(lower, 'r'), equalTo(lower, 'u'))))};
}

[[gnu::target("avx2")]] inline CensusChunkBytes chunkBytesAvx2(const unsigned char* p)
{
    const HalfChunkBytes low = halfChunkBytesAvx2(p), high = halfChunkBytesAvx2(p + 32);
    const auto join = [](std::uint32_t first, std::uint32_t second) {
        return first | (static_cast<std::uint64_t>(second) << 32);
    };
    const std::uint64_t ps = join(low.ps, high.ps), seconds = join(low.seconds, high.seconds);
    return {join(low.letters, high.letters), join(low.semicolons, high.semicolons), join(low.stops, high.stops),
            ps & (seconds >> 1)};
}
#endif

} // namespace

CommandCensus::ChunkScan CommandCensus::bestChunkScan()
{
#if defined(ORLEX_CENSUS_AVX2)
    static const ChunkScan best = __builtin_cpu_supports("avx2") ? ChunkScan::Avx2 : ChunkScan::Sse2;
    return best;
#elif defined(__SSE2__)
    return ChunkScan::Sse2;
#else
    return ChunkScan::Bytewise;
#endif
}

// The usual run of commands that the census does not count, 64 bytes at a time: while a
// chunk holds no ESC and no '"', no three letters in a row, and only mnemonics of the
// kind Other, nothing in it is counted, and whether its last event was a mnemonic or a
// ';' or a lone letter says whether it ends in the parameters or the scan. Stops at the
// first chunk that is not so, or at a counted mnemonic, for the byte by byte reading.
const unsigned char* CommandCensus::plainChunks(const unsigned char* p, const unsigned char* end, bool& notPlain)
{
    switch (scan_) {
    case ChunkScan::Avx2: return plainChunksAvx2(p, end, notPlain);
    case ChunkScan::Sse2: return plainChunksSse2(p, end, notPlain);
    case ChunkScan::Bytewise: break;
    }
    notPlain = true;
    return p;
}

// One chunk of plainChunks: true, with `p` after it, when it was plain; false, with `p`
// where the byte by byte reading takes over, when not.
[[gnu::always_inline]] inline bool CommandCensus::passPlainChunk(const CensusChunkBytes& bytes, const unsigned char*& p,
                                                                 bool& notPlain)
{
    const std::uint64_t letters = bytes.letters;
    if (bytes.stops != 0 || (letters & (letters >> 1) & (letters >> 2)) != 0) {
        notPlain = true;
        return false;
    }
    const std::uint64_t pairs = letters & (letters >> 1); // the first letters of mnemonics
    for (std::uint64_t rest = pairs & ~bytes.drawing; rest != 0; rest &= rest - 1) {
        const int i = std::countr_zero(rest);
        if (kMnemonics[pairIndex(p[i], p[i + 1])].kind != CensusClass::Other) {
            state_ = State::Scan;
            p += i;
            return false;
        }
    }
    // A letter in the last byte that may start a mnemonic waits for the next chunk.
    const bool lastWaits = (letters >> 63) != 0 && ((letters >> 62) & 1) == 0;
    const std::uint64_t taken = lastWaits ? ~(std::uint64_t{1} << 63) : ~std::uint64_t{0};
    const std::uint64_t lone = letters & ~pairs & ~(pairs << 1) & taken;
    const std::uint64_t toScan = (bytes.semicolons | lone) & taken;
    const int lastPair = pairs != 0 ? 64 - std::countl_zero(pairs) : -1; // its second letter
    const int lastScan = toScan != 0 ? 63 - std::countl_zero(toScan) : -1;
    if (lastPair > lastScan)
        state_ = State::Parameters;
    else if (lastScan > lastPair)
        state_ = State::Scan;
    p += lastWaits ? 63 : 64;
    return true;
}

const unsigned char* CommandCensus::plainChunksSse2(const unsigned char* p, const unsigned char* end, bool& notPlain)
{
#if defined(__SSE2__)
    while (end - p >= 64 && passPlainChunk(chunkBytesSse2(p), p, notPlain)) {
    }
#else
    (void)end;
    notPlain = true;
#endif
    return p;
}

#if defined(ORLEX_CENSUS_AVX2)
[[gnu::target("avx2")]]
#endif
const unsigned char*
CommandCensus::plainChunksAvx2(const unsigned char* p, const unsigned char* end, bool& notPlain)
{
#if defined(ORLEX_CENSUS_AVX2)
    while (end - p >= 64 && passPlainChunk(chunkBytesAvx2(p), p, notPlain)) {
    }
    return p;
#else
    return plainChunksSse2(p, end, notPlain);
#endif
}

void CommandCensus::feed(const unsigned char* p, std::size_t length)
{
    const unsigned char* const end = p + length;
    const unsigned char* bytewise = p; // the plain chunks are not looked for before it
    while (p != end) {
        if ((state_ == State::Scan || state_ == State::Parameters) && p >= bytewise) {
            bool notPlain = false;
            p = plainChunks(p, end, notPlain);
            if (notPlain)
                bytewise = p + 64; // this chunk is read byte by byte
        }
        switch (state_) {
        case State::Scan:
            p = findRunEnd<false>(p, end);
            if (p == end)
                return;
            p = startAt(p, end);
            break;
        case State::Letter:
            if (kBytes[*p] == kLetterByte) {
                dispatch(letter_, static_cast<char>(*p));
                ++p;
            } else {
                state_ = State::Scan; // a lone letter: the byte after it is looked at anew
            }
            break;
        case State::Parameters:
            p = findRunEnd<true>(p, end);
            if (p == end)
                return;
            if (*p == ';' || *p == '"') {
                state_ = *p == ';' ? State::Scan : State::Quoted;
                ++p;
            } else {
                state_ = State::Scan;
                p = startAt(p, end); // a letter or ESC starts what follows
            }
            break;
        case State::Quoted:
        case State::Text:
            p = findByte(p, end, state_ == State::Quoted ? '"' : textEnd_);
            if (p == end)
                return;
            state_ = state_ == State::Quoted ? State::Parameters : State::Scan;
            ++p;
            break;
        case State::TerminatorByte:
            labelTerminator_ = *p == ';' ? 3 : *p;
            state_ = State::Scan;
            ++p;
            break;
        case State::SymbolByte:
            if (*p > ' ' && *p != ';' && *p < 127) {
                count(entry_);
                ++p;
            }
            state_ = State::Scan;
            break;
        case State::SettingStart: {
            while (p != end && (kBytes[*p] == kOtherByte || kBytes[*p] == kQuote))
                ++p;
            if (p == end)
                return;
            const ByteClass c = kBytes[*p];
            if (c == kLetterByte || c == kEscapeByte || c == kSemicolon) {
                state_ = State::Scan; // no number: the setting changes nothing
                if (c == kSemicolon)
                    ++p;
                break;
            }
            numberLength_ = 1;
            digits_ = c == kDigit ? 1 : 0;
            point_ = c == kPoint;
            nonZero_ = c == kDigit && *p != '0';
            state_ = State::Number;
            ++p;
            break;
        }
        case State::Number:
            // [sign] digits [. digits]; a second sign or point starts another number.
            for (; p != end && numberLength_ <= kLongestNumber; ++p, ++numberLength_) {
                if (kBytes[*p] == kDigit) {
                    ++digits_;
                    nonZero_ = nonZero_ || *p != '0';
                } else if (*p == '.' && !point_) {
                    point_ = true;
                } else {
                    break;
                }
            }
            if (numberLength_ > kLongestNumber) {
                state_ = State::NumberAtLimit;
                break;
            }
            if (p == end)
                return;
            if (numberCounts())
                count(entry_);
            state_ = State::Parameters;
            break;
        case State::NumberAtLimit:
            // More bytes follow a number of the longest length: it counts as too long.
            state_ = State::Parameters;
            break;
        case State::Escape:
            if (*p == '.') {
                state_ = State::EscapeDot;
            } else if (*p >= '!' && *p <= '/') {
                escapeLeft_ = 64;
                escapeToColon_ = false;
                state_ = State::EscapeParameters;
            } else {
                state_ = State::Scan; // a two-byte sequence
            }
            ++p;
            break;
        case State::EscapeDot:
            // ESC . and one of these (or NUL) takes parameters up to ':'.
            if (*p == 0 || std::strchr("@HIMNPST", *p) != nullptr) {
                escapeLeft_ = 64;
                escapeToColon_ = true;
                state_ = State::EscapeParameters;
            } else {
                state_ = State::Scan;
            }
            ++p;
            break;
        case State::EscapeParameters: {
            const bool last = escapeToColon_ ? *p == ':' : *p >= '@' && *p <= '^';
            if (last || --escapeLeft_ == 0)
                state_ = State::Scan;
            ++p;
            break;
        }
        }
    }
}

ClassicIgnoredCommands CommandCensus::finish(bool readFailed)
{
    // A setting's number that runs to the end of the file is whole.
    if ((state_ == State::Number || state_ == State::NumberAtLimit) && numberCounts())
        count(entry_);
    state_ = State::Scan;
    ClassicIgnoredCommands result;
    if (!readFailed)
        for (const std::uint8_t entry : order_)
            result.counts.emplace_back(kCensus[entry].mnemonic, counts_[entry]);
    return result;
}

bool CommandCensus::atCommandStart() const
{
    // Before a letter, the parameters end as the scan does: both then start a mnemonic.
    return (state_ == State::Scan || state_ == State::Parameters) && labelTerminator_ == kFirstLabelTerminator;
}

void CommandCensus::continueWith(const CommandCensus& next)
{
    const std::array<std::uint64_t, 32> counts = counts_;
    std::vector<std::uint8_t> order = std::move(order_);
    *this = next;
    for (std::size_t entry = 0; entry < counts.size(); ++entry)
        counts_[entry] += counts[entry];
    for (const std::uint8_t entry : next.order_)
        if (counts[entry] == 0)
            order.push_back(entry);
    order_ = std::move(order);
}

std::string ClassicIgnoredCommands::sentence(std::string_view remedy) const
{
    if (counts.empty())
        return {};
    std::vector<std::string> items;
    for (const auto& [mnemonic, count] : counts) {
        const CensusEntry* entry = censusEntry(mnemonic);
        if (entry == nullptr)
            continue;
        items.push_back(entry->many == nullptr ? mnemonic + " " + entry->one
                                               : std::to_string(count) + " " + (count == 1 ? entry->one : entry->many)
                                                     + " (" + mnemonic + ")");
    }
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i)
        list += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    const CensusEntry* first = censusEntry(counts.front().first);
    const bool one = items.size() == 1 && (first->many == nullptr || counts.front().second == 1);
    return "This plot uses " + list + " that the classic reading ignores: " + std::string(remedy) + " draws "
           + (one ? "it" : "them");
}

ClassicIgnoredCommands findCommandsClassicIgnores(const std::string& path)
{
    const Result<OpenedPlotFile> opened = openPlotFile(path);
    if (!opened)
        return {};
    CommandCensus census;
    std::vector<unsigned char> block(64 * 1024);
    std::size_t length = 0;
    while ((length = std::fread(block.data(), 1, block.size(), opened->file)) != 0)
        census.feed(block.data(), length);
    const bool failed = std::ferror(opened->file) != 0;
    std::fclose(opened->file);
    return census.finish(failed);
}

} // namespace orlex
