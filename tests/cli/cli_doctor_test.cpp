// "orlex-plotter-cli doctor": its arguments, exit statuses and output on the
// virtual plotter (in virtual time, so the figures are the same on every PC) and on a port
// address no PC has.
#include "cli_runner.h"

#include <gtest/gtest.h>

namespace orlex::cli::testing {
namespace {

struct DoctorRunCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string settings; // seting.txt in the folder; empty: none
    int status;
    std::vector<std::string> outParts; // each in stdout
    std::string errPart;               // in stderr; empty: stderr empty
};

void PrintTo(const DoctorRunCase& c, std::ostream* os)
{
    *os << c.name;
}

class DoctorRuns : public ::testing::TestWithParam<DoctorRunCase> {};

TEST_P(DoctorRuns, ExitAndReport)
{
    const DoctorRunCase& c = GetParam();
    TempFolder folder;
    if (!c.settings.empty())
        writeFile(folder / "seting.txt", c.settings);
    std::vector<std::string> arguments{"doctor"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const CliResult result = runCli(folder.path(), arguments);
    EXPECT_EQ(result.status, c.status) << result.out << result.err;
    for (const std::string& part : c.outParts)
        EXPECT_NE(result.out.find(part), std::string::npos) << part << " in:\n" << result.out;
    if (c.errPart.empty())
        EXPECT_EQ(result.err, "");
    else
        EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
}

const std::string kSettingsAt1230 = " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H1230\r\n";

// Real-time findings are notes at most, so the virtual plotter gives the same status on
// every PC; no PC has a port at 0x1230.
INSTANTIATE_TEST_SUITE_P(
    Table, DoctorRuns,
    ::testing::Values(
        DoctorRunCase{"SimulatedMeasurementInJson",
                      {"--simulate", "--measure", "1", "--json"},
                      "",
                      0,
                      {R"({"heading": "Port check on the virtual plotter", "problems": 0,)",
                       R"("port_opened": true, "plotter_answers": true,)",
                       R"("measurement": {"seconds": 1.000, "reads": 200000, "read_median_us": 5.000,)",
                       R"("clock_hz": 2000.000,)", R"("fastest_clock_hz": 100000.000, "follows_the_clock": true,)"},
                      ""},
        DoctorRunCase{"SimulatedTwentyKilohertz",
                      {"--simulate", "--clock", "20000", "--measure", "0.5"},
                      "",
                      0,
                      {"Port check on the virtual plotter\n",
                       "\nMeasurement (nothing moved, every coil off, the pen up)\n",
                       "ok       the plotter's clock: 20.0 kHz, half-periods of 25.0 µs (median)",
                       "ok       this PC follows a clock up to 100 kHz without missing an edge at the 99.9th "
                       "percentile; the plotter's clock is 20.0 kHz",
                       "\nNo problem"},
                      ""},
        DoctorRunCase{"TenSecondsUnlessTold",
                      {"--simulate", "--measure", "--json"},
                      "",
                      0,
                      {R"("measurement": {"seconds": 10.000, "reads": 2000000,)"},
                      ""},
        DoctorRunCase{"SecondsAfterEquals", {"--measure=0.1", "--simulate"}, "", 0, {"(20000 reads in 100 ms)"}, ""},
        DoctorRunCase{"PlotterOnStop",
                      {"--simulate-stopped-clock"},
                      "",
                      1,
                      {"problem  no plotter answers: the clock on status bit 7 did not change\n"
                       "           connect the plotter, switch it on and release its STOP switch\n",
                       "\n1 problem"},
                      ""},
        DoctorRunCase{"PortThatCannotOpen",
                      {"--measure", "1"},
                      kSettingsAt1230,
                      6,
                      {"Port check of the ppdev port at 0x1230 (line 9 of the settings: &H1230)\n",
                       "problem  the port does not open: No parallel port at 0x1230", "\nReal time\n"},
                      ""},
        DoctorRunCase{"APlotFile", {"a.plt"}, "", 2, {}, "doctor takes no file ('a.plt')"},
        DoctorRunCase{"TooShortAMeasurement", {"--measure", "0"}, "", 2, {}, "--measure needs a number of seconds"},
        DoctorRunCase{"ClockOfARealPlotter", {"--clock", "2000"}, "", 2, {}, "need --simulate"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::cli::testing
