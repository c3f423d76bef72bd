// Shared fixtures of the reader tests: plot files in a temporary folder, a preview on a
// recording canvas, a drive on the virtual plotter in virtual time, and the reader wired
// to the sinks of a check or of the carriage, with what they found in one record.
#pragma once

#include "drive/drive.h"
#include "drive/ports/virtual_plotter.h"
#include "hpgl/classic_reader.h"
#include "hpgl/plot_extents.h"
#include "plan/draw_time.h"
#include "preview/preview.h"
#include "preview/recording_canvas.h"
#include "run/draw_sink.h"
#include "run/preview_sink.h"
#include "test_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace orlex::test {

// A point as the interpreter executed it, read back from the preview's lines.
struct Point {
    double x, y;
    bool down;
    bool operator==(const Point&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Point& p)
{
    return os << "(" << p.x << "," << p.y << (p.down ? ",PD)" : ",PU)");
}

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("orlex_hpgl_") + (info ? info->name() : "test");
        for (char& c : name)
            if (c == '/')
                c = '_';
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

    std::string write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

enum class RunMode { Test, Draw };

// The reading and what its sinks found: the check's box and step count, or the carriage's end.
struct RunResult : ReadResult {
    std::int16_t minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool outOfRange = false;
    std::uint64_t stepOutputs = 0, penCommands = 0;
    bool estimateValid = true;
    double minStepsX = 0, maxStepsX = 0, minStepsY = 0, maxStepsY = 0;
    MoveResult refusal;
    double refusedX = 0, refusedY = 0;
};

// A check (preview, extents, step count) or a draw (preview, carriage) of one file, at the
// preview's zoom and the drive's step mode; `observer` comes last and may stop the reading.
inline RunResult runPlot(const std::string& path, RunMode mode, Preview& preview, Drive& drive,
                         PlotSink* observer = nullptr)
{
    PreviewSink previewSink(&preview);
    ExtentsSink extents;
    StepCountSink steps({drive.settings().stepLengthX, drive.settings().stepLengthY}, drive.halfStep(), preview.zoom);
    DrawSink carriage(drive, drive.scaleAt(preview.zoom), 1, {});
    const bool test = mode == RunMode::Test;
    SinkFan sinks{&previewSink, test ? static_cast<PlotSink*>(&extents) : &carriage, test ? &steps : nullptr, observer};
    RunResult r;
    static_cast<ReadResult&>(r) = readClassicPlot(path, sinks);
    const PlotBox& box = extents.box();
    std::tie(r.minX, r.minY, r.maxX, r.maxY, r.outOfRange) =
        std::tie(box.minX, box.minY, box.maxX, box.maxY, box.outOfRange);
    const DrawCounts& c = steps.counts();
    std::tie(r.stepOutputs, r.penCommands, r.estimateValid) = std::tie(c.stepOutputs, c.penCommands, c.valid);
    std::tie(r.minStepsX, r.maxStepsX, r.minStepsY, r.maxStepsY) =
        std::tie(c.minStepsX, c.maxStepsX, c.minStepsY, c.maxStepsY);
    std::tie(r.refusal, r.refusedX, r.refusedY) = std::tie(carriage.refusal, carriage.refusedX, carriage.refusedY);
    return r;
}

// Settings, canvas, preview, virtual plotter and drive as the window wires them.
// Pen-up moves are shown (white), so every executed point leaves a line on the canvas.
struct Rig {
    Rig() { preview.penUpColour = kWhite; }

    static VirtualPlotterConfig plotterConfig()
    {
        VirtualPlotterConfig config;
        config.stepLengthXmm = 25 / 200.0;
        config.stepLengthYmm = 25 / 200.0;
        return config;
    }

    RunResult run(const std::string& path, RunMode mode, PlotSink* observer = nullptr)
    {
        return runPlot(path, mode, preview, drive, observer);
    }
    RunResult test(const std::string& content) { return run(dir.write("plot.plt", content), RunMode::Test); }
    RunResult draw(const std::string& content, PlotSink* observer = nullptr)
    {
        return run(dir.write("plot.plt", content), RunMode::Draw, observer);
    }

    // The executed points, from the canvas (offsets 0, so x = X and y = H - Y at 100 %).
    std::vector<Point> points() const
    {
        std::vector<Point> result;
        for (const RecordedLine& line : canvas.lines)
            result.push_back({static_cast<double>(line.x2), static_cast<double>(canvas.heightUnits() - line.y2),
                              line.colour == kBlack});
        return result;
    }

    TempDir dir;
    MachineSettings settings = testMachine(25, 0);
    RecordingCanvas canvas;
    Preview preview{canvas, settings};
    VirtualPlotter plotter{plotterConfig()};
    bool halfStep = true;
    Drive drive{plotter, settings, DriveHooks{[this] { return halfStep; }}};
};

} // namespace orlex::test

namespace orlex {
using test::RunMode;
using test::runPlot;
using test::RunResult;
} // namespace orlex
