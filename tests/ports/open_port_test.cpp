// Choosing the backend: the virtual plotter, the fallback when a real port fails, the trace.
#include "drive/ports/open_port.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orlex {
namespace {

TEST(OpenPort, VirtualPlotterAnswersAtTheRequestedBase)
{
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.base = 0x278;
    request.simulation.base = 0x378; // overridden by the request's base
    request.simulation.floatingBits = 0;
    request.simulation.startXmm = request.simulation.startYmm = 0;
    OpenedPort opened = openPort(request);
    EXPECT_TRUE(opened.error.empty()) << opened.error;
    ASSERT_NE(opened.virtualPlotter, nullptr);
    EXPECT_EQ(opened.virtualPlotter, opened.backend.get());
    EXPECT_EQ(opened.virtualPlotter->config().base, 0x278);
    EXPECT_EQ(opened.port().in(0x279), 128);
    EXPECT_EQ(opened.port().in(0x379), 0xFF);
}

TEST(OpenPort, RealPortThatFailsFallsBackToNoPlotterWithAMessage)
{
    // No machine has a parallel port at 0x1230, so this fails on any computer.
    PortRequest request;
    request.kind = PortKind::Ppdev;
    request.base = 0x1230;
    OpenedPort opened = openPort(request);
    ASSERT_NE(opened.backend, nullptr);
    EXPECT_EQ(opened.virtualPlotter, nullptr);
    EXPECT_NE(opened.error.find("0x1230"), std::string::npos) << opened.error;
    EXPECT_NE(opened.error.find("The program carries on without a plotter"), std::string::npos) << opened.error;
    Port& port = opened.port();
    port.out(0x1230, 0x21);
    EXPECT_EQ(port.in(0x1230), 0x21);
    EXPECT_EQ(port.in(0x1231) & 0x80, 0);
}

TEST(OpenPort, TraceOfTheVirtualPlotterUsesSimulatedTime)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.simulation.virtualReadMicros = 5;
    request.traceFile = (dir.path() / "trace.csv").string();
    OpenedPort opened = openPort(request);
    ASSERT_TRUE(opened.error.empty()) << opened.error;
    ASSERT_NE(opened.tracing, nullptr);
    Port& port = opened.port();
    port.out(0x37A, 1);
    for (int i = 0; i < 3; ++i)
        port.in(0x379);
    port.out(0x378, 17);
    EXPECT_EQ(opened.virtualPlotter->dataLatch(), 17);
    opened.flush();
    EXPECT_EQ(test::readFile(dir.path() / "trace.csv"), "time_us,register,value\n0,control,1\n15,data,17\n");
}

TEST(OpenPort, UnopenableTraceIsReportedAndThePortStillWorks)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.traceFile = (dir.path() / "missing" / "trace.csv").string();
    OpenedPort opened = openPort(request);
    EXPECT_EQ(opened.tracing, nullptr);
    EXPECT_NE(opened.error.find(request.traceFile), std::string::npos) << opened.error;
    EXPECT_EQ(&opened.port(), opened.backend.get());
    opened.port().out(0x378, 3);
    EXPECT_EQ(opened.port().in(0x378), 3);
    opened.flush(); // nothing to flush, must not fail
}

// A changed address setting: the virtual plotter and the trace follow it.
TEST(OpenPort, MovingTheVirtualPlotterRewiresItAndTheTrace)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.traceFile = (dir.path() / "trace.csv").string();
    OpenedPort opened = openPort(request);
    ASSERT_TRUE(opened.error.empty()) << opened.error;

    EXPECT_EQ(opened.moveTo(0x278), "");
    Port& port = opened.port();
    port.out(0x278, 3);  // data at the new base reaches the plotter
    port.out(0x378, 9);  // the old address no longer does
    port.out(0x27A, 0);
    EXPECT_EQ(opened.virtualPlotter->dataLatch(), 3);
    EXPECT_TRUE(opened.virtualPlotter->penDown());
    EXPECT_EQ(opened.request.base, 0x278);
    opened.flush();
    EXPECT_EQ(test::readFile(dir.path() / "trace.csv"), "time_us,register,value\n0,data,3\n0,control,0\n");
}

TEST(OpenPort, MovingARealPortReopensItAtTheNewAddress)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Ppdev;
    request.base = 0x1230;
    request.traceFile = (dir.path() / "trace.csv").string();
    OpenedPort opened = openPort(request);
    EXPECT_EQ(opened.moveTo(0x1230), ""); // same address: nothing to do
    const std::string error = opened.moveTo(0x1240);
    EXPECT_NE(error.find("0x1240"), std::string::npos) << error;
    opened.port().out(0x1240, 5);
    EXPECT_EQ(opened.port().in(0x1240), 5); // the new no-plotter port keeps the read-back
    opened.flush();
    const std::string trace = test::readFile(dir.path() / "trace.csv"); // wall-clock times
    EXPECT_EQ(trace.rfind("time_us,register,value\n", 0), 0u) << trace;
    EXPECT_EQ(trace.substr(trace.size() - 8), ",data,5\n") << trace;
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 2) << trace;
}

TEST(OpenPort, PortKindNames)
{
    EXPECT_EQ(portKindFromName("ppdev"), PortKind::Ppdev);
    EXPECT_EQ(portKindFromName("direct"), PortKind::Direct);
    EXPECT_EQ(portKindFromName("virtual"), std::nullopt);
    EXPECT_EQ(portKindFromName("PPDEV"), std::nullopt);
    EXPECT_EQ(portKindFromName(""), std::nullopt);
}

} // namespace
} // namespace orlex
