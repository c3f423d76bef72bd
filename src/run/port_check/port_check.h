// The port check: what this PC offers the plotter (the parallel-port driver, the ports
// and their addresses, who may open them, direct I/O, PCI cards, USB printer adapters)
// and how the motion thread would run on it (real-time throttling and limits, the
// kernel, the processors' frequency governor). Everything is read from files under a
// root folder; the front end adds what only it knows: whether the port opened, whether
// the plotter answered, and how the motion thread was granted its priority.
#pragma once

#include "drive/ports/open_port.h"
#include "run/motion_thread.h"
#include "run/port_check/finding.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

struct PortCheckSetup {
    std::filesystem::path systemRoot = "/"; // where /proc, /sys, /dev and /etc are read
    PortKind kind = PortKind::Ppdev;        // how the port is reached
    std::uint16_t base = 0x378;             // the port address of the settings
    std::string addressText = "&H378";      // line 9 of the settings as written
    std::optional<Error> portError;         // why the port did not open, if it did not
    std::optional<bool> plotterAnswers;     // the presence check; empty when it was not made
    MotionPriority motion;                  // what the motion thread was granted
};

// "&H378" for 0x378: how line 9 of the settings names a port address.
std::string settingsAddressText(std::uint32_t address);

// What is there: driver, ports, lp, the device node and its group, the udev rule, direct
// I/O, PCI cards, USB printer adapters, the port itself and the plotter behind it.
std::vector<Finding> portFindings(const PortCheckSetup& setup);

// Real time: sched_rt_runtime_us, RLIMIT_RTPRIO, the motion thread's priority, the
// kernel, the frequency governor.
std::vector<Finding> realTimeFindings(const PortCheckSetup& setup);

// The whole report: a heading, the findings by section, and what they add up to.
struct PortCheckReport {
    std::string heading; // "Port check of the ppdev port at 0x378 (line 9 of the settings: &H378)"
    std::vector<Finding> port, realTime, measurement;
    std::vector<Finding> all() const;
    // The heading, each section under its title ("What is there", "Real time",
    // "Measurement"), then "1 problem, 4 notes" or "No problem".
    std::string text() const;
};

// What is there and real time, under the setup's heading; no measurement.
PortCheckReport checkThisPc(const PortCheckSetup& setup);

} // namespace orlex
