// The port check as one JSON object on one line, for scripts.
#pragma once

#include "run/port_check/clock_measurement.h"
#include "run/port_check/port_check.h"

#include <optional>
#include <string>

namespace orlex::cli {

struct DoctorOutcome {
    PortCheckReport report;
    bool portOpened = false;
    std::optional<bool> plotterAnswers;
    std::optional<ClockMeasurement> measurement;
};

// {"heading": "...", "problems": 1, "notes": 4, "port_opened": true, "plotter_answers": true,
//  "findings": [{"section": "port", "level": "ok", "topic": "driver", "text": "...", "fix": []}, ...],
//  "measurement": {"seconds": 10.000, ...} or null}
std::string doctorJson(const DoctorOutcome& outcome);

} // namespace orlex::cli
