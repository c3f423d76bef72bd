// Shared fixtures of the interpreter tests: plot files in a temporary folder, a preview on
// a recording canvas, and a drive on the virtual plotter in virtual time.
#pragma once

#include "drive/drive.h"
#include "drive/ports/virtual_plotter.h"
#include "hpgl/interpreter.h"
#include "preview/preview.h"
#include "preview/recording_canvas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
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

// Settings, canvas, preview, virtual plotter and drive as the window wires them.
// Pen-up moves are shown (white), so every executed point leaves a line on the canvas.
struct Rig {
    Rig()
    {
        settings.stepLengthX = 25;
        settings.stepLengthY = 25;
        settings.travelXmm = 150;
        settings.travelYmm = 150;
        settings.originXmm = 0;
        settings.originYmm = 0;
        settings.portAddress = 0x378;
        preview.penUpColour = kWhite;
    }

    static VirtualPlotterConfig plotterConfig()
    {
        VirtualPlotterConfig config;
        config.stepLengthXmm = 25 / 200.0;
        config.stepLengthYmm = 25 / 200.0;
        return config;
    }

    RunResult run(const std::string& path, RunMode mode, RunObserver* observer = nullptr)
    {
        return runPlot(path, mode, preview, drive, observer);
    }
    RunResult test(const std::string& content) { return run(dir.write("plot.plt", content), RunMode::Test); }
    RunResult draw(const std::string& content, RunObserver* observer = nullptr)
    {
        return run(dir.write("plot.plt", content), RunMode::Draw, observer);
    }

    // The executed points, from the canvas (offsets 0, so x = X and y = H - Y at 100 %).
    std::vector<Point> points() const
    {
        std::vector<Point> result;
        for (const RecordedLine& line : canvas.lines)
            result.push_back({static_cast<double>(line.x2), static_cast<double>(canvas.heightTwips() - line.y2),
                              line.colour == kBlack});
        return result;
    }

    TempDir dir;
    MachineSettings settings;
    RecordingCanvas canvas;
    Preview preview{canvas, settings};
    VirtualPlotter plotter{plotterConfig()};
    bool halfStep = true;
    Drive drive{plotter, settings, DriveHooks{{}, [this] { return halfStep; }}};
};

} // namespace orlex::test
