// Writes the test command's JSON object; only numbers and booleans, so no escaping.
#include "cli/json_output.h"

namespace orlex::cli {

namespace {

void add(std::string& json, const char* key, const std::string& value)
{
    json += json.size() > 1 ? ", \"" : "\"";
    json += key;
    json += "\": ";
    json += value;
}

std::string boolean(bool value)
{
    return value ? "true" : "false";
}

std::string limit(const std::optional<std::int16_t>& mm)
{
    return mm ? std::to_string(*mm) : "null";
}

} // namespace

std::string testJson(const PlotTest& outcome)
{
    const PlotExtents& e = outcome.extents;
    const RunResult& r = outcome.run;
    std::string json = "{";
    add(json, "min_x_mm", std::to_string(e.minXmm));
    add(json, "min_y_mm", std::to_string(e.minYmm));
    add(json, "max_x_mm", std::to_string(e.maxXmm));
    add(json, "max_y_mm", std::to_string(e.maxYmm));
    add(json, "max_x_limit_mm", limit(outcome.limitX));
    add(json, "max_y_limit_mm", limit(outcome.limitY));
    add(json, "fits", boolean(outcome.fits()));
    add(json, "beeps", std::to_string(r.beeps));
    add(json, "end_of_file_caption", boolean(r.endOfFileCaption));
    add(json, "skipped_pairs", std::to_string(r.skippedPairs));
    add(json, "points", std::to_string(r.points));
    add(json, "out_of_range", boolean(r.outOfRange));
    add(json, "steps_out_of_range", boolean(outcome.verdict == PlotTest::Verdict::BeyondSteps));
    json += "}";
    return json;
}

} // namespace orlex::cli
