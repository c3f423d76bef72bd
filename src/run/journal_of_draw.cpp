// The record of a draw about to run, the texts of a kept journal and the keeper fed from
// the draw's counters: one copy for the window and the command-line tool.
#include "run/journal_of_draw.h"

#include "hpgl/plot_extents.h"
#include "run/carriage_reach.h"

#include <cmath>
#include <cstdio>

namespace orlex {

std::string journalPortName(PortKind kind, std::uint16_t address)
{
    if (kind == PortKind::Virtual)
        return "virtual";
    char text[32];
    std::snprintf(text, sizeof text, "%s-0x%x", kind == PortKind::Direct ? "direct" : "ppdev", address);
    return text;
}

Result<DrawJournal> journalForDraw(const JournalDrawSetup& setup, const MachineSettings& settings,
                                   const PlotTest& check)
{
    // The draw itself draws the plot the check kept in memory.
    const Result<FileDigest> digest = digestOfFile(setup.plotFile);
    if (!digest)
        return digest.error();
    DrawJournal j;
    std::error_code error;
    j.plotPath = std::filesystem::absolute(setup.plotFile, error).lexically_normal().string();
    j.plotSize = digest->size;
    j.plotHash = digest->hash;
    j.reading = check.reading == PlotReading::Full ? "full" : "classic";
    j.zoom = check.zoom;
    j.halfStep = check.halfStep;
    j.settings = journalSettings(settings);
    j.shorterTravel = setup.shorterTravel;
    j.conversion = setup.conversion;
    j.port = setup.port;
    j.originFromHome = setup.fromHome;
    if (j.originFromHome) {
        const CarriageMm origin = penToZeroPoint(check, settings);
        const double perStep = check.halfStep ? 2 : 1;
        j.originStepsX = std::llround(origin.x * 100 * perStep / settings.stepLengthX);
        j.originStepsY = std::llround(origin.y * 100 * perStep / settings.stepLengthY);
    }
    j.pointsDone = setup.firstPoint - 1;
    j.points = check.run.points;
    j.started = journalDateNow();
    return j;
}

std::string journalStoppedText(const DrawJournal& j)
{
    char percent[16];
    std::snprintf(percent, sizeof percent, "%.1f", j.percentDone);
    return "The draw of " + j.plotPath + " stopped at point " + std::to_string(j.resumePoint()) + " of "
           + std::to_string(j.points) + ", " + j.started + ": " + percent + " % of the drawing done";
}

std::optional<std::string> unhomedLongDrawNote(std::optional<double> seconds, bool fromHome)
{
    if (fromHome || !seconds || *seconds <= kLongDrawSeconds)
        return std::nullopt;
    return "Note: this draw of about " + durationText(*seconds)
           + " starts where the pen stands, not from home: if it is cut off, it cannot be resumed in its place.";
}

void pollJournal(JournalKeeper& keeper, const DrawMonitor& monitor)
{
    keeper.poll(monitor.pointsDone(), monitor.penLifts(), monitor.progress().fraction() * 100,
                JournalKeeper::Clock::now());
}

void endJournal(JournalKeeper& keeper, bool finished, std::uint64_t stoppedAtPoint, std::uint64_t firstPoint,
                double percent)
{
    keeper.end(finished, stoppedAtPoint != 0 ? stoppedAtPoint - 1 : firstPoint - 1, percent);
}

} // namespace orlex
