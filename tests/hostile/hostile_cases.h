// The hostile plot files and what the program must answer to each, shared by the
// command-line and window tests. Small files live in tests/data/hostile; the big ones
// are generated into a temporary folder when a test runs.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orlex::hostile {

namespace fs = std::filesystem;

// Writes `count` copies of `c` in 1 MiB blocks.
inline void writeRepeated(std::FILE* f, char c, std::uint64_t count)
{
    const std::string block(1 << 20, c);
    for (; count >= block.size(); count -= block.size())
        std::fwrite(block.data(), 1, block.size(), f);
    std::fwrite(block.data(), 1, static_cast<std::size_t>(count), f);
}

inline constexpr std::uint64_t kHugeLineBytes = 100'000'000;

// "PA", then a 100 MB run of digits with no separator, then ",5;": one X value that
// no number can hold.
inline void generateHugeLine(const fs::path& file)
{
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::fputs("IN;SP1;PA", f);
    writeRepeated(f, '7', kHugeLineBytes);
    std::fputs(",5;", f);
    std::fclose(f);
}

// Numbers of five thousand digits, then one ordinary pair.
inline void generateThousandsOfDigits(const fs::path& file)
{
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::fputs("PU;PA", f);
    writeRepeated(f, '9', 5000);
    std::fputs(",-", f);
    writeRepeated(f, '9', 5000);
    std::fputs(";PD10,10;", f);
    std::fclose(f);
}

// 64 KiB of pseudo-random bytes (fixed seed): every byte value, capitals included.
inline void generateBinaryGarbage(const fs::path& file)
{
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::uint32_t state = 12345;
    for (int i = 0; i < 65536; ++i) {
        state = state * 1664525u + 1013904223u;
        std::fputc(static_cast<int>(state >> 24), f);
    }
    std::fclose(f);
}

struct HostileCase {
    const char* name;                  // file name; "" for a folder or a device
    void (*generate)(const fs::path&); // nullptr: committed under tests/data/hostile
    // The path is refused with "Cannot open" and this reason, nothing measured; nullptr:
    // the file is read. "folder": a folder is given; "not a plain file": /dev/zero.
    const char* refusal = nullptr;
    // Expected outcome of the test run; an empty optional accepts any value.
    std::optional<std::array<int, 4>> extentsMm; // min X, min Y, max X, max Y at zoom 100
    std::optional<bool> fits;                    // against the default 150 x 150 mm
    std::optional<int> beeps;
    std::optional<bool> endOfFileCaption;
    std::optional<bool> skipped; // some pair was skipped (and said so)
    std::optional<bool> outOfRange;
    std::optional<std::uint64_t> points;
};

inline std::vector<HostileCase> hostileCases()
{
    using E = std::array<int, 4>;
    return {
        // No mnemonic at all: one beep, four zeros, which fit.
        {"empty.plt", nullptr, nullptr, E{0, 0, 0, 0}, true, 1, false, false, false, 0},
        {"only_separators.plt", nullptr, nullptr, E{0, 0, 0, 0}, true, 1, false, false, false, 0},
        {"lower_case.plt", nullptr, nullptr, E{0, 0, 0, 0}, true, 1, false, false, false, 0},
        // Whatever random bytes make of the scanner, the run ends and reports.
        {"binary_garbage.plt", generateBinaryGarbage, nullptr, {}, {}, {}, {}, {}, {}, {}},
        // NUL is a separator like any control character: (400, 800) = 10 mm, 20 mm.
        {"nul_bytes.plt", nullptr, nullptr, E{0, 0, 10, 20}, true, 0, false, false, false, 1},
        // A 100 MB number and 5000-digit numbers: the pair is skipped with a message.
        {"huge_line.plt", generateHugeLine, nullptr, E{0, 0, 0, 0}, true, 0, false, true, false, 0},
        {"thousands_of_digits.plt", generateThousandsOfDigits, nullptr, E{0, 0, 0, 0}, true, 0, false, true, false, 1},
        // 'e' is a separator: "1e400,5,6" is the pairs (1, 400) and (5, 6).
        {"exponent_1e400.plt", nullptr, nullptr, E{0, 0, 0, 10}, true, 0, false, false, false, 2},
        // Negative zero measures as 0 mm, not "-0 mm".
        {"minus_zero.plt", nullptr, nullptr, E{0, 0, 0, 0}, true, 0, false, false, false, 3},
        // The 16-bit edges: +-32767 are measured (and too big); 32768 is out of range.
        {"edge_32767.plt", nullptr, nullptr, E{-819, -819, 819, 819}, false, 0, false, false, false, 2},
        {"edge_32768.plt", nullptr, nullptr, E{-819, -819, 819, 819}, false, 0, false, false, true, 2},
        // Relative moves that leave the range and come back: still out of range.
        {"pr_walk_out.plt", nullptr, nullptr, E{0, 0, 819, 819}, false, 0, false, false, true, 6},
        // The file ends inside an X value: two beeps and the caption; the pair is dropped.
        {"eof_in_x.plt", nullptr, nullptr, E{0, 0, 0, 0}, true, 2, true, false, false, 0},
        // A folder instead of a file, and a device that never ends.
        {"", nullptr, "folder", {}, {}, {}, {}, {}, {}, {}},
        {"", nullptr, "not a plain file", {}, {}, {}, {}, {}, {}, {}},
    };
}

// A short name for the case, for test names.
inline std::string caseName(const HostileCase& c)
{
    if (c.refusal)
        return std::string(c.refusal) == "folder" ? "folder" : "device";
    const std::string name = c.name;
    return name.substr(0, name.find('.'));
}

// How test frameworks print a case: its short name.
inline void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << caseName(c);
}

// Puts every case's file in `folder` (copies of the committed ones, the generated ones
// made fresh) and returns the path to give the program for the case.
inline fs::path materialise(const HostileCase& c, const fs::path& dataFolder, const fs::path& folder)
{
    if (c.refusal && std::string(c.refusal) == "folder") {
        const fs::path sub = folder / "a_folder.plt";
        fs::create_directories(sub);
        return sub;
    }
    if (c.refusal)
        return "/dev/zero";
    const fs::path target = folder / c.name;
    if (c.generate)
        c.generate(target);
    else
        fs::copy_file(dataFolder / c.name, target, fs::copy_options::overwrite_existing);
    return target;
}

// Peak resident memory of this process so far, in KiB (VmHWM); -1 when unknown.
inline long peakRssKib()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

// Growth of peak memory allowed for a run over any file, however big (it is read in
// blocks, never whole): generous, for the sanitizer build.
inline constexpr long kMaxPeakGrowthKib = 32 * 1024;

} // namespace orlex::hostile
