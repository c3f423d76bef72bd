// HPGL text from plot events, one command per pen-up point and per pen-down run.
#include "plan/hpgl_writer.h"

#include "common/number_text.h"
#include "hpgl/classic_reader.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orlex {

namespace {

// Appends the shortest fixed form of v that reads back as v; false when there is none
// the reader reads.
bool appendNumber(std::string& out, double v)
{
    if (!std::isfinite(v))
        return false;
    char text[400]; // the longest finite double has 309 digits before the point
    const auto [end, error] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    if (error != std::errc{} || static_cast<std::size_t>(end - text) > kMaxCoordinateLength)
        return false;
    out.append(text, end);
    return true;
}

bool appendPair(std::string& out, double x, double y)
{
    if (!appendNumber(out, x))
        return false;
    out += ',';
    return appendNumber(out, y);
}

} // namespace

Result<std::string> writeHpgl(const PlotEvents& events)
{
    std::string out = "IN;\n";
    bool penChosen = false;
    bool inDownList = false; // a "PD" list is open
    const auto closeList = [&] {
        if (inDownList)
            out += ";\n";
        inDownList = false;
    };

    for (const PlotEvent& event : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&event)) {
            closeList();
            out += "SP";
            out += sp->pen;
            out += ";\n";
            penChosen = true;
            continue;
        }
        const PlotPoint& p = std::get<PlotPoint>(event);
        if (!penChosen) {
            out += "SP1;\n";
            penChosen = true;
        }
        if (p.penDown) {
            out += inDownList ? "," : "PD";
            inDownList = true;
        } else {
            closeList();
            out += "PU";
        }
        if (!appendPair(out, p.x, p.y))
            return failure("The point " + numberText(p.x) + "," + numberText(p.y)
                           + " cannot be written as plain decimals the reader reads back exactly.");
        if (!p.penDown)
            out += ';';
    }
    closeList();
    out += "PU;\n";
    return out;
}

Result<std::string> writeHpgl(const OrderedPlot& plot)
{
    return writeHpgl(strokeEvents(plot.groups));
}

} // namespace orlex
