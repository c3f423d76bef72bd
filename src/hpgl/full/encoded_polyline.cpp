// The PE decoder (see encoded_polyline.h). A number's digits come least significant first;
// its lowest bit is the sign.
#include "hpgl/full/encoded_polyline.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orlex::fullhpgl {

namespace {

// Enough digits for 60 bits in base 64; more cannot be held.
constexpr int kMaxDigits = 10;

struct Digit {
    int value = -1; // -1: not a digit of the current base
    bool last = false;
};

Digit digitOf(int c, bool sevenBit)
{
    if (sevenBit) {
        if (c >= 63 && c <= 94)
            return {c - 63, false};
        if (c >= 95 && c <= 126)
            return {c - 95, true};
    } else {
        if (c >= 63 && c <= 126)
            return {c - 63, false};
        if (c >= 191 && c <= 254)
            return {c - 191, true};
    }
    return {};
}

class Decoder {
public:
    explicit Decoder(CommandScanner& scanner) : scanner_(scanner) {}

    // The number that starts at `c` (or at the next digit when c < 0); none at ';' or the
    // end, or when it has too many digits. `ended` tells that ';' or the end was met.
    std::optional<std::int64_t> number(int c, bool& ended, bool& tooLong)
    {
        std::uint64_t magnitude = 0;
        int digits = 0;
        for (;; c = -1) {
            if (c < 0)
                c = scanner_.nextByte();
            if (c < 0 || c == ';') {
                ended = true;
                return std::nullopt;
            }
            const Digit d = digitOf(c, sevenBit);
            if (d.value < 0)
                continue; // blanks and line ends between digits
            if (digits < kMaxDigits)
                magnitude |= static_cast<std::uint64_t>(d.value) << ((sevenBit ? 5 : 6) * digits);
            ++digits;
            if (d.last)
                break;
        }
        if (digits > kMaxDigits) {
            tooLong = true;
            return std::nullopt;
        }
        const std::int64_t value = static_cast<std::int64_t>(magnitude >> 1);
        return (magnitude & 1) != 0 ? -value : value;
    }

    bool sevenBit = false;

private:
    CommandScanner& scanner_;
};

} // namespace

bool readEncodedPolyline(CommandScanner& scanner, std::uint64_t& badNumbers,
                         const std::function<bool(const EncodedStep&)>& step)
{
    Decoder decoder(scanner);
    int fractionalBits = 0;
    bool penUp = false, absolute = false;
    for (;;) {
        const int c = scanner.nextByte();
        if (c < 0 || c == ';')
            return true;
        bool ended = false, tooLong = false;
        if (c == '7') {
            decoder.sevenBit = true;
        } else if (c == '<') {
            penUp = true;
        } else if (c == '=') {
            absolute = true;
        } else if (c == '>' || c == ':') {
            const std::optional<std::int64_t> n = decoder.number(-1, ended, tooLong);
            if (n && c == '>')
                fractionalBits = static_cast<int>(std::clamp<std::int64_t>(*n, 0, 52));
            if (n && c == ':' && !step(EncodedStep{EncodedStep::SelectPen, 0, 0, false, false, *n}))
                return false;
        } else if (digitOf(c, decoder.sevenBit).value >= 0) {
            const std::optional<std::int64_t> x = decoder.number(c, ended, tooLong);
            const std::optional<std::int64_t> y = x ? decoder.number(-1, ended, tooLong) : std::nullopt;
            if (x && y) {
                const double unit = std::ldexp(1.0, -fractionalBits);
                if (!step(EncodedStep{EncodedStep::Point, static_cast<double>(*x) * unit,
                                      static_cast<double>(*y) * unit, penUp, absolute, 0}))
                    return false;
                penUp = absolute = false;
            }
        }
        if (tooLong)
            ++badNumbers;
        if (ended)
            return true;
    }
}

} // namespace orlex::fullhpgl
