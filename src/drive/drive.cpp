// Register access and the single-step routines stepX / stepY with their coil tables.
#include "drive/drive.h"

#include "settings/conversions.h"

#include <array>
#include <thread>
#include <utility>

namespace orlex {

namespace {

// Coil patterns by phase index 1..8 (half step: one coil, then two neighbours) and
// 1..4 (full step: wave drive, one coil at a time). Y patterns are X patterns * 16.
constexpr std::array<std::int16_t, 8> kHalfStepX{1, 3, 2, 6, 4, 12, 8, 9};
constexpr std::array<std::int16_t, 4> kFullStepX{1, 2, 4, 8};

// Wraps a phase index that left its range by one and returns the X pattern for it.
// Only the two wrap rules apply, so an index left over from the other mode (6 in full
// step) is mapped as those rules say (6 > 4 gives 1), never used out of range.
std::int16_t wrapAndSelect(std::int16_t& phase, bool halfStep)
{
    const std::int16_t last = halfStep ? 8 : 4;
    if (phase > last)
        phase = 1;
    if (phase < 1)
        phase = last;
    return halfStep ? kHalfStepX[phase - 1] : kFullStepX[phase - 1];
}

} // namespace

Drive::Drive(Port& port, const MachineSettings& settings, DriveHooks hooks)
    : port_(&port), settings_(settings), hooks_(std::move(hooks)),
      shareProcessor_(std::thread::hardware_concurrency() < 2)
{}

void Drive::commandCame()
{
    commands_.fetch_add(1, std::memory_order_release);
    commands_.notify_all();
}

void Drive::requestStop()
{
    stopRequested_.store(true, std::memory_order_relaxed);
    commandCame();
}

void Drive::requestPause()
{
    pauseRequested_.store(true, std::memory_order_relaxed);
    commandCame();
}

void Drive::continueAfterPause()
{
    pauseRequested_.store(false, std::memory_order_relaxed);
    commandCame();
}

bool Drive::halfStep() const
{
    if (fixedHalfStep_)
        return *fixedHalfStep_;
    return hooks_.halfStep ? hooks_.halfStep() : true;
}

void Drive::writeData(std::uint8_t value)
{
    port_->write(Register::Data, value);
}

void Drive::writeControl(std::uint8_t value)
{
    port_->write(Register::Control, value);
}

std::uint8_t Drive::readData()
{
    return port_->read(Register::Data);
}

std::uint8_t Drive::readStatus()
{
    return port_->read(Register::Status);
}

void Drive::energiseCoils()
{
    // X patterns use bits 0..3 and Y patterns bits 4..7: the sum is the OR of both.
    writeData(static_cast<std::uint8_t>(state.coilsX + state.coilsY));
}

void Drive::switchCoilsOff()
{
    writeData(kAllCoilsOff);
}

bool Drive::coilsEnergised()
{
    return readData() != kAllCoilsOff;
}

void Drive::penUp()
{
    writeControl(kPenUpControl);
}

void Drive::penDown()
{
    writeControl(kPenDownControl);
}

void Drive::liftPenAndSettle()
{
    penUp();
    waitClockCycles(kPenSettleCycles);
}

Result<void> Drive::makeSafe() noexcept
{
    Result<void> answer;
    for (auto write : {&Drive::penUp, &Drive::switchCoilsOff}) {
        try {
            (this->*write)();
        } catch (const PortFault& failed) {
            if (answer)
                answer = failure(failed.what());
        }
    }
    return answer;
}

std::string portFaultMessage(const Error& fault, const Result<void>& safeEnd)
{
    const std::string ended = fault.message + ". The run has ended";
    if (safeEnd)
        return ended + ": the pen was lifted and the motors switched off.";
    return ended + ", and lifting the pen and switching the motors off failed too (" + safeEnd.message()
           + "): switch the plotter off before you touch it.";
}

void Drive::stepX()
{
    state.phaseX = static_cast<std::int16_t>(state.phaseX + state.directionX);
    state.positionX += state.directionX;
    if (state.carriageKnown)
        state.carriageXmm += state.directionX * stepScale(settings_.stepLengthX, halfStep(), 100).stepMm;
    state.coilsX = wrapAndSelect(state.phaseX, halfStep());
}

void Drive::stepY()
{
    // The Y motor runs its sequence backwards for a positive (upward) direction.
    state.phaseY = static_cast<std::int16_t>(state.phaseY - state.directionY);
    state.positionY += state.directionY;
    if (state.carriageKnown)
        state.carriageYmm += state.directionY * stepScale(settings_.stepLengthY, halfStep(), 100).stepMm;
    state.coilsY = static_cast<std::int16_t>(wrapAndSelect(state.phaseY, halfStep()) * 16);
}

void Drive::jog(char axis, int direction)
{
    if (axis == 'X') {
        state.directionX = direction;
        stepX();
    } else {
        state.directionY = static_cast<std::int16_t>(direction);
        stepY();
    }
    energiseCoils();
}

} // namespace orlex
