// The files the tool writes: a device, a pipe or a symbolic link is written through, never
// replaced; an output that is an input or another output is refused before anything moves;
// a write that fails (a full device, the file size limit) ends with a message, a status
// that says so and no half-written file under the name asked for.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <functional>

#include <csignal>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace orlex::cli::testing {
namespace {

// A square and a diagonal line apart from it.
constexpr const char* kSquareAndDiagonal = "IN;PU0,0;PD400,0,400,400,0,400,0,0;PU800,800;PD1200,1200;";

bool isCharacterDevice(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// The file names a folder holds, sorted.
std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct OutputCase {
    const char* name;
    std::function<void(const TempFolder&)> setUp; // beside plot.plt
    std::vector<std::string> arguments;           // after the tool's name
    int fileSizeLimit;                            // bytes a file may grow to (prlimit); 0: none
    int status;
    const char* message; // in stderr; "" for none
    std::function<void(const TempFolder&)> check;
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.name;
}

class Outputs : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Outputs, AreWrittenWholeOrRefused)
{
    const OutputCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "plot.plt", kSquareAndDiagonal);
    if (c.setUp)
        c.setUp(folder);
    std::vector<std::string> arguments = c.arguments;
    std::string program = ORLEX_CLI_BINARY;
    if (c.fileSizeLimit != 0) {
        arguments.insert(arguments.begin(), {"--fsize=" + std::to_string(c.fileSizeLimit), "--", program});
        program = "/usr/bin/prlimit";
    }
    CliProcess process(folder.path(), arguments, program);
    const CliResult result = process.wait();
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(readFile(folder / "plot.plt"), kSquareAndDiagonal) << "the input was written over";
    for (const std::string& name : namesIn(folder.path()))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "a temporary file was left: " << name;
    if (c.check)
        c.check(folder);
}

const auto makeFifo = [](const TempFolder& f) { ASSERT_EQ(::mkfifo((f / "pipe").c_str(), 0644), 0); };
const auto writeBigPlot = [](const TempFolder& f) {
    std::string plot = "IN;";
    for (int i = 0; i < 2000; ++i)
        plot += "PU" + std::to_string(i * 7 % 4000) + "," + std::to_string(i * 13 % 4000) + ";PD"
                + std::to_string(i * 11 % 4000) + ",0;";
    writeFile(f / "big.plt", plot);
};
const auto makeLink = [](const TempFolder& f) {
    writeFile(f / "target.plt", "old");
    fs::create_symlink("target.plt", f / "link.plt");
};

INSTANTIATE_TEST_SUITE_P(
    Paths, Outputs,
    ::testing::Values(OutputCase{"OptimizeToDevNull",
                                 {},
                                 {"optimize", "plot.plt", "-o", "/dev/null"},
                                 0,
                                 0,
                                 "",
                                 [](const TempFolder&) { EXPECT_TRUE(isCharacterDevice("/dev/null")); }},
                      OutputCase{"ConvertToAFullDevice",
                                 {},
                                 {"convert", "plot.plt", "-o", "/dev/full"},
                                 0,
                                 2,
                                 "No space left on device",
                                 [](const TempFolder&) { EXPECT_TRUE(isCharacterDevice("/dev/full")); }},
                      OutputCase{"OptimizeThroughALink",
                                 makeLink,
                                 {"optimize", "plot.plt", "-o", "link.plt"},
                                 0,
                                 0,
                                 "",
                                 [](const TempFolder& f) {
                                     EXPECT_TRUE(fs::is_symlink(f / "link.plt"));
                                     EXPECT_NE(readFile(f / "target.plt").find("PD"), std::string::npos);
                                 }},
                      OutputCase{"OptimizeOverAHardLinkToTheInput",
                                 [](const TempFolder& f) { fs::create_hard_link(f / "plot.plt", f / "same.plt"); },
                                 {"optimize", "plot.plt", "-o", "same.plt"},
                                 0,
                                 2,
                                 "input file itself",
                                 {}},
                      OutputCase{"OptimizeUnderTheFileSizeLimit",
                                 writeBigPlot,
                                 {"optimize", "big.plt", "-o", "out.plt"},
                                 4000,
                                 2,
                                 "File too large",
                                 [](const TempFolder& f) { EXPECT_FALSE(fs::exists(f / "out.plt")); }},
                      OutputCase{"DrawTraceIsThePlot",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--trace", "plot.plt"},
                                 0,
                                 2,
                                 "input file itself",
                                 {}},
                      OutputCase{"DrawTraceIsTheSettings",
                                 [](const TempFolder& f) {
                                     writeFile(
                                         f / "s.txt",
                                         " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
                                 },
                                 {"draw", "plot.plt", "--simulate", "--settings", "s.txt", "--trace", "s.txt"},
                                 0,
                                 2,
                                 "settings file itself",
                                 [](const TempFolder& f) { EXPECT_EQ(readFile(f / "s.txt").substr(0, 4), " 50 "); }},
                      OutputCase{"DrawPaperIsThePlot",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--svg", "plot.plt"},
                                 0,
                                 2,
                                 "input file itself",
                                 {}},
                      OutputCase{"DrawTraceIsThePaper",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--svg", "x", "--trace", "x"},
                                 0,
                                 2,
                                 "give each output a file of its own",
                                 [](const TempFolder& f) { EXPECT_FALSE(fs::exists(f / "x")); }},
                      OutputCase{"DrawTraceToAPipeNobodyReads",
                                 makeFifo,
                                 {"draw", "plot.plt", "--simulate", "--trace", "pipe"},
                                 0,
                                 2,
                                 "nobody reads the pipe",
                                 {}},
                      OutputCase{"DrawTraceToAFullDevice",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--trace", "/dev/full"},
                                 0,
                                 2,
                                 "No space left on device. Nothing was moved",
                                 {}},
                      OutputCase{"DrawTraceUnderTheFileSizeLimit",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--trace", "t.csv"},
                                 2000,
                                 7,
                                 "t.csv.incomplete",
                                 [](const TempFolder& f) {
                                     EXPECT_FALSE(fs::exists(f / "t.csv"));
                                     const std::string kept = readFile(f / "t.csv.incomplete");
                                     ASSERT_FALSE(kept.empty());
                                     EXPECT_EQ(kept.back(), '\n') << "cut inside a line";
                                 }},
                      OutputCase{"DrawPaperUnderTheFileSizeLimit",
                                 {},
                                 {"draw", "plot.plt", "--simulate", "--svg", "paper.svg"},
                                 400,
                                 7,
                                 "Cannot write the paper",
                                 [](const TempFolder& f) { EXPECT_FALSE(fs::exists(f / "paper.svg")); }}),
    [](const auto& row) { return std::string(row.param.name); });

// A pipe with a reader is written through, and stays a pipe.
TEST(Outputs, APipeWithAReaderGetsTheWholeOutput)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kSquareAndDiagonal);
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
    const int reader = ::open((folder / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const CliResult result = runCli(folder.path(), {"optimize", "plot.plt", "-o", "pipe"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::string got(4096, '\0');
    const ssize_t n = ::read(reader, got.data(), got.size());
    ::close(reader);
    ASSERT_GT(n, 0);
    EXPECT_NE(got.substr(0, static_cast<std::size_t>(n)).find("PD"), std::string::npos);
    EXPECT_FALSE(fs::is_regular_file(folder / "pipe"));
}

// A trace whose reader stops reading holds up no step: the draw ends, in virtual time at
// once, and on the wall clock at a signal, and the trace says how much it lost.
class StalledTrace : public ::testing::TestWithParam<bool> {};

TEST_P(StalledTrace, NeverHoldsUpTheDraw)
{
    const bool realTime = GetParam();
    TempFolder folder;
    std::string plot = "PD";
    for (int i = 0; i < 10; ++i)
        plot += "4000,0,0,0,";
    writeFile(folder / "plot.plt", plot + "0,0;");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
    const int reader = ::open((folder / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_GT(::fcntl(reader, F_SETPIPE_SZ, 4096), 0); // full after a few hundred lines
    std::vector<std::string> arguments{"draw", "plot.plt", "--simulate", "--trace", "pipe"};
    if (realTime)
        arguments.insert(arguments.end(), {"--realtime", "--clock", "2000"});
    CliProcess process(folder.path(), arguments);
    if (realTime) {
        ASSERT_TRUE(process.waitForOutput("Drawing plot.plt"));
        // The pipe filled to the brim: from here on its reader takes nothing.
        const int filler = ::open((folder / "pipe").c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(filler, 0);
        while (::write(filler, "x", 1) == 1) {
        }
        ::close(filler);
        ASSERT_EQ(::kill(process.pid(), SIGINT), 0);
    }
    const CliResult result = process.wait();
    ::close(reader);
    EXPECT_EQ(result.status, realTime ? 130 : 7) << result.err;
    EXPECT_NE(result.err.find("not traced"), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("Drawing time") != std::string::npos, !realTime) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Clocks, StalledTrace, ::testing::Values(false, true),
                         [](const auto& row) { return std::string(row.param ? "WallClock" : "VirtualTime"); });

} // namespace
} // namespace orlex::cli::testing
