// The census's mnemonic table, and the census taken block by block (alone, or from the
// blocks the classic reading reads) against a reference: the full reading's tokenizer
// asked command by command, as the census was once taken in a pass of its own.
#include "full_hpgl_test_support.h"
#include "hpgl/full/command_scanner.h"
#include "hpgl/plot_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace orlex::test {
namespace {

// Mnemonics of one class, separated by blanks.
struct Mnemonics {
    const char* names;
    CensusClass kind;
};

class MnemonicTable : public ::testing::TestWithParam<Mnemonics> {};

TEST_P(MnemonicTable, Classifies)
{
    const std::string names = GetParam().names;
    for (std::size_t i = 0; i + 1 < names.size(); i += 3)
        EXPECT_EQ(classifyMnemonic(names[i], names[i + 1]).kind, GetParam().kind) << names.substr(i, 2);
}

using K = CensusClass;
INSTANTIATE_TEST_SUITE_P(
    Names, MnemonicTable,
    ::testing::Values(
        // Every name the census counts, in either case; what it reads but does not count.
        Mnemonics{"SC IP IR IW LT sC ip Iw", K::Setting}, Mnemonics{"RO ro", K::Rotation},
        Mnemonics{"SM sm", K::Symbol}, Mnemonics{"PE pE", K::EncodedPolyline}, Mnemonics{"LB Lb", K::Label},
        Mnemonics{"CI AA AR AT RT BZ BR EA ER RA RR EW WG EP FP PB CP XT YT ci yT", K::Shape},
        Mnemonics{"BL WD wd", K::Text}, Mnemonics{"DT dt", K::LabelTerminator},
        // Near misses, the commands the classic reading draws, and bytes beside the letters.
        Mnemonics{"CJ IC SD RP LC EB ZT BY PA PU PD PR SP IN DF PM C1 @I C[ `i c{ \xc3\xa9", K::Other}),
    [](const ::testing::TestParamInfo<Mnemonics>& row) { return "row" + std::to_string(row.index); });

// The census as the full reading's tokenizer takes it, command by command.
std::vector<std::pair<std::string, std::uint64_t>> referenceCensus(const std::string& path)
{
    std::vector<std::pair<std::string, std::uint64_t>> counts;
    const Result<OpenedPlotFile> opened = openPlotFile(path);
    if (!opened)
        return counts;
    fullhpgl::CommandScanner scanner(opened->file, opened->size);
    int terminator = 3;
    char first = 0, second = 0;
    const auto skipText = [&](int end) {
        for (int c = scanner.nextByte(); c >= 0 && c != end;)
            c = scanner.nextByte();
    };
    while (scanner.nextMnemonic(first, second)) {
        const std::string m{first, second};
        const CensusClass kind = classifyMnemonic(first, second).kind;
        bool counted = kind != K::Other && kind != K::Text && kind != K::LabelTerminator;
        if (m == "LB" || m == "BL" || m == "WD") {
            skipText(terminator);
        } else if (m == "DT") {
            const int c = scanner.nextByte();
            terminator = c < 0 || c == ';' ? 3 : c;
        } else if (m == "PE") {
            skipText(';');
        } else if (m == "SM") {
            const int c = scanner.peekByte();
            counted = c > ' ' && c != ';' && c < 127;
            if (counted)
                scanner.nextByte();
        } else if (kind == K::Setting || kind == K::Rotation) {
            double value = 0;
            counted = scanner.nextNumber(value) == fullhpgl::CommandScanner::Param::Number
                      && (kind != K::Rotation || value != 0);
            scanner.skipParameters();
        } else {
            scanner.skipParameters();
        }
        if (!counted)
            continue;
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == m; });
        if (it == counts.end())
            counts.emplace_back(m, 1);
        else
            ++it->second;
    }
    return counts;
}

// Files of the commands, separators and escapes the census tells apart, in random order.
std::vector<std::string> shuffledFiles()
{
    // The first four are the plain commands; '|' separates the pieces.
    const std::string joined =
        "PA12,34;|PD1,2,3,4|PU;|PR-5 6\r\n|CI5;|ci|LB|lb|x|\x03|;|\"|\x1b|\x1b.@|\x1b%-1|:|X|.|DT|#"
        "|SM|RO|SC|IP|0|1|-|+| |AB|PE|WD|EAEA|"
        + std::string(66, '9') + "|" + std::string(30, '0') + "|" + std::string(1, '\0');
    std::vector<std::string> pieces(1);
    for (const char c : joined) {
        if (c == '|')
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    std::mt19937 rng(7);
    std::vector<std::string> files;
    for (int f = 0; f < 60; ++f) {
        std::string file;
        // Mostly the plain commands, so that whole chunks of them come up too.
        const int plain = f % 3 == 0 ? 90 : 40;
        while (file.size() < 3000) {
            const bool common = static_cast<int>(rng() % 100) < plain;
            file += common ? pieces[rng() % 4] : pieces[rng() % pieces.size()];
        }
        files.push_back(file);
    }
    return files;
}

// The census of `bytes` fed in blocks of `block` bytes, passing over plain runs `scan`'s way.
std::vector<std::pair<std::string, std::uint64_t>> fedInBlocks(const std::string& bytes, std::size_t block,
                                                               CommandCensus::ChunkScan scan)
{
    CommandCensus census(scan);
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        const std::string part = bytes.substr(at, block); // its own allocation, so nothing past it is read
        census.feed(reinterpret_cast<const unsigned char*>(part.data()), part.size());
    }
    return census.finish().counts;
}

TEST(CensusInOnePass, EqualsTheReferenceOnTestDataAndOddFiles)
{
    const char* dataFolder = std::getenv("ORLEX_TEST_DATA");
    ASSERT_NE(dataFolder, nullptr) << "ORLEX_TEST_DATA names tests/data (ctest sets it)";
    TempDir dir;
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataFolder))
        if (entry.is_regular_file() && entry.path().extension() != ".svg" && entry.path().extension() != ".coils")
            paths.push_back(entry.path().string());
    ASSERT_GT(paths.size(), 20u);
    const std::vector<std::string> odd = {"SC" + std::string(64, '1') + ";CI;",
                                          "SC" + std::string(65, '1') + ";CI;",
                                          "IP" + std::string(65, '2'),
                                          "RO" + std::string(64, '0'),
                                          "RO-00.0;RO 0090;IW;IW\"5\";LT,;LT+.;LT.5;SC-;",
                                          "\x1b.@12:CI5;\x1b.Q:CI;\x1b%-12345XCI1;\x1b"
                                          "ECI;\x1b."
                                              + std::string(1, '\0') + "CI:LB",
                                          "DTX;LBabcXCI;DT;LBa\x03"
                                          "CI;DT",
                                          "SMCCI1;SM;CI;SM CI;SM\x7f",
                                          "C I;CIX;cir1;EAEAEA;PE:ab;CI;WDtext\x03"
                                          "CI;BLx\x03",
                                          "PA\"CI\";CI\"EA"};
    for (std::size_t i = 0; i < odd.size(); ++i)
        paths.push_back(dir.write("odd" + std::to_string(i) + ".plt", odd[i]));
    const std::vector<std::string> shuffled = shuffledFiles();
    for (std::size_t i = 0; i < shuffled.size(); ++i)
        paths.push_back(dir.write("shuffled" + std::to_string(i) + ".plt", shuffled[i]));

    // Each way this processor has of passing over plain runs.
    using Scan = CommandCensus::ChunkScan;
    std::vector<Scan> scans{Scan::Bytewise, Scan::Sse2};
    if (CommandCensus::bestChunkScan() == Scan::Avx2)
        scans.push_back(Scan::Avx2);
    std::size_t counted = 0;
    for (const std::string& path : paths) {
        const auto expected = referenceCensus(path);
        counted += expected.empty() ? 0 : 1;
        EXPECT_EQ(findCommandsClassicIgnores(path).counts, expected) << path;
        RecordingSink sink;
        sink.stopAfter = 1; // a reading that stops early still counts the whole file
        EXPECT_EQ(readClassicPlot(path, sink, Census::Take).ignoredByClassic.counts, expected) << path;
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        for (const CommandCensus::ChunkScan scan : scans)
            for (const std::size_t block : {1, 2, 3, 63, 64, 65, 200})
                EXPECT_EQ(fedInBlocks(bytes, block, scan), expected)
                    << path << " in blocks of " << block << ", chunk scan " << static_cast<int>(scan);
    }
    EXPECT_GT(counted, 40u); // most of the files have something to count
}

} // namespace
} // namespace orlex::test
