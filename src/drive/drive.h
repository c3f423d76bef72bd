// The plotter drive: register access, single steps, step timing, line motion,
// presence test and homing. Owns the drive state; the front end supplies the hooks.
#pragma once

#include "drive/drive_state.h"
#include "drive/event_pacer.h"
#include "drive/line_steps.h"
#include "drive/port.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orlex {

struct DriveHooks {
    std::function<void()> processEvents; // let pending window events run (may be empty)
    std::function<bool()> halfStep;      // is half stepping chosen; asked at every step
    // Waits for the next events while a draw is paused (may be empty: events run, then a
    // short sleep).
    std::function<void()> waitWhilePaused = {};
};

// What lines have sent so far: the measure of a draw's progress, in the units of the
// test run's estimate.
struct DriveCounters {
    std::uint64_t stepOutputs = 0; // coil bytes of lines, each a two-cycle wait
    std::uint64_t penCommands = 0; // pen writes of lines, each a four-cycle wait
};

// Why a move did not happen. ok() when it did.
struct MoveResult {
    MoveRefusal refusal = MoveRefusal::None;
    std::string reason;
    bool stopped = false; // a stop request ended the move after a step
    bool ok() const { return refusal == MoveRefusal::None && !stopped; }
};

// Clock cycles waited after each kind of port write.
inline constexpr std::int16_t kStepCycles = 2;      // after every step of a line or homing
inline constexpr std::int16_t kBackOffCycles = 3;   // after each back-off step of homing
inline constexpr std::int16_t kPenSettleCycles = 4; // after a pen command

// What the operator is told when a port call failed during a run: the call and its error,
// that the run has ended, and whether the machine could be made safe (`safeFault` is
// makeSafe()'s answer).
std::string portFaultMessage(const std::string& fault, const std::string& safeFault);

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
    // off, the second tried even when the first failed. Empty when both were written,
    // else the first failure's text (the port is broken: see PortFault).
    std::string makeSafe() noexcept;

    // One step of one motor in the direction directionX / directionY; no port write.
    void stepX();
    void stepY();

    // Waits `cycles` cycles of the plotter clock on status bit 7, letting events run at a
    // bounded rate. No timeout: a clock line that never toggles keeps it polling (the
    // window stays responsive) until a stop is requested, which ends the wait at once.
    void waitClockCycles(std::int16_t cycles);

    // Pen write, four-cycle wait, then a straight line to (x, y) plotter units.
    // A target that cannot be converted to 16-bit steps is refused before anything is
    // written to the port.
    MoveResult lineTo(double x, double y, Pen pen, std::int16_t zoom);

    // Presence test: up to 100000 status reads; sets connected. True when the clock toggled.
    bool checkPresence();

    // Reads the status register once into xSwitch / ySwitch.
    void readHomeSwitches();

    // Body of "Pen home" once connected is known to be true: lift the pen, drive to the
    // switches, bounded by the travel plus 10 %, then back off four steps. Returns
    // NotConnected without touching the port when connected is false.
    HomeResult home();

    // "Pen to 0" after a successful homing: positionX = positionY = 0, then a pen-up move to
    // |plotMinX| mm right and |plotMinY| mm up.
    MoveResult moveToOrigin(double plotMinX, double plotMinY, std::int16_t zoom);

    // Asks a running line or homing to end after the current step.
    void requestStop() { stopRequested_ = true; }
    void clearStop() { stopRequested_ = false; }
    bool stopRequested() const { return stopRequested_; }

    // Asks a running line to hold after the current step: the pen comes up and the coils
    // stay energised until continueAfterPause(); the pen then goes down again when the
    // line draws, and the line goes on. A stop request ends the hold.
    void requestPause() { pauseRequested_ = true; }
    void continueAfterPause() { pauseRequested_ = false; }
    bool pauseRequested() const { return pauseRequested_; }
    // Holds here while a pause is requested, the pen up; `pen` is how the line was
    // drawing. False when a stop request ended the hold.
    bool holdWhilePaused(Pen pen);

    DriveCounters counters;

private:
    Port* port_;
    const MachineSettings& settings_;
    DriveHooks hooks_;
    bool stopRequested_ = false;
    bool pauseRequested_ = false;
    std::optional<bool> fixedHalfStep_;
    EventPacer pacer_; // bounds how often waitClockCycles lets events run, across calls
};

} // namespace orlex
