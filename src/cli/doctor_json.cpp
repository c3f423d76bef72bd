// Writes the port check's JSON: its texts escaped as JSON strings, its figures as numbers.
#include "cli/doctor_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace orlex::cli {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c; // UTF-8 passes as it is
            }
        }
    }
    return out + "\"";
}

// Three decimals; null for what is not a finite number.
std::string number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, 3).ptr;
    return std::string(buffer, end);
}

std::string boolean(std::optional<bool> value)
{
    return value ? (*value ? "true" : "false") : "null";
}

void addFindings(std::string& json, const char* section, const std::vector<Finding>& findings)
{
    for (const Finding& f : findings) {
        json += json.back() == '[' ? "" : ", ";
        json += "{\"section\": " + quoted(section) + ", \"level\": " + quoted(levelName(f.level))
                + ", \"topic\": " + quoted(f.topic) + ", \"text\": " + quoted(f.text) + ", \"fix\": [";
        for (std::size_t i = 0; i < f.fix.size(); ++i)
            json += (i == 0 ? "" : ", ") + quoted(f.fix[i]);
        json += "]}";
    }
}

std::string measurementJson(const ClockMeasurement& m)
{
    return "{\"seconds\": " + number(m.spanMicros / 1e6) + ", \"reads\": " + std::to_string(m.reads)
           + ", \"read_median_us\": " + number(m.readMedianMicros) + ", \"read_p999_us\": " + number(m.readP999Micros)
           + ", \"gap_p999_us\": " + number(m.gapP999Micros) + ", \"longest_gap_us\": " + number(m.longestGapMicros)
           + ", \"clock_hz\": " + number(m.clockHz) + ", \"half_periods\": " + std::to_string(m.halfPeriods)
           + ", \"half_period_median_us\": " + number(m.halfPeriodMedianMicros) + ", \"half_period_p001_us\": "
           + number(m.halfPeriodP001Micros) + ", \"half_period_p999_us\": " + number(m.halfPeriodP999Micros)
           + ", \"missed_edges\": " + std::to_string(m.missedEdges) + ", \"shorter_phase_us\": "
           + number(m.shorterPhaseMicros) + ", \"fastest_clock_hz\": " + number(m.fastestClockHz())
           + ", \"follows_the_clock\": " + boolean(m.clockHz ? std::optional(m.followsTheClock()) : std::nullopt)
           + ", \"stopped\": " + boolean(m.stopped) + "}";
}

} // namespace

std::string doctorJson(const DoctorOutcome& outcome)
{
    const std::vector<Finding> all = outcome.report.all();
    long notes = 0;
    for (const Finding& f : all)
        notes += f.level == FindingLevel::Note;
    std::string json = "{\"heading\": " + quoted(outcome.report.heading)
                       + ", \"problems\": " + std::to_string(problemCount(all))
                       + ", \"notes\": " + std::to_string(notes) + ", \"port_opened\": " + boolean(outcome.portOpened)
                       + ", \"plotter_answers\": " + boolean(outcome.plotterAnswers) + ", \"findings\": [";
    addFindings(json, "port", outcome.report.port);
    addFindings(json, "real_time", outcome.report.realTime);
    addFindings(json, "measurement", outcome.report.measurement);
    json += "], \"measurement\": " + (outcome.measurement ? measurementJson(*outcome.measurement) : "null") + "}";
    return json;
}

} // namespace orlex::cli
