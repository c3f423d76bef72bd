// The simulated plotter: clock line, two steppers decoded from the coil bytes, switches, pen, paper.
#include "drive/ports/virtual_plotter.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace orlex {

namespace {

// Position of each coil nibble in the half-step cycle 1,3,2,6,4,12,8,9; -1 for 0 and for
// patterns no stepper sequence produces (opposite coils together, three or four coils).
// The wave-drive patterns 1,2,4,8 sit at the even positions.
constexpr std::array<int, 16> kCycleIndex = {-1, 0, 2, 1, 4, -1, 3, -1, 6, 7, -1, -1, 5, -1, -1, -1};

constexpr std::uint8_t kFloatingMask = 0x67; // bits 0..2, 5, 6: inputs the plotter leaves open

// Millimetres to 45-degree turns, halves to even; 0 for a meaningless step length.
long toTurns(double mm, double stepMm)
{
    if (!(stepMm > 0) || !std::isfinite(stepMm) || !std::isfinite(mm))
        return 0;
    const double turns = std::nearbyint(mm / stepMm);
    const double limit = 1e12;
    return static_cast<long>(std::fmax(-limit, std::fmin(limit, turns)));
}

} // namespace

std::string lostStepsText(const VirtualPlotterCounters& before, const VirtualPlotterCounters& after)
{
    const long x = after.lostStepsX - before.lostStepsX, y = after.lostStepsY - before.lostStepsY;
    if (x + y <= 0)
        return {};
    const long atEnds = after.endStopsX - before.endStopsX + after.endStopsY - before.endStopsY;
    std::string text = "The virtual plotter lost " + std::to_string(x + y) + (x + y == 1 ? " step" : " steps") + " (X "
                       + std::to_string(x) + ", Y " + std::to_string(y) + ")";
    if (atEnds > 0)
        text += (atEnds == x + y ? std::string(", all") : ", " + std::to_string(atEnds))
                + " of them against an end of travel";
    return text + ": the carriage is not where the program counts it.";
}

VirtualPlotter::VirtualPlotter(VirtualPlotterConfig config) : config_(config), start_(std::chrono::steady_clock::now())
{
    if (!(config_.virtualReadMicros >= 0) || !std::isfinite(config_.virtualReadMicros))
        config_.virtualReadMicros = 0;
    readMicros_ = config_.virtualReadMicros;
    if (config_.clockHz > 0 && std::isfinite(config_.clockHz)) {
        periodMicros_ = 1e6 / config_.clockHz;
        halfPeriodMicros_ = periodMicros_ / 2;
        if (readMicros_ > halfPeriodMicros_) // a half period could pass unseen
            readMicros_ = halfPeriodMicros_ / 2;
    }
    positionX_ = toTurns(config_.startXmm, config_.stepLengthXmm);
    positionY_ = toTurns(config_.startYmm, config_.stepLengthYmm);
    placeEnds();
}

void VirtualPlotter::placeEnds()
{
    endsX_ = {toTurns(-kEndOfTravelMarginMm, config_.stepLengthXmm),
              toTurns(config_.travelXmm + kEndOfTravelMarginMm, config_.stepLengthXmm)};
    endsY_ = {toTurns(-kEndOfTravelMarginMm, config_.stepLengthYmm),
              toTurns(config_.travelYmm + kEndOfTravelMarginMm, config_.stepLengthYmm)};
}

void VirtualPlotter::setStepLengths(double xmm, double ymm)
{
    config_.stepLengthXmm = xmm;
    config_.stepLengthYmm = ymm;
    placeEnds();
    extendable_ = false; // later segments use the new scale
    ++revision_;
}

void VirtualPlotter::setTravel(double xmm, double ymm)
{
    config_.travelXmm = xmm;
    config_.travelYmm = ymm;
    placeEnds();
}

double VirtualPlotter::xMillimetres() const
{
    return positionX_ * config_.stepLengthXmm;
}
double VirtualPlotter::yMillimetres() const
{
    return positionY_ * config_.stepLengthYmm;
}
bool VirtualPlotter::xSwitchClosed() const
{
    return positionX_ <= 0;
}
bool VirtualPlotter::ySwitchClosed() const
{
    return positionY_ <= 0;
}

double VirtualPlotter::nowMicros()
{
    if (config_.realTime)
        counters_.simulatedMicros =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_).count();
    return counters_.simulatedMicros;
}

bool VirtualPlotter::clockHighAt(double micros) const
{
    return clockRunning() && periodMicros_ > 0 && std::fmod(micros, periodMicros_) < periodMicros_ / 2;
}

std::uint8_t VirtualPlotter::statusLines(bool clockHigh) const
{
    return static_cast<std::uint8_t>((clockHigh ? kClockLine : 0) | (positionX_ > 0 ? kXHomeSwitch : 0)
                                     | (positionY_ > 0 ? kYHomeSwitch : 0) | (config_.floatingBits & kFloatingMask));
}

std::uint8_t VirtualPlotter::statusNow()
{
    if (config_.realTime)
        return statusLines(clockHighAt(nowMicros()));
    return statusLines(clockRunning() && phaseMicros_ < halfPeriodMicros_);
}

// A status read: the level now, then (in virtual time) the clock moves on by one read.
// Kept to a few compares and adds, since a draw polls it tens of millions of times.
std::uint8_t VirtualPlotter::readStatus()
{
    if (config_.realTime) {
        // A read takes as long as on a real port, so the presence test spans as long too.
        const auto earliest = lastRead_ + std::chrono::duration<double, std::micro>(kRealTimeReadMicros);
        auto now = std::chrono::steady_clock::now();
        while (now < earliest)
            now = std::chrono::steady_clock::now();
        lastRead_ = now;
        return statusNow();
    }
    const std::uint8_t status = statusLines(clockRunning() && phaseMicros_ < halfPeriodMicros_);
    counters_.simulatedMicros += readMicros_;
    phaseMicros_ += readMicros_;
    if (phaseMicros_ >= periodMicros_) {
        phaseMicros_ -= periodMicros_;
        if (phaseMicros_ >= periodMicros_) // a read longer than a period, or no clock at all
            phaseMicros_ = periodMicros_ > 0 ? std::fmod(phaseMicros_, periodMicros_) : 0;
    }
    return status;
}

void VirtualPlotter::failIfDisconnected(const std::string& call)
{
    if (disconnected())
        throw PortFault(call + " on the virtual plotter failed: its port was disconnected (from write "
                        + std::to_string(config_.failFromWrite) + " on)");
}

std::uint8_t VirtualPlotter::read(Register reg)
{
    if (disconnected())
        failIfDisconnected(std::string("Reading the ") + registerName(reg) + " register");
    switch (reg) {
    case Register::Status: return readStatus();
    case Register::Data: return data_;
    case Register::Control: return control_;
    }
    return 0xFF;
}

void VirtualPlotter::write(Register reg, std::uint8_t value)
{
    ++writes_;
    if (disconnected())
        failIfDisconnected(std::string("Writing the ") + registerName(reg) + " register");
    if (reg == Register::Data) {
        const std::uint8_t old = data_;
        data_ = value;
        const long oldX = positionX_, oldY = positionY_;
        if ((old ^ value) & 0x0F)
            positionX_ += stepMotor(value & 0x0F,
                                    {rotorX_, counters_.stepsX, counters_.lostStepsX, counters_.endStopsX, endsX_, 1},
                                    positionX_);
        // The Y motor is wired so that its cycle run backwards moves the carriage up.
        if ((old ^ value) & 0xF0)
            positionY_ += stepMotor(value >> 4,
                                    {rotorY_, counters_.stepsY, counters_.lostStepsY, counters_.endStopsY, endsY_, -1},
                                    positionY_);
        if (positionX_ != oldX || positionY_ != oldY)
            recordMotion(oldX, oldY);
    } else if (reg == Register::Control) {
        control_ = value;
        const bool down = (value & 1) == 0;
        if (down != penDown_) {
            penDown_ = down;
            ++counters_.penMoves;
            ++revision_;
        }
    }
    if (config_.realTime)
        nowMicros();
    if (feed_ != nullptr)
        publish();
}

void VirtualPlotter::setFeed(VirtualPlotterFeed* feed)
{
    feed_ = feed;
    if (feed_ != nullptr)
        publish();
}

void VirtualPlotter::publish()
{
    VirtualPlotterState state;
    state.xMm = xMillimetres();
    state.yMm = yMillimetres();
    state.xHalfSteps = positionX_;
    state.yHalfSteps = positionY_;
    state.penDown = penDown_;
    state.xSwitchClosed = xSwitchClosed();
    state.ySwitchClosed = ySwitchClosed();
    state.dataLatch = data_;
    state.counters = counters_;
    state.segmentsDrawn = paper_.empty() ? 0 : segmentsDrawn_;
    if (!paper_.empty())
        state.growing = paper_.back();
    feed_->state.store(state);
}

long VirtualPlotter::stepMotor(std::uint8_t newNibble, const Motor& motor, long position)
{
    if (newNibble == 0)
        return 0; // de-energised: the rotor stays where it is
    const int index = kCycleIndex[newNibble];
    if (index < 0) {
        ++motor.lost;
        return 0;
    }
    int distance = (index - motor.rotor + 8) % 8; // -3..4 in 45-degree turns
    if (distance > 4)
        distance -= 8;
    if (distance == 0)
        return 0;
    if (std::abs(distance) > 2) { // 135 or 180 degrees: the rotor cannot follow
        ++motor.lost;
        return 0;
    }
    const long move = motor.wiring * distance;
    motor.rotor = index; // the field's detent: against an end the motor slips into it
    if ((move < 0 && position <= motor.ends.low) || (move > 0 && position >= motor.ends.high)) {
        ++motor.lost; // the carriage stands against the end and stays there
        ++motor.endStops;
        return 0;
    }
    ++motor.steps;
    return move;
}

void VirtualPlotter::recordMotion(long oldX, long oldY)
{
    ++revision_;
    if (!penDown_)
        return;
    long dx = positionX_ - oldX, dy = positionY_ - oldY;
    const long divisor = std::gcd(dx, dy);
    dx /= divisor;
    dy /= divisor;
    const double sx = config_.stepLengthXmm, sy = config_.stepLengthYmm;
    if (extendable_ && !paper_.empty() && segmentEndX_ == oldX && segmentEndY_ == oldY && segmentDx_ == dx
        && segmentDy_ == dy && paper_.back().pen == pen_) {
        paper_.back().x2 = positionX_ * sx;
        paper_.back().y2 = positionY_ * sy;
    } else {
        if (feed_ != nullptr && !paper_.empty() && segmentsDrawn_ > 0)
            feed_->finishedInk.push(paper_.back()); // it can grow no more
        paper_.push_back({oldX * sx, oldY * sy, positionX_ * sx, positionY_ * sy, pen_});
        ++segmentsDrawn_;
        segmentDx_ = dx;
        segmentDy_ = dy;
        extendable_ = true;
    }
    segmentEndX_ = positionX_;
    segmentEndY_ = positionY_;
}

void VirtualPlotter::clearPaper()
{
    paper_.clear();
    extendable_ = false;
    ++revision_;
}

Result<void> VirtualPlotter::writeSvg(const std::filesystem::path& file, double widthMm, double heightMm) const
{
    return writePaperSvg(file, paper_, widthMm, heightMm);
}

} // namespace orlex
