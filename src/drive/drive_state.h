// Drive state of the main window: phases, directions, coil patterns, position, status.
#pragma once

#include <cstdint>
#include <string>

namespace orlex {

struct DriveState {
    std::int16_t PhaseX = 1;  // 1..8 half-step, 1..4 full-step
    std::int16_t PhaseY = 1;
    int DirX = 0;             // +1 right, -1 left, 0 none
    std::int16_t DirY = 0;    // +1 up, -1 down, 0 none
    std::int16_t BitsX = 1;   // X coil pattern, bits 0..3
    std::int16_t BitsY = 16;  // Y coil pattern, bits 4..7
    double PosX = 0;          // steps of the mode each step was taken in
    double PosY = 0;
    bool Connected = false;   // the last check saw the clock toggle
    std::string PenState = "PU"; // manual pen button state, "PU" or "PD"
    std::int16_t MotorBlink = 0;
    int SwitchX = 0;          // 1 open, 0 home reached (last home() call)
    std::int16_t SwitchY = 0;
    std::int16_t SpeedTicks = 0;
};

} // namespace orlex
