// The machine most tests run on: a 150 x 150 mm travel, 0.50 mm half steps (or what a
// test asks for), the Pen to 0 point 5 mm from home, the port at 0x378.
#pragma once

#include "settings/machine_settings.h"

namespace orlex::test {

inline MachineSettings testMachine(double stepLength = 50, double originMm = 5)
{
    MachineSettings v;
    v.stepLengthX = stepLength;
    v.stepLengthY = stepLength;
    v.travelXmm = 150;
    v.travelYmm = 150;
    v.originXmm = originMm;
    v.originYmm = originMm;
    v.portAddress = 0x378;
    return v;
}

// The test machine with 50-unit steps.
inline MachineSettings defaultSettings()
{
    return testMachine();
}

} // namespace orlex::test
