// Which zoom texts are valid: a decimal number ('.' as the point) from 1 to 400.
#include "preview/zoom.h"

#include "settings/conversions.h"

#include <charconv>

namespace orlex {

std::optional<std::int16_t> zoomFromText(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;

    double value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::fixed);
    if (error != std::errc{} || end != last)
        return std::nullopt;
    if (!(value >= 1.0 && value <= 400.0)) // also rejects NaN
        return std::nullopt;
    return static_cast<std::int16_t>(roundHalfEven(value));
}

} // namespace orlex
