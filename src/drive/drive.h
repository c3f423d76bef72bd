// The plotter drive: register access, single steps, step timing, line motion,
// presence test and homing. Owns the drive state; the front end supplies the hooks.
#pragma once

#include "common/result.h"
#include "drive/clock_cycles.h"
#include "drive/drive_state.h"
#include "drive/line_steps.h"
#include "drive/pen_to_zero.h"
#include "drive/port.h"
#include "settings/machine_settings.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orlex {

struct DriveHooks {
    std::function<bool()> halfStep; // the front end's step mode, when no run has fixed one (may be empty: half)
};

// A count one thread writes and any other may read while it runs (progress on screen).
class StepCounter {
public:
    StepCounter& operator++()
    {
        value_.store(value_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        return *this;
    }
    operator std::uint64_t() const { return value_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::uint64_t> value_{0};
};

// What lines have sent so far: the measure of a draw's progress, in the units of the
// check's estimate.
struct DriveCounters {
    StepCounter stepOutputs; // coil bytes of lines, each a two-cycle wait
    StepCounter penCommands; // pen writes of lines, each a four-cycle wait
};

// Why a move did not happen. ok() when it did.
struct MoveResult {
    MoveRefusal refusal = MoveRefusal::None;
    std::string reason;
    bool stopped = false; // a stop request ended the move after a step
    bool ok() const { return refusal == MoveRefusal::None && !stopped; }
};

// What the operator is told when a port call failed during a run: the call and its error,
// that the run has ended, and whether the machine could be made safe (`safeEnd` is
// makeSafe()'s answer).
std::string portFaultMessage(const Error& fault, const Result<void>& safeEnd);

inline constexpr const char* kNotConnectedText = " Plotterul nu este conectat sau este pe pozitia -STOP- ";
inline constexpr const char* kNotConnectedTitle = "Plotter is not connected !";

struct HomeResult {
    enum class Outcome { Homed, NotConnected, SwitchNeverClosed, Stopped };
    Outcome outcome = Outcome::Homed;
    char axis = 0;               // 'X' or 'Y' when a switch never closed
    long steps = 0;              // steps taken towards that switch before giving up
    double travelMm = 0;         // Maxx or Maxy of that axis; 0 when the setting did not convert
    std::string message() const; // operator text for SwitchNeverClosed
    bool ok() const { return outcome == Outcome::Homed; }
};

class Drive {
public:
    Drive(Port& port, const MachineSettings& settings, DriveHooks hooks);

    DriveState state;

    void setPort(Port& port) { port_ = &port; }
    Port& port() { return *port_; }
    const MachineSettings& settings() const { return settings_; }
    // Half or full steps: the mode a run fixed for itself, else the front end's choice.
    bool halfStep() const;
    // A run fixes the step mode it was checked in, so that no step of it changes mode;
    // nullopt gives the choice back to the front end.
    void fixStepMode(std::optional<bool> halfStep) { fixedHalfStep_ = halfStep; }

    // Register access.
    void writeData(std::uint8_t value);
    void writeControl(std::uint8_t value);
    std::uint8_t readData();
    std::uint8_t readStatus();

    // What the machine is told to do, in the words of its parts.
    void energiseCoils();    // coilsX + coilsY: both motors energised at their phases
    void switchCoilsOff();   // every coil de-energised; the phases are kept
    bool coilsEnergised();   // the data register reads back non-zero
    void penUp();            // control 1, at once
    void penDown();          // control 0, at once
    void liftPenAndSettle(); // penUp, then the four clock cycles a pen command gets
    // How every way out of a run or the program leaves the machine: pen up, then all coils
    // off, the second tried even when the first failed. Fails with the first failure's
    // text when either was not written (the port is broken: see PortFault).
    Result<void> makeSafe() noexcept;

    // One step of one motor in the direction directionX / directionY; no port write.
    void stepX();
    void stepY();

    // Waits `cycles` cycles of the plotter clock on status bit 7. No timeout: a clock line
    // that never toggles keeps it polling until a stop is requested, which it looks at
    // before every status read and which ends the wait at once.
    void waitClockCycles(std::int16_t cycles);

    // "Speed": counts two-cycle step waits until `span` has passed. Empty when a stop
    // request ended it.
    std::optional<long> countStepWaits(std::chrono::milliseconds span);

    // One step of one motor, written to the port at once: no wait (the jog buttons).
    void jog(char axis, int direction);

    // Pen write, four-cycle wait, then a straight line to the target's steps. The drive
    // sees steps only: the job converts its plot's points once (pointSteps, at the scale it
    // fixed when it started). A refused target is refused before anything is written to
    // the port, so a refused pen-down point leaves no dab of ink.
    MoveResult lineTo(const StepTarget& target, Pen pen);
    // The scale of a job that starts now at `zoom`: the step lengths and the step mode.
    PlotScale scaleAt(std::int16_t zoom) const
    {
        return {settings_.stepLengthX, settings_.stepLengthY, halfStep(), zoom};
    }

    // Presence test: up to 100000 status reads; sets connected. True when the clock toggled.
    bool checkPresence();

    // Reads the status register once into xSwitch / ySwitch.
    void readHomeSwitches();

    // Body of "Pen home" once connected is known to be true: lift the pen, drive to the
    // switches, bounded by the travel plus 10 %, then back off four steps. Returns
    // NotConnected without touching the port when connected is false.
    HomeResult home();

    // "Pen to 0" after a successful homing: positionX = positionY = 0, then a pen-up move by
    // `target` steps, as penToZeroSteps works them out (|minXmm| mm right and |minYmm| mm
    // up, or as far as the plot's lowest steps when those lie further).
    MoveResult moveToOrigin(const StepPair& target);

    // Commands from another thread, looked at before every status read. A stop ends a
    // running line or homing after the current step, or a wait for a halted clock at once.
    void requestStop();
    void clearStop() { stopRequested_.store(false, std::memory_order_relaxed); }
    bool stopRequested() const
    {
        return stopRequested_.load(std::memory_order_relaxed)
               || (alsoStopWhen_ != nullptr && alsoStopWhen_->load(std::memory_order_relaxed) != 0);
    }
    // A flag that asks for a stop as soon as it is not 0, such as the signal a handler
    // recorded: looked at with every status read, so no thread has to pass it on first.
    void alsoStopWhen(const std::atomic<int>* flag) { alsoStopWhen_ = flag; }

    // Asks a running line or homing to hold after the current step: the pen comes up (and
    // the port records it) and the coils stay energised until continueAfterPause(); the
    // pen then goes down again when the line draws, and it goes on. A stop request ends
    // the hold.
    void requestPause();
    void continueAfterPause();
    bool pauseRequested() const { return pauseRequested_.load(std::memory_order_relaxed); }
    // Holds here while a pause is requested, the pen up, sleeping until a command comes;
    // `pen` is how the line was drawing. False when a stop request ended the hold.
    bool holdWhilePaused(Pen pen);
    // The holds begun so far, and whether one lasts now (the pen up). From any thread.
    std::uint64_t holdsBegun() const { return holdsBegun_.load(std::memory_order_acquire); }
    bool holding() const { return holding_.load(std::memory_order_acquire); }

    DriveCounters counters;

private:
    // The pen command, its four cycles, then a straight line to whole steps (x, y).
    MoveResult stepTo(std::int16_t x, std::int16_t y, Pen pen);

    Port* port_;
    const MachineSettings& settings_;
    DriveHooks hooks_;
    void commandCame(); // wakes a hold
    std::atomic<bool> stopRequested_{false};
    const std::atomic<int>* alsoStopWhen_ = nullptr;
    std::atomic<bool> pauseRequested_{false};
    std::atomic<std::uint32_t> commands_{0}; // counts commands; a hold sleeps on it
    std::atomic<bool> holding_{false};
    std::atomic<std::uint64_t> holdsBegun_{0};
    std::optional<bool> fixedHalfStep_;
    // On a machine with one processor the clock wait yields between status reads, so
    // the window it shares the processor with still gets its turn.
    const bool shareProcessor_;
};

} // namespace orlex
