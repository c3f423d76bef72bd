// "doctor": the port check of this PC, its port and its cable. The motion thread is
// started as a draw starts it, so the priority it reports is the one a draw would get;
// the port is opened as a draw opens it, and on that thread the status register is read
// (the presence check) and, with --measure, timed, after data 0 and the pen up. However
// it ends once something was written, the pen is up and every coil off.
#include "cli/doctor_command.h"

#include "cli/cli_settings.h"
#include "cli/doctor_json.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "drive/drive.h"
#include "run/motion_thread.h"
#include "run/port_check/clock_measurement.h"
#include "run/port_check/port_check.h"

#include <chrono>
#include <csignal>
#include <iostream>

#include <unistd.h>

namespace orlex::cli {

namespace {

using namespace std::chrono_literals;

PortRequest doctorPortRequest(const CliOptions& o, const MachineSettings& settings)
{
    PortRequest request;
    request.kind = o.simulate ? PortKind::Virtual : o.port.value_or(PortKind::Ppdev);
    request.anyDirectAddress = o.anyDirectAddress;
    request.simulation.clockHz = o.clockHz;
    request.simulation.realTime = o.realTime;
    request.simulation.clockRunning = !o.stoppedClock;
    request.addressAdvice =
        "Put the plotter's port address in line 9 of a settings file and give it with --settings FILE.";
    return withMachineSettings(request, settings);
}

// What the motion thread found at the port.
struct PortReading {
    std::optional<bool> plotterAnswers;
    std::optional<ClockMeasurement> measurement;
    std::optional<Error> fault; // a port call failed: the call and its error
    Result<void> safeEnd;       // making the machine safe at the end: makeSafe()'s answer
};

// On the motion thread: the presence check (reads only), then the measurement.
PortReading readThePort(OpenedPort& opened, const MachineSettings& settings, std::optional<double> seconds)
{
    PortReading reading;
    Drive drive(opened.port(), settings, {});
    drive.alsoStopWhen(&interruptFlag());
    try {
        reading.plotterAnswers = drive.checkPresence();
        if (seconds && interruptSignal() == 0) {
            std::function<double()> now;
            if (VirtualPlotter* plotter = opened.virtualPlotter; plotter != nullptr && !plotter->config().realTime) {
                now = [plotter] { return plotter->nowMicros(); };
            } else {
                const auto start = std::chrono::steady_clock::now();
                now = [start] {
                    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
                };
            }
            reading.measurement = measureClock(opened.port(), now, *seconds * 1e6, &interruptFlag());
        }
    } catch (const PortFault& failed) {
        reading.fault = failure(failed.what());
    }
    // Only the measurement writes to the port; whatever happened, it ends with the pen up
    // and every coil off.
    if (seconds)
        reading.safeEnd = drive.makeSafe();
    return reading;
}

} // namespace

int runDoctorCommand(const CliOptions& options)
{
    const CliSettings loaded = loadCliSettings(options.settingsFile);
    if (loaded.error) {
        std::cerr << "orlex-plotter-cli: " << loaded.error->message << "\n";
        return kExitUsage;
    }
    if (!loaded.warning.empty())
        std::cerr << "orlex-plotter-cli: " << loaded.warning << "\n";
    const MachineSettings& settings = loaded.settings;
    const PortRequest request = doctorPortRequest(options, settings);

    // From here on a signal ends the measurement at its next read and leaves the machine safe.
    const InterruptWatch interruptWatch;
    MotionThread motion(true); // asks for real-time priority exactly as a draw's does
    OpenedPort opened = openPort(request);

    PortCheckSetup setup;
    setup.kind = request.kind;
    setup.base = request.base;
    setup.addressText = settings.line(SettingLine::PortAddress);
    if (setup.addressText.empty())
        setup.addressText = settingsAddressText(request.base);
    setup.portError = opened.portError;
    setup.motion = motion.priority();

    PortReading reading;
    if (!opened.portError) {
        if (options.measureSeconds && ::isatty(STDERR_FILENO))
            std::cerr << "Measuring for " << *options.measureSeconds
                      << " s; nothing moves, every coil is off and the pen up (Ctrl-C ends it)...\n";
        motion.start([&] { reading = readThePort(opened, settings, options.measureSeconds); });
        while (!motion.waitIdle(20ms)) {
        }
    }
    setup.plotterAnswers = reading.plotterAnswers;

    DoctorOutcome outcome{checkThisPc(setup), !opened.portError, reading.plotterAnswers, reading.measurement};
    if (reading.measurement)
        outcome.report.measurement = measurementFindings(*reading.measurement);
    if (reading.fault)
        outcome.report.port.push_back({FindingLevel::Problem,
                                       "port",
                                       portFaultMessage(*reading.fault, reading.safeEnd),
                                       {"check the cable and the port, then run the check again"}});
    else if (!reading.safeEnd)
        outcome.report.port.push_back(
            {FindingLevel::Problem,
             "port",
             "lifting the pen and switching the motors off at the end failed: " + reading.safeEnd.message(),
             {"switch the plotter off before you touch it"}});

    if (options.json)
        std::cout << doctorJson(outcome) << "\n";
    else
        std::cout << outcome.report.text();

    if (interruptSignal() != 0)
        return kExitInterrupted + interruptSignal();
    if (opened.portError || reading.fault || !reading.safeEnd)
        return kExitPortFailed;
    return problemCount(outcome.report.all()) > 0 ? kExitProblemFound : kExitOk;
}

} // namespace orlex::cli
