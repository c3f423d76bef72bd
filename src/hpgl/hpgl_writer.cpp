// HPGL text from streamed points: one command per list of points with the same pen.
#include "hpgl/hpgl_writer.h"

#include "common/number_text.h"
#include "hpgl/classic_reader.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace orlex {

HpglWriter::HpglWriter(HpglNumbers numbers, HpglFrame frame)
    : numbers_(numbers), frame_(frame), out_(frame == HpglFrame::Initialised ? "IN;\n" : "PA;")
{}

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
        const double whole = std::nearbyint(v);
        if (!(std::abs(whole) < kWholeLimit))
            return std::nullopt;
        written = std::to_chars(text, text + sizeof text, static_cast<long long>(whole));
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

void HpglWriter::closeList()
{
    if (list_ != 0)
        out_ += ";\n";
    list_ = 0;
}

bool HpglWriter::point(double x, double y, Pen pen)
{
    if (failure_)
        return false;
    if (!penChosen_ && frame_ == HpglFrame::Initialised)
        out_ += "SP1;\n";
    penChosen_ = true;
    const char list = pen == Pen::Down ? 'D' : 'U';
    if (list == list_) {
        out_ += ',';
    } else {
        closeList();
        out_ += 'P';
        out_ += list;
        list_ = list;
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
    if (pen == Pen::Up && frame_ == HpglFrame::Initialised) {
        out_ += ';'; // each pen-up point its own command, the next one on the same line
        list_ = 0;
    }
    return true;
}

void HpglWriter::beginSelectPen()
{
    closeList();
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

std::string HpglWriter::take()
{
    std::string taken;
    taken.swap(out_);
    return taken;
}

Result<std::string> HpglWriter::finish()
{
    if (failure_)
        return failure(*failure_);
    closeList();
    if (frame_ == HpglFrame::Initialised)
        out_ += "PU;\n";
    return take();
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
    // Whole units are rounded half to even, and "0" reads back as +0.
    auto read = [this](double v) { return numbers_ == HpglNumbers::Exact ? v : std::nearbyint(v) + 0.0; };
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

} // namespace orlex
