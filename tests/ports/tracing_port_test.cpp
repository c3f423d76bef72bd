// The port trace: header, one line per data or control write, times from the supplied clock.
#include "drive/ports/tracing_port.h"

#include "drive/ports/null_port.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace orlex {
namespace {

// Remembers every write and answers reads with a fixed value.
class RecordingPort : public Port {
public:
    void write(Register reg, std::uint8_t value) override { writes.push_back({reg, value}); }
    std::uint8_t read(Register reg) override
    {
        reads.push_back(reg);
        return 0x5A;
    }
    std::vector<std::pair<Register, std::uint8_t>> writes;
    std::vector<Register> reads;
};

TEST(TracingPort, RecordsDataAndControlWritesWithTheSuppliedClock)
{
    test::TempDir dir;
    const auto file = dir.path() / "trace.csv";
    RecordingPort inner;
    double now = 0;
    auto opened = TracingPort::open(inner, file, [&] { return now; });
    ASSERT_TRUE(opened) << opened.message();
    auto& trace = *opened;

    trace->write(Register::Data, 17);
    now = 12.4;
    trace->write(Register::Control, 0);
    now = 12.5;                         // halves go to the even neighbour
    trace->write(Register::Status, 99); // status: passed on, not traced
    trace->write(Register::Data, 147);
    now = 13.5;
    trace->write(Register::Control, 1);
    now = 2500000;
    trace->write(Register::Data, 0);
    EXPECT_EQ(trace->read(Register::Status), 0x5A);
    trace->flush();

    EXPECT_EQ(test::readFile(file), "time_us,register,value\n"
                                    "0,data,17\n"
                                    "12,control,0\n"
                                    "12,data,147\n"
                                    "14,control,1\n"
                                    "2500000,data,0\n");
    ASSERT_EQ(inner.writes.size(), 6u);
    EXPECT_EQ(inner.writes[2], (std::pair<Register, std::uint8_t>{Register::Status, 99}));
    EXPECT_EQ(inner.reads, std::vector<Register>{Register::Status});
}

TEST(TracingPort, ClosingWritesOutEverything)
{
    test::TempDir dir;
    const auto file = dir.path() / "trace.csv";
    NullPort inner;
    {
        auto opened = TracingPort::open(inner, file, [] { return 7.0; });
        ASSERT_TRUE(opened) << opened.message();
        auto& trace = *opened;
        for (int i = 0; i < 10000; ++i)
            trace->write(Register::Data, static_cast<std::uint8_t>(i));
        EXPECT_EQ(inner.read(Register::Data), static_cast<std::uint8_t>(9999)); // reached the inner port
    }
    std::istringstream lines(test::readFile(file));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "time_us,register,value");
    int count = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line, "7,data," + std::to_string(count % 256));
        ++count;
    }
    EXPECT_EQ(count, 10000);
}

TEST(TracingPort, WallClockTimesAreWholeMicroseconds)
{
    test::TempDir dir;
    const auto file = dir.path() / "trace.csv";
    NullPort inner;
    auto opened = TracingPort::open(inner, file);
    ASSERT_TRUE(opened) << opened.message();
    auto& trace = *opened;
    trace->write(Register::Control, 1);
    trace->write(Register::Data, 3);
    trace->flush();
    std::istringstream lines(test::readFile(file));
    std::string header, first, second, rest;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(header, "time_us,register,value");
    for (const auto& [line, suffix] : {std::pair{first, ",control,1"}, std::pair{second, ",data,3"}}) {
        const std::size_t digits = line.find_first_not_of("0123456789");
        EXPECT_GT(digits, 0u) << line;
        EXPECT_EQ(line.substr(digits == std::string::npos ? line.size() : digits), suffix) << line;
    }
    EXPECT_FALSE(std::getline(lines, rest));
}

TEST(TracingPort, UnwritableFileIsReportedByName)
{
    test::TempDir dir;
    const auto file = dir.path() / "no-such-folder" / "trace.csv";
    NullPort inner;
    const auto opened = TracingPort::open(inner, file);
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.message().find(file.string()), std::string::npos) << opened.message();
}

TEST(TracingPort, ReopeningTruncatesTheOldTrace)
{
    test::TempDir dir;
    const auto file = dir.path() / "trace.csv";
    test::writeFile(file, "old content that must go\n");
    NullPort inner;
    EXPECT_TRUE(TracingPort::open(inner, file));
    EXPECT_EQ(test::readFile(file), "time_us,register,value\n");
}

// flush() puts every write so far in the file (a pause's pen lift is on record while the
// machine holds); close() writes out the rest, and later writes reach only the port.
TEST(TracingPort, FlushAndCloseWriteOutWhatCameIn)
{
    test::TempDir dir;
    const auto file = dir.path() / "trace.csv";
    RecordingPort inner;
    auto opened = TracingPort::open(inner, file, [] { return 0.0; });
    ASSERT_TRUE(opened) << opened.message();
    auto& trace = *opened;

    trace->write(Register::Data, 1);
    trace->write(Register::Data, 2);
    trace->flush();
    EXPECT_EQ(test::readFile(file), "time_us,register,value\n0,data,1\n0,data,2\n");

    trace->write(Register::Control, 1);
    EXPECT_TRUE(trace->close());
    EXPECT_EQ(test::readFile(file), "time_us,register,value\n0,data,1\n0,data,2\n0,control,1\n");
    trace->write(Register::Data, 0); // after close: still reaches the port, no longer traced
    EXPECT_EQ(inner.writes.back(), (std::pair<Register, std::uint8_t>{Register::Data, 0}));
}

} // namespace
} // namespace orlex
