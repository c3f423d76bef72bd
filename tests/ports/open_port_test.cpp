// Choosing the backend: the virtual plotter, the fallback when a real port fails, the trace.
#include "drive/ports/open_port.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orlex {
namespace {

TEST(OpenPort, VirtualPlotterIsTheBackend)
{
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.simulation.floatingBits = 0;
    request.simulation.startXmm = request.simulation.startYmm = 0;
    OpenedPort opened = openPort(request);
    EXPECT_FALSE(opened.portError) << opened.portError->message;
    ASSERT_NE(opened.virtualPlotter, nullptr);
    EXPECT_EQ(opened.virtualPlotter, opened.backend.get());
    EXPECT_EQ(opened.port().read(Register::Status), 128); // clock high, both switches closed
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
    ASSERT_TRUE(opened.portError);
    EXPECT_NE(opened.portError->message.find("0x1230"), std::string::npos) << opened.portError->message;
    Port& port = opened.port();
    port.write(Register::Data, 0x21);
    EXPECT_EQ(port.read(Register::Data), 0x21);
    EXPECT_EQ(port.read(Register::Status) & kClockLine, 0);
}

TEST(OpenPort, TraceOfTheVirtualPlotterUsesSimulatedTime)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.simulation.virtualReadMicros = 5;
    request.traceFile = (dir.path() / "trace.csv").string();
    OpenedPort opened = openPort(request);
    ASSERT_TRUE(!opened.portError && !opened.traceError);
    ASSERT_NE(opened.tracing, nullptr);
    Port& port = opened.port();
    port.write(Register::Control, 1);
    for (int i = 0; i < 3; ++i)
        port.read(Register::Status);
    port.write(Register::Data, 17);
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
    ASSERT_TRUE(opened.traceError);
    EXPECT_NE(opened.traceError->message.find(request.traceFile), std::string::npos) << opened.traceError->message;
    EXPECT_EQ(&opened.port(), opened.backend.get());
    opened.port().write(Register::Data, 3);
    EXPECT_EQ(opened.port().read(Register::Data), 3);
    opened.flush(); // nothing to flush, must not fail
}

// A changed address setting: the virtual plotter has no address and stays wired, with
// its trace.
TEST(OpenPort, MovingTheVirtualPlotterKeepsItAndTheTrace)
{
    test::TempDir dir;
    PortRequest request;
    request.kind = PortKind::Virtual;
    request.traceFile = (dir.path() / "trace.csv").string();
    OpenedPort opened = openPort(request);
    ASSERT_TRUE(!opened.portError && !opened.traceError);
    VirtualPlotter* plotter = opened.virtualPlotter;

    EXPECT_TRUE(opened.moveTo(0x278));
    EXPECT_EQ(opened.virtualPlotter, plotter);
    Port& port = opened.port();
    port.write(Register::Data, 3);
    port.write(Register::Control, 0);
    EXPECT_EQ(plotter->dataLatch(), 3);
    EXPECT_TRUE(plotter->penDown());
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
    EXPECT_TRUE(opened.moveTo(0x1230)); // same address: nothing to do
    const std::string error = opened.moveTo(0x1240).message();
    EXPECT_NE(error.find("0x1240"), std::string::npos) << error;
    opened.port().write(Register::Data, 5);
    EXPECT_EQ(opened.port().read(Register::Data), 5); // the new no-plotter port keeps the read-back
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
