// Conversions of setting texts to numbers, and the program-wide rounding rule.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orlex {

// Nearest whole number, halves to the even neighbour (std::nearbyint in the default
// rounding mode): the program's rounding rule, which every conversion to a whole number
// follows, through here or through std::nearbyint directly in the step loops.
double roundHalfEven(double value);

// Rounds halves to even and checks the 16-bit signed range; nullopt instead of wrapping
// (also for NaN and infinities).
std::optional<std::int16_t> roundToInt16(double value);

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
