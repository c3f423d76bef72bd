// Conversions of setting texts to numbers: decimal with the locale separator, "&H" hex,
// rounding halves to even, and range checks that report instead of wrapping.
#include "settings/conversions.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <string>

namespace orlex {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "&H" followed by at least one hex digit and nothing else.
std::optional<double> parseHexLiteral(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    double value = 0.0;
    for (char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16.0 + d;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// Optional sign and up to 15 digits: a whole number, exact in a double. It reads the
// same whatever the decimal separator, and needs neither the locale nor from_chars.
std::optional<double> parseWholeNumber(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 15)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    const double v = static_cast<double>(value);
    return negative ? -v : v;
}

// Optional sign, digits, optional separator and digits; at least one digit in all.
std::optional<double> parseDecimal(std::string_view text, char decimalSeparator)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string plain; // the number rewritten with '.' for std::from_chars
    plain.reserve(text.size());
    bool sawSeparator = false;
    bool sawDigit = false;
    for (char c : text) {
        if (isDigit(c)) {
            sawDigit = true;
            plain.push_back(c);
        } else if (c == decimalSeparator && !sawSeparator) {
            sawSeparator = true;
            plain.push_back('.');
        } else {
            return std::nullopt;
        }
    }
    if (!sawDigit)
        return std::nullopt;
    if (plain.front() == '.')
        plain.insert(plain.begin(), '0');

    double value = 0.0;
    const char* first = plain.data();
    const char* last = first + plain.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc{} || end != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace

char localeDecimalSeparator()
{
    const std::lconv* conventions = std::localeconv();
    if (conventions == nullptr || conventions->decimal_point == nullptr || conventions->decimal_point[0] == '\0')
        return '.';
    return conventions->decimal_point[0];
}

std::optional<double> toNumber(std::string_view text, char decimalSeparator)
{
    text = trimBlanks(text);
    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h'))
        return parseHexLiteral(text.substr(2));
    if (const std::optional<double> whole = parseWholeNumber(text))
        return whole;
    return parseDecimal(text, decimalSeparator);
}

std::optional<double> toNumber(std::string_view text)
{
    return toNumber(text, localeDecimalSeparator());
}

std::optional<std::int16_t> toInt16(std::string_view text, char decimalSeparator)
{
    const std::optional<double> number = toNumber(text, decimalSeparator);
    if (!number)
        return std::nullopt;
    return roundToInt16(*number);
}

std::optional<std::int16_t> toInt16(std::string_view text)
{
    const std::optional<double> number = toNumber(text);
    if (!number)
        return std::nullopt;
    return roundToInt16(*number);
}

std::optional<std::uint16_t> toPortAddress(std::string_view text)
{
    const std::optional<double> number = toNumber(text);
    if (!number)
        return std::nullopt;
    const double rounded = roundHalfEven(*number);
    if (rounded < 0.0 || rounded > 65535.0)
        return std::nullopt;
    return static_cast<std::uint16_t>(rounded);
}

} // namespace orlex
