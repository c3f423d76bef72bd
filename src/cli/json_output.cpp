// Writes the commands' JSON objects: numbers, booleans, null and HPGL mnemonics (two
// letters), so no escaping.
#include "cli/json_output.h"

#include <charconv>
#include <cmath>

namespace orlex::cli {

namespace {

class JsonObject {
public:
    JsonObject& add(const char* key, const std::string& value)
    {
        text_ += text_.size() > 1 ? ", \"" : "\"";
        text_ += key;
        text_ += "\": ";
        text_ += value;
        return *this;
    }
    JsonObject& add(const char* key, std::uint64_t value) { return add(key, std::to_string(value)); }
    JsonObject& add(const char* key, int value) { return add(key, std::to_string(value)); }
    JsonObject& add(const char* key, bool value) { return add(key, std::string(value ? "true" : "false")); }
    // Three decimals: a thousandth of a millimetre or of a second.
    JsonObject& add(const char* key, std::optional<double> value)
    {
        if (!value || !std::isfinite(*value))
            return add(key, std::string("null"));
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, 3).ptr;
        return add(key, std::string(buffer, end));
    }
    std::string text() const { return text_ + "}"; }

private:
    std::string text_ = "{";
};

std::string limit(const std::optional<std::int16_t>& mm)
{
    return mm ? std::to_string(*mm) : "null";
}

void addExtents(JsonObject& json, const PlotExtents& e)
{
    json.add("min_x_mm", int{e.minXmm})
        .add("min_y_mm", int{e.minYmm})
        .add("max_x_mm", int{e.maxXmm})
        .add("max_y_mm", int{e.maxYmm});
}

void addFigures(JsonObject& json, const PlotTest& outcome, double clockHz)
{
    const PlotStatistics& s = outcome.statistics;
    json.add("estimated_seconds", estimateAtClock(outcome, clockHz))
        .add("pen_down_mm", std::optional(atZoom(s.penDownMillimetres, outcome)))
        .add("pen_up_mm", std::optional(atZoom(s.penUpMillimetres, outcome)))
        .add("pen_lifts", s.penLifts);
}

} // namespace

double atZoom(double millimetres, const PlotTest& check)
{
    return millimetres * check.zoom / 100.0;
}

namespace {

// The keys of test (with the commands the classic reading ignored), and of stat with
// `strokes`, in the order the help lists them.
std::string checkJson(const PlotTest& outcome, double clockHz, bool strokes, const ClassicIgnoredCommands* ignored)
{
    const ReadResult& r = outcome.run;
    JsonObject json;
    addExtents(json, outcome.extents);
    json.add("max_x_limit_mm", limit(outcome.limitX))
        .add("max_y_limit_mm", limit(outcome.limitY))
        .add("fits", outcome.fits())
        .add("beeps", r.beeps)
        .add("end_of_file_caption", r.endOfFileCaption)
        .add("skipped_pairs", r.skippedPairs)
        .add("points", r.points);
    if (strokes)
        json.add("strokes", outcome.statistics.strokes);
    json.add("out_of_range", outcome.box.outOfRange)
        .add("steps_out_of_range", outcome.verdict == PlotTest::Verdict::BeyondSteps);
    addFigures(json, outcome, clockHz);
    if (ignored) {
        std::string list = "[";
        for (const auto& [command, count] : ignored->counts)
            list += (list.size() > 1 ? ", " : "")
                    + JsonObject().add("command", "\"" + command + "\"").add("count", count).text();
        json.add("ignored_commands", list + "]");
    }
    return json.text();
}

} // namespace

std::string testJson(const PlotTest& outcome, double clockHz, const ClassicIgnoredCommands& ignored)
{
    return checkJson(outcome, clockHz, false, &ignored);
}

std::string statJson(const PlotTest& outcome, double clockHz)
{
    return checkJson(outcome, clockHz, true, nullptr);
}

std::string optimizeJson(const OptimizeFigures& f)
{
    std::optional<double> saved;
    if (f.secondsBefore && f.secondsAfter)
        saved = *f.secondsBefore - *f.secondsAfter;
    JsonObject json;
    json.add("pen_up_mm_before", std::optional(f.travel.before.penUpMillimetres))
        .add("pen_up_mm_after", std::optional(f.travel.after.penUpMillimetres))
        .add("pen_lifts_before", f.travel.before.penLifts)
        .add("pen_lifts_after", f.travel.after.penLifts)
        .add("estimated_seconds_before", f.secondsBefore)
        .add("estimated_seconds_after", f.secondsAfter)
        .add("seconds_saved", saved);
    if (!f.lineWork.empty()) {
        std::string steps = "[";
        for (const LineStepChange& c : f.lineWork) {
            constexpr const char* kNames[] = {"\"hide_covered\"", "\"dedupe\"", "\"merge\"", "\"simplify\""};
            JsonObject step;
            step.add("step", std::string(kNames[static_cast<int>(c.step)]))
                .add("tolerance_mm", c.step == LineStep::HideCovered ? std::nullopt : std::optional(c.toleranceMm))
                .add("count", c.count)
                .add("length_mm", std::optional(c.lengthMm))
                .add("pen_lifts_before", c.before.penLifts)
                .add("pen_lifts_after", c.after.penLifts)
                .add("segments_before", c.before.segments)
                .add("segments_after", c.after.segments)
                .add("points_before", c.before.points)
                .add("points_after", c.after.points)
                .add("pen_down_mm_before", std::optional(c.before.penDownMm))
                .add("pen_down_mm_after", std::optional(c.after.penDownMm))
                .add("estimated_seconds_before", c.before.seconds)
                .add("estimated_seconds_after", c.after.seconds);
            steps += (steps.size() > 1 ? ", " : "") + step.text();
        }
        json.add("line_work", steps + "]");
    }
    return json.text();
}

} // namespace orlex::cli
