// The draw journal on the command line: what a draw records, the checks of draw --resume,
// and "journal" that shows the record or drops it.
#include "cli/journal_command.h"

#include "cli/cli_settings.h"
#include "cli/exit_codes.h"
#include "cli/test_run.h"
#include "common/number_text.h"

#include <cstdio>
#include <iostream>

namespace orlex::cli {

namespace {

std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else
            out += c;
    }
    return out + "\"";
}

std::string percentText(double percent)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", percent);
    return text;
}

std::string journalJson(const DrawJournal& j)
{
    return "{\"file\": " + jsonText(j.plotPath) + ", \"size\": " + std::to_string(j.plotSize)
           + ", \"hash\": " + jsonText(j.plotHash) + ", \"reading\": " + jsonText(j.reading)
           + ", \"zoom\": " + std::to_string(j.zoom) + ", \"half_step\": " + (j.halfStep ? "true" : "false")
           + ", \"port\": " + jsonText(j.port) + ", \"origin_from_home\": " + (j.originFromHome ? "true" : "false")
           + ", \"points_done\": " + std::to_string(j.pointsDone) + ", \"points\": " + std::to_string(j.points)
           + ", \"resume_point\": " + std::to_string(j.resumePoint())
           + ", \"percent_done\": " + percentText(j.percentDone) + ", \"started\": " + jsonText(j.started) + "}\n";
}

// Reads this port's journal; a bad one is reported (and moved aside) here.
JournalRead readPortJournal(const std::string& port)
{
    const std::filesystem::path file = journalFile(port);
    JournalRead read = readJournal(file);
    if (read.state == JournalRead::State::Bad)
        std::cerr << "orlex-plotter-cli: the draw journal " << file.string() << " cannot be used: " << read.problem
                  << (read.asideAs.empty() ? " It could not be moved aside."
                                           : " It was moved aside to " + read.asideAs.string() + ".")
                  << "\n";
    return read;
}

} // namespace

std::string journalPortName(const CliOptions& options, const MachineSettings& settings)
{
    return journalPortName(options.simulate ? PortKind::Virtual : options.port.value_or(PortKind::Ppdev),
                           settings.portAddress);
}

Result<DrawJournal> journalForDraw(const CliOptions& options, const MachineSettings& settings, const PreparedPlot& plot,
                                   const PlotTest& check)
{
    JournalDrawSetup setup;
    setup.plotFile = options.plotFile;
    if (plot.converted())
        setup.conversion = std::string("text=") + (options.skipText ? "skip" : "stroke")
                           + (options.hideCovered ? ", hide-covered" : "");
    setup.port = journalPortName(options, settings);
    setup.fromHome = options.home || check.needsPenToZero();
    setup.firstPoint = options.fromPoint;
    return orlex::journalForDraw(setup, settings, check);
}

std::optional<int> takeResume(CliOptions& options, const MachineSettings& settings)
{
    const std::string port = journalPortName(options, settings);
    const JournalRead read = readPortJournal(port);
    if (read.state == JournalRead::State::Bad) {
        std::cerr << "orlex-plotter-cli: there is no draw to resume. Nothing was moved.\n";
        return kExitUsage;
    }
    if (read.state == JournalRead::State::None) {
        std::cerr << "orlex-plotter-cli: there is no draw to resume: no draw journal of " << port << " in "
                  << journalFolder().string() << ". Nothing was moved.\n";
        return kExitUsage;
    }
    const DrawJournal& j = read.journal;
    if (!j.originFromHome) {
        std::cerr << "orlex-plotter-cli: the draw of " << j.plotPath
                  << " began where the pen stood, not from home, so its origin cannot be found again and the rest "
                     "cannot be drawn in its place. Draw it again with --home: long plots should always be "
                     "drawn with --home. Nothing was moved.\n";
        return kExitUsage;
    }
    if (options.plotFile.empty())
        options.plotFile = j.plotPath;
    options.fromPoint = j.resumePoint();
    return std::nullopt;
}

std::optional<int> refuseChangedResume(const CliOptions& options, const DrawJournal& now)
{
    const JournalRead read = readJournal(journalFile(now.port));
    if (read.state != JournalRead::State::Kept)
        return kExitUsage; // gone or spoilt since takeResume: nothing to go on from
    const std::vector<std::string> differences = journalDifferences(read.journal, now);
    if (differences.empty())
        return std::nullopt;
    std::cerr << "orlex-plotter-cli: the draw of " << read.journal.plotPath
              << " cannot be resumed: it is not the same draw any more:\n";
    for (const std::string& difference : differences)
        std::cerr << "  " << difference << "\n";
    std::cerr << "Give the options the draw was made with, or discard the journal with: orlex-plotter-cli journal "
                 "--discard"
              << (options.simulate ? " --simulate" : "") << ". Nothing was moved.\n";
    return kExitUsage;
}

std::optional<std::string> unhomedLongDrawNote(const CliOptions& options, const PlotTest& check)
{
    const std::optional<std::string> note =
        orlex::unhomedLongDrawNote(estimateAtClock(check, options.clockHz), options.home || check.needsPenToZero());
    if (!note)
        return std::nullopt;
    return *note + " Draw long plots with --home.";
}

int runJournalCommand(const CliOptions& options)
{
    const CliSettings loaded = loadCliSettings(options.settingsFile);
    if (loaded.error) {
        std::cerr << "orlex-plotter-cli: " << loaded.error->message << "\n";
        return kExitUsage;
    }
    const std::string port = journalPortName(options, loaded.settings);
    const std::filesystem::path file = journalFile(port);
    const JournalRead read = readPortJournal(port);
    if (read.state == JournalRead::State::Bad)
        return kExitUsage;
    if (read.state == JournalRead::State::None) {
        if (options.json)
            std::cout << "{\"journal\": null, \"port\": " << jsonText(port) << "}\n";
        else
            std::cout << "No draw journal of " << port << ": every draw on it ended normally or was discarded.\n";
        return kExitOk;
    }
    const DrawJournal& j = read.journal;
    if (options.discard) {
        std::error_code error;
        std::filesystem::remove(file, error);
        if (error) {
            std::cerr << "orlex-plotter-cli: cannot remove " << file.string() << " (" << error.message() << ").\n";
            return kExitOutputFailed;
        }
        std::cout << "Discarded the journal of the draw of " << j.plotPath << ".\n";
        return kExitOk;
    }
    if (options.json) {
        std::cout << journalJson(j);
        return kExitOk;
    }
    std::cout << journalStoppedText(j) << "\n"
              << "Journal: " << file.string() << "\n";
    if (j.originFromHome)
        std::cout << "To draw the rest: orlex-plotter-cli draw --resume" << (options.simulate ? " --simulate" : "")
                  << (j.zoom != 100 ? " --zoom " + std::to_string(j.zoom) : "")
                  << (j.reading != "classic" ? " --hpgl " + j.reading : "") << (j.halfStep ? "" : " --full-step")
                  << "\n";
    else
        std::cout << "It began where the pen stood, not from home: it cannot be resumed in its place.\n";
    return kExitOk;
}

} // namespace orlex::cli
