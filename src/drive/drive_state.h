// Drive state: phases, directions, coil patterns, position, the presence and the switches.
#pragma once

#include "common/pen.h"

#include <cstdint>

namespace orlex {

struct DriveState {
    std::int16_t phaseX = 1; // 1..8 half-step, 1..4 full-step
    std::int16_t phaseY = 1;
    int directionX = 0;          // +1 right, -1 left, 0 none
    std::int16_t directionY = 0; // +1 up, -1 down, 0 none
    std::int16_t coilsX = 1;     // X coil pattern, bits 0..3
    std::int16_t coilsY = 16;    // Y coil pattern, bits 4..7
    double positionX = 0;        // steps of the mode each step was taken in
    double positionY = 0;
    // Where the carriage stands, in mm from home, counted step by step in the length of
    // each step's mode since a homing found home; unknown before one.
    bool carriageKnown = false;
    double carriageXmm = 0;
    double carriageYmm = 0;
    bool connected = false; // the last check saw the clock toggle
    int xSwitch = 0;        // 1 open, 0 home reached (last readHomeSwitches() call)
    std::int16_t ySwitch = 0;
};

} // namespace orlex
