// A software model of the plotter behind the port: clock, two stepper motors decoded
// from the coil bytes, home switches, pen, and the paper it draws on.
#pragma once

#include "common/result.h"
#include "common/seqlock.h"
#include "common/spsc_ring.h"
#include "drive/port.h"
#include "drive/ports/paper_svg.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

// The clocks the model follows, from the slowest whose edges the presence test's 100,000
// status reads can see (in virtual time 5 µs pass at each read; on the wall clock a read
// takes a microsecond, as on a real port) to 1 MHz.
inline constexpr double kVirtualClockMinHz = 4;
inline constexpr double kRealTimeClockMinHz = 20;
inline constexpr double kVirtualClockMaxHz = 1'000'000;
// How long a status read takes on the wall clock, at least: a real port's register sits
// behind ISA-speed I/O, so a read costs about a microsecond there too.
inline constexpr double kRealTimeReadMicros = 1;
// How far beyond home and beyond the travel limit the carriage can go before it meets the
// end of its axis: more than the back-off of homing (4 full steps, 8 mm at the longest step
// length the settings dialog offers), so a plot that passes the fit never meets an end.
inline constexpr double kEndOfTravelMarginMm = 10;

struct VirtualPlotterConfig {
    double clockHz = 2000; // plotter clock on status bit 7
    bool realTime = false; // steady_clock instead of virtual time
    // Virtual time that passes at each status read. A fast clock whose half period is
    // shorter gets reads of a quarter period instead, so that no half period passes unseen.
    double virtualReadMicros = 5;
    double startXmm = 30, startYmm = 30; // carriage start, mm from home
    double stepLengthXmm = 0.25;         // travel per 45-degree turn (Lstepx / 200 mm)
    double stepLengthYmm = 0.25;
    // Maxx, Maxy: the ends of travel lie kEndOfTravelMarginMm behind home and beyond these.
    double travelXmm = 150, travelYmm = 150;
    std::uint8_t floatingBits = 0x67; // levels of status bits 0..2, 5, 6 (unused inputs)
    bool clockRunning = true;         // false: clock line stuck (plotter on STOP)
    // 0: the port never fails. N: from the Nth write on, every write and read fails, as
    // when the cable is pulled, so that the way a run ends on a broken port can be tried.
    std::uint64_t failFromWrite = 0;
};

struct VirtualPlotterCounters {
    long stepsX = 0, stepsY = 0;         // rotor moves (45 or 90 degrees), either direction
    long lostStepsX = 0, lostStepsY = 0; // patterns that did not follow the cycle, steps into an end
    long endStopsX = 0, endStopsY = 0;   // of the lost steps, those into an end of travel
    long penMoves = 0;                   // pen lifts and lowerings
    double simulatedMicros = 0;          // virtual clock (virtual time) or wall time
};

// What the virtual plotter lost between two readings of its counters: "The virtual plotter
// lost 12 steps (X 12, Y 0), all of them against an end of travel: the carriage is not where
// the program counts it." Empty when it lost none.
std::string lostStepsText(const VirtualPlotterCounters& before, const VirtualPlotterCounters& after);

// The machine as a view of it shows it, published after every write for a reader on
// another thread.
struct VirtualPlotterState {
    double xMm = 0, yMm = 0;             // the carriage, mm from home
    long xHalfSteps = 0, yHalfSteps = 0; // in 45-degree turns from home
    bool penDown = false;
    bool xSwitchClosed = false, ySwitchClosed = false;
    std::uint8_t dataLatch = 0; // 0: every coil off
    VirtualPlotterCounters counters;
    std::uint64_t segmentsDrawn = 0; // ink segments begun since the start, the growing one included
    PaperSegment growing{};          // the last of them, which may still grow; none when segmentsDrawn is 0
};

// What a view of the machine reads from another thread: every ink segment once it can no
// longer grow (in the order drawn), and the rest of the machine as a snapshot.
struct VirtualPlotterFeed {
    SpscRing<PaperSegment> finishedInk{17};
    Seqlock<VirtualPlotterState> state;
};

class VirtualPlotter : public Port {
public:
    explicit VirtualPlotter(VirtualPlotterConfig config = {});

    void write(Register reg, std::uint8_t value) override;
    std::uint8_t read(Register reg) override;

    const VirtualPlotterConfig& config() const { return config_; }
    // The plotter's STOP switch: may be thrown from any thread while another drives the port.
    void setClockRunning(bool running)
    {
        std::atomic_ref(config_.clockRunning).store(running, std::memory_order_relaxed);
    }
    bool clockRunning() const
    {
        return std::atomic_ref(const_cast<bool&>(config_.clockRunning)).load(std::memory_order_relaxed);
    }
    void setStepLengths(double xmm, double ymm);
    void setTravel(double xmm, double ymm); // moves the ends of travel

    // Carriage position in millimetres from home (<= 0: on the switch).
    double xMillimetres() const;
    double yMillimetres() const;
    long xHalfSteps() const { return positionX_; } // in 45-degree turns from home
    long yHalfSteps() const { return positionY_; }
    bool penDown() const { return penDown_; }
    bool xSwitchClosed() const;
    bool ySwitchClosed() const;
    bool motorsEnergised() const { return data_ != 0; }
    std::uint8_t dataLatch() const { return data_; }
    std::uint8_t controlLatch() const { return control_; }
    std::uint8_t statusNow(); // what a status read would give
    double nowMicros();       // simulated or wall time since start

    const VirtualPlotterCounters& counters() const { return counters_; }
    const std::vector<PaperSegment>& paper() const { return paper_; }
    std::uint64_t paperRevision() const { return revision_; } // grows with every change
    void clearPaper();

    // The pen a draw's SP put in, which the ink from now on is marked with: the machine
    // itself cannot tell pens apart. On the thread that drives the port.
    void selectPen(char pen) { pen_ = pen; }

    // Starts (or, with nullptr, ends) publishing to `feed`, with the state as it is now.
    // Call it while no other thread drives the port.
    void setFeed(VirtualPlotterFeed* feed);

    // The paper written to a file as an SVG document in millimetres (see paper_svg.h).
    Result<void> writeSvg(const std::filesystem::path& file, double widthMm, double heightMm) const;

private:
    // The end of travel of one axis, in 45-degree turns from home.
    struct AxisEnds {
        long low = 0, high = 0;
    };
    // One motor's rotor, its counters and its ends.
    struct Motor {
        int& rotor;
        long& steps;
        long& lost;
        long& endStops;
        AxisEnds ends;
        int wiring; // +1: the cycle run forwards moves the carriage away from home; -1: backwards
    };
    // Turns one motor for a new coil nibble; returns the carriage movement in 45-degree
    // turns. A step that begins at or past an end of travel and would go further does not
    // move the carriage: the step is lost, and the next one back moves it again.
    long stepMotor(std::uint8_t newNibble, const Motor& motor, long position);
    void placeEnds();
    std::uint8_t readStatus();
    std::uint8_t statusLines(bool clockHigh) const;
    bool clockHighAt(double micros) const;
    void recordMotion(long oldX, long oldY);
    bool disconnected() const { return config_.failFromWrite != 0 && writes_ >= config_.failFromWrite; }
    void failIfDisconnected(const std::string& call); // throws PortFault once disconnected()

    VirtualPlotterConfig config_;
    std::chrono::steady_clock::time_point start_;
    double periodMicros_ = 0;                          // 0: no clock
    double halfPeriodMicros_ = 0;                      // the line is high below this phase
    double phaseMicros_ = 0;                           // virtual time within the current clock period
    double readMicros_ = 0;                            // virtual time of one status read
    std::chrono::steady_clock::time_point lastRead_{}; // wall clock: when the last read was
    long positionX_ = 0, positionY_ = 0;               // 45-degree turns from home
    // Index in the half-step cycle. The rotors start on the detent of pattern 1 (16 for Y),
    // the phase the program assumes at start-up, so the first step moves the carriage.
    int rotorX_ = 0, rotorY_ = 0;
    AxisEnds endsX_, endsY_;
    bool extendable_ = false;            // the last paper segment may be extended
    long segmentDx_ = 0, segmentDy_ = 0; // its direction in 45-degree turns, reduced
    long segmentEndX_ = 0, segmentEndY_ = 0;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = 1;
    bool penDown_ = false;
    char pen_ = '1'; // for new ink segments
    VirtualPlotterCounters counters_;
    std::vector<PaperSegment> paper_;
    std::uint64_t revision_ = 0;
    std::uint64_t writes_ = 0; // every write so far, for failFromWrite
    void publish();
    VirtualPlotterFeed* feed_ = nullptr;
    std::uint64_t segmentsDrawn_ = 0; // ink segments begun, never reset
};

} // namespace orlex
