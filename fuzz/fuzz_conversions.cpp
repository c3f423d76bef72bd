// Fuzz target: the number conversions with arbitrary text. Nothing may crash, and the
// conversions must agree with each other.
#include "fuzz_support.h"

#include "drive/line_steps.h"
#include "preview/zoom.h"
#include "settings/conversions.h"

#include <cmath>
#include <cstring>
#include <string_view>

using namespace orlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // First byte: decimal separator, step mode and zoom for the step conversion.
    const std::uint8_t control = data[0];
    const char separator = (control & 1) ? ',' : '.';
    const bool half = (control & 2) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto number = toNumber(text, separator);
    if (number)
        ORLEX_FUZZ_CHECK(!std::isnan(*number));
    const auto whole = toInt16(text, separator);
    ORLEX_FUZZ_CHECK(whole == (number ? roundToInt16(*number) : std::nullopt));
    if (whole)
        ORLEX_FUZZ_CHECK(std::fabs(*number - *whole) <= 0.5);

    // The locale here is "C", so the locale forms use '.'.
    const auto pointNumber = toNumber(text, '.');
    const auto localeNumber = toNumber(text);
    ORLEX_FUZZ_CHECK(localeNumber.has_value() == pointNumber.has_value());
    if (localeNumber)
        ORLEX_FUZZ_CHECK(*localeNumber == *pointNumber);
    ORLEX_FUZZ_CHECK(toInt16(text) == toInt16(text, '.'));

    const auto address = toPortAddress(text);
    if (address) {
        ORLEX_FUZZ_CHECK(localeNumber.has_value());
        ORLEX_FUZZ_CHECK(roundHalfEven(*localeNumber) == *address);
    } else if (localeNumber) {
        const double r = roundHalfEven(*localeNumber);
        ORLEX_FUZZ_CHECK(!(r >= 0 && r <= 65535));
    }

    const auto zoom = zoomFromText(text);
    if (zoom)
        ORLEX_FUZZ_CHECK(*zoom >= 1 && *zoom <= 400);

    // Half to even: nearbyint in the default rounding mode.
    if (number && std::isfinite(*number))
        ORLEX_FUZZ_CHECK(roundHalfEven(*number) == std::nearbyint(*number));

    // The text's number as a step length, with a coordinate taken from the first bytes.
    double units = 0;
    if (size >= 9)
        std::memcpy(&units, data + 1, sizeof units);
    const std::int16_t stepZoom = static_cast<std::int16_t>(1 + control % 200 * 2);
    const double stepLength = localeNumber.value_or(0);
    const StepConversion steps = unitsToSteps(units, stepLength, half, stepZoom);
    if (steps.refusal == MoveRefusal::None) {
        ORLEX_FUZZ_CHECK(std::isfinite(units));
        ORLEX_FUZZ_CHECK(stepLength > 0);
        ORLEX_FUZZ_CHECK(steps.reason.empty());
    } else {
        ORLEX_FUZZ_CHECK(!steps.reason.empty());
    }
    if (!(stepLength > 0))
        ORLEX_FUZZ_CHECK(steps.refusal == MoveRefusal::ZeroStepLength);

    // Whole numbers in range convert both ways.
    if (whole) {
        const std::string back = std::to_string(*whole);
        ORLEX_FUZZ_CHECK(toInt16(back, separator) == whole);
    }
    return 0;
}
