// Rules of the zoom text box: which texts are a valid zoom.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orlex {

inline constexpr std::int16_t kDefaultZoom = 100;

// The zoom a text gives when it is a number from 1 to 400 (rounded halves to even:
// "12.5" gives 12); nullopt for anything else ("0", "401", "4a"), which resets to 100.
std::optional<std::int16_t> zoomFromText(std::string_view text);

} // namespace orlex
