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

namespace {

// The text of v as `numbers` writes it, in `text`; nullopt when it has none the reader reads.
std::optional<std::string_view> coordinateText(double v, HpglNumbers numbers, char (&text)[400])
{
    if (!std::isfinite(v))
        return std::nullopt;
    std::to_chars_result written{};
    if (numbers == HpglNumbers::Exact) {
        written = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    } else {
        constexpr double kWholeLimit = 9223372036854775807.0; // 2^63: long long holds less
        if (!(std::abs(v) < kWholeLimit))
            return std::nullopt;
        written = std::to_chars(text, text + sizeof text, static_cast<long long>(v));
    }
    if (written.ec != std::errc{} || static_cast<std::size_t>(written.ptr - text) > kMaxCoordinateLength)
        return std::nullopt;
    return std::string_view(text, static_cast<std::size_t>(written.ptr - text));
}

std::string unwritableMessage(double x, double y, HpglNumbers numbers)
{
    return "The point " + numberText(x) + "," + numberText(y)
           + (numbers == HpglNumbers::Exact ? " cannot be written as plain decimals the reader reads back exactly."
                                            : " cannot be written in whole plotter units.");
}

} // namespace

// Appends v as `numbers_` asks; false when it has no text the reader reads.
bool HpglWriter::appendNumber(double v)
{
    char text[400]; // the longest finite double has 309 digits before the point
    const std::optional<std::string_view> written = coordinateText(v, numbers_, text);
    if (written)
        out_ += *written;
    return written.has_value();
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
        failure_ = unwritableMessage(x, y, numbers_);
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

WrittenPlotSink::WrittenPlotSink(PlotSink& out, HpglNumbers numbers, PlotReading reading)
    : out_(out), numbers_(numbers), reading_(reading)
{}

bool WrittenPlotSink::point(double x, double y, Pen pen)
{
    if (failure_)
        return false;
    char text[400];
    if (!coordinateText(x, numbers_, text) || !coordinateText(y, numbers_, text)) {
        failure_ = unwritableMessage(x, y, numbers_);
        return false;
    }
    if (!penChosen_)
        selectPen('1');
    // Whole units are cut toward zero, and "0" reads back as +0.
    auto read = [this](double v) { return numbers_ == HpglNumbers::Exact ? v : std::trunc(v) + 0.0; };
    return out_.point(read(x), read(y), pen);
}

void WrittenPlotSink::selectPen(char pen)
{
    penChosen_ = true;
    out_.selectPen(pen);
}

void WrittenPlotSink::selectPenNumber(int pen)
{
    // The classic reading takes the character after SP; the full reading the number,
    // 0 below 1 and 9 above 9.
    if (reading_ == PlotReading::Classic)
        selectPen(std::to_string(pen).front());
    else
        selectPen(pen <= 0 ? '0' : pen > 9 ? '9' : static_cast<char>('0' + pen));
}

Result<void> WrittenPlotSink::finish() const
{
    if (failure_)
        return failure(*failure_);
    return {};
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
