// SVG output of the virtual plotter's paper: one black line per ink segment.
#include "drive/ports/paper_svg.h"

#include "common/output_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orlex {

namespace {

// A number for the SVG: fixed point, at most 4 decimals, no trailing zeros, locale-free.
std::string svgNumber(double value)
{
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    if (ec != std::errc())
        return "0";
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

} // namespace

std::string paperSvg(const std::vector<PaperSegment>& paper, double widthMm, double heightMm)
{
    if (!(widthMm > 0) || !std::isfinite(widthMm))
        widthMm = 1;
    if (!(heightMm > 0) || !std::isfinite(heightMm))
        heightMm = 1;
    const std::string w = svgNumber(widthMm), h = svgNumber(heightMm);
    std::string svg;
    svg.reserve(400 + paper.size() * 72);
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "mm\" height=\"" + h + "mm\" viewBox=\"0 0 " + w
           + " " + h + "\">\n";
    svg += "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"white\"/>\n";
    svg += "<g fill=\"none\" stroke=\"black\" stroke-width=\"0.3\" stroke-linecap=\"round\">\n";
    // SVG's y axis points down; the plotter's points up from home.
    for (const PaperSegment& s : paper) {
        svg += "<line x1=\"" + svgNumber(s.x1) + "\" y1=\"" + svgNumber(heightMm - s.y1) + "\" x2=\"" + svgNumber(s.x2)
               + "\" y2=\"" + svgNumber(heightMm - s.y2) + "\"/>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

Result<void> writePaperSvg(const std::filesystem::path& file, const std::vector<PaperSegment>& paper, double widthMm,
                           double heightMm)
{
    if (!(widthMm > 0) || !(heightMm > 0) || !std::isfinite(widthMm) || !std::isfinite(heightMm))
        return failure("Cannot write the paper to " + file.string() + ": the paper size must be positive.");
    if (const Result<void> written = writeOutputFile(file, paperSvg(paper, widthMm, heightMm)); !written)
        return failure("Cannot write the paper to " + file.string() + ": " + written.message());
    return {};
}

} // namespace orlex
