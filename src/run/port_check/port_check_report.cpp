// The port check as one report: its heading, its sections and the count at the end.
#include "drive/ports/port_text.h"
#include "run/port_check/port_check.h"

#include <algorithm>

namespace orlex {

namespace {

std::string section(const char* title, const std::vector<Finding>& findings)
{
    return findings.empty() ? "" : "\n" + std::string(title) + "\n" + reportText(findings);
}

std::string counted(long n, const char* one)
{
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

} // namespace

std::vector<Finding> PortCheckReport::all() const
{
    std::vector<Finding> findings = port;
    findings.insert(findings.end(), realTime.begin(), realTime.end());
    findings.insert(findings.end(), measurement.begin(), measurement.end());
    return findings;
}

std::string PortCheckReport::text() const
{
    const std::vector<Finding> findings = all();
    const int problems = problemCount(findings);
    const long notes =
        std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.level == FindingLevel::Note; });
    std::string summary = problems == 0 ? "No problem" : counted(problems, "problem");
    if (notes > 0)
        summary += (problems == 0 ? "; " : ", ") + counted(notes, "note");
    return heading + "\n" + section("What is there", port) + section("Real time", realTime)
           + section("Measurement (nothing moved, every coil off, the pen up)", measurement) + "\n" + summary + "\n";
}

PortCheckReport checkThisPc(const PortCheckSetup& setup)
{
    PortCheckReport report;
    const std::string address =
        " at " + hexAddress(setup.base) + " (line 9 of the settings: " + setup.addressText + ")";
    switch (setup.kind) {
    case PortKind::Ppdev: report.heading = "Port check of the ppdev port" + address; break;
    case PortKind::Direct: report.heading = "Port check of direct port I/O" + address; break;
    case PortKind::Virtual: report.heading = "Port check on the virtual plotter"; break;
    }
    report.port = portFindings(setup);
    report.realTime = realTimeFindings(setup);
    return report;
}

} // namespace orlex
