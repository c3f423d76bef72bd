// Conversions of setting texts to numbers, and the program-wide rounding rule.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orlex {

// Nearest whole number, halves to the even neighbour (std::nearbyint in the default
// rounding mode): the rounding rule of everything the machine's motion and the preview
// follow (steps, zoom, settings, the preview's points), through here or through
// std::nearbyint directly in the step loops. Two places round otherwise on purpose: the
// SVG import places points with std::round (halves away from zero), as it writes a new
// plot file rather than moving the machine, and texts for people (the command-line
// reports, the status bar's figures) round with std::round or std::lround.
// Inline and without a call into the maths library, since a test run rounds several
// numbers per point: adding 2^52 to a magnitude below 2^52 leaves no fraction bits, so
// the addition itself rounds, to nearest with halves to even; taking 2^52 away again is
// exact. Magnitudes from 2^52 up are whole already, and NaN and infinities pass through.
inline double roundHalfEven(double value)
{
    constexpr double kNoFractionBits = 4503599627370496.0; // 2^52
    const double magnitude = std::fabs(value);
    if (!(magnitude < kNoFractionBits))
        return value;
    return std::copysign((magnitude + kNoFractionBits) - kNoFractionBits, value);
}

// Rounds halves to even and checks the 16-bit signed range; nullopt instead of wrapping
// (also for NaN and infinities).
// -32768.5 rounds to the even -32768 and 32767.5 to 32768, so the values that fit are
// [-32768.5, 32767.5); the comparison also refuses NaN and infinities. In that range adding
// 1.5 * 2^52 lands in [2^52, 2^53), where doubles are whole numbers one apart, so the
// addition rounds halves to even whatever the sign, and the subtraction is exact.
inline std::optional<std::int16_t> roundToInt16(double value)
{
    if (!(value >= -32768.5 && value < 32767.5))
        return std::nullopt;
    constexpr double kRoundingBias = 6755399441055744.0; // 1.5 * 2^52
    return static_cast<std::int16_t>((value + kRoundingBias) - kRoundingBias);
}

// Decimal separator of the user's locale (LC_NUMERIC); '.' when the locale says nothing.
char localeDecimalSeparator();

// A setting text as a number: blanks around it are ignored; accepted are a decimal
// number written with `decimalSeparator` (optional sign) or an "&H" hexadecimal
// integer literal ("&H378" is 888, "&HD010" is 53264). nullopt when it is neither.
std::optional<double> toNumber(std::string_view text, char decimalSeparator);
std::optional<double> toNumber(std::string_view text); // with the locale's separator

// toNumber, then rounded halves to even into -32768..32767; nullopt when the text is
// not a number or the value does not fit.
std::optional<std::int16_t> toInt16(std::string_view text, char decimalSeparator);
std::optional<std::int16_t> toInt16(std::string_view text);

// A port base address: toNumber, rounded, within 0..65535 (16-bit unsigned port number).
std::optional<std::uint16_t> toPortAddress(std::string_view text);

} // namespace orlex
