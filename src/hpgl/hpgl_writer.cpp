// HPGL text from streamed points: one command per list of points with the same pen.
#include "hpgl/hpgl_writer.h"

#include "common/number_text.h"
#include "hpgl/classic_reader.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace orlex {

HpglWriter::HpglWriter(HpglNumbers numbers, HpglFrame frame)
    : numbers_(numbers), frame_(frame), out_(frame == HpglFrame::Initialised ? "IN;\n" : "PA;")
{}

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
        const double whole = std::nearbyint(v);
        if (!(std::abs(whole) < kWholeLimit))
            return false;
        written = std::to_chars(text, text + sizeof text, static_cast<long long>(whole));
    }
    if (written.ec != std::errc{} || static_cast<std::size_t>(written.ptr - text) > kMaxCoordinateLength)
        return false;
    out_.append(text, written.ptr);
    return true;
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
        failure_ =
            "The point " + numberText(x) + "," + numberText(y)
            + (numbers_ == HpglNumbers::Exact ? " cannot be written as plain decimals the reader reads back exactly."
                                              : " cannot be written in whole plotter units.");
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

} // namespace orlex
