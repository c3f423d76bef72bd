// HPGL text from plot events or streamed points, one command per pen-up point and per
// pen-down run.
#include "plan/hpgl_writer.h"

#include "common/number_text.h"
#include "hpgl/classic_reader.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orlex {

HpglWriter::HpglWriter(HpglNumbers numbers) : numbers_(numbers) {}

// Appends v as `numbers_` asks; false when it has no text the reader reads.
bool HpglWriter::appendNumber(double v)
{
    if (!std::isfinite(v))
        return false;
    char text[400]; // the longest finite double has 309 digits before the point
    std::to_chars_result written{};
    if (numbers_ == HpglNumbers::Exact) {
        written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    } else {
        constexpr double kWholeLimit = 9223372036854775807.0; // 2^63: long long holds less
        if (!(std::abs(v) < kWholeLimit))
            return false;
        written = std::to_chars(text, text + sizeof text, static_cast<long long>(v));
    }
    if (written.ec != std::errc{} || static_cast<std::size_t>(written.ptr - text) > kMaxCoordinateLength)
        return false;
    out_.append(text, written.ptr);
    return true;
}

bool HpglWriter::point(double x, double y, Pen pen)
{
    if (failure_)
        return false;
    if (!penChosen_) {
        out_ += "SP1;\n";
        penChosen_ = true;
    }
    if (pen == Pen::Down) {
        out_ += inDownList_ ? "," : "PD";
        inDownList_ = true;
    } else {
        if (inDownList_)
            out_ += ";\n";
        inDownList_ = false;
        out_ += "PU";
    }
    bool written = appendNumber(x);
    if (written) {
        out_ += ',';
        written = appendNumber(y);
    }
    if (!written) {
        failure_ =
            "The point " + numberText(x) + "," + numberText(y)
            + (numbers_ == HpglNumbers::Exact ? " cannot be written as plain decimals the reader reads back exactly."
                                              : " cannot be written in whole plotter units.");
        return false;
    }
    if (pen == Pen::Up)
        out_ += ';';
    return true;
}

void HpglWriter::beginSelectPen()
{
    if (inDownList_)
        out_ += ";\n";
    inDownList_ = false;
    penChosen_ = true;
    out_ += "SP";
}

void HpglWriter::selectPen(char pen)
{
    beginSelectPen();
    out_ += pen;
    out_ += ";\n";
}

void HpglWriter::selectPenNumber(int pen)
{
    beginSelectPen();
    out_ += std::to_string(pen);
    out_ += ";\n";
}

Result<std::string> HpglWriter::finish()
{
    if (failure_)
        return failure(*failure_);
    if (inDownList_)
        out_ += ";\n";
    inDownList_ = false;
    out_ += "PU;\n";
    return std::move(out_);
}

Result<std::string> writeHpgl(const PlotEvents& events, HpglNumbers numbers)
{
    HpglWriter writer(numbers);
    for (const PlotEvent& event : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&event)) {
            writer.selectPen(sp->pen);
        } else {
            const PlotPoint& p = std::get<PlotPoint>(event);
            if (!writer.point(p.x, p.y, p.penDown ? Pen::Down : Pen::Up))
                break;
        }
    }
    return writer.finish();
}

Result<std::string> writeHpgl(const OrderedPlot& plot)
{
    return writeHpgl(strokeEvents(plot.groups));
}

} // namespace orlex
