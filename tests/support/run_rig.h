// A drive on the virtual plotter in virtual time behind a port that records every write,
// with a preview that draws nothing: the machine the shared runs are tested on.
#pragma once

#include "drive/drive.h"
#include "drive/ports/virtual_plotter.h"
#include "preview/preview.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run/preview_sink.h"
#include "test_machine.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace orlex::test {

struct Write {
    Register reg;
    std::uint8_t value;
};

// Passes everything to the plotter, records each write, and can react to one.
class RecordingPort : public Port {
public:
    explicit RecordingPort(Port& inner) : inner_(inner) {}
    void write(Register reg, std::uint8_t value) override
    {
        inner_.write(reg, value);
        writes.push_back({reg, value});
        if (onWrite)
            onWrite(writes.back());
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }

    std::vector<std::uint8_t> values(Register reg) const
    {
        std::vector<std::uint8_t> result;
        for (const Write& w : writes)
            if (w.reg == reg)
                result.push_back(w.value);
        return result;
    }
    std::vector<Write> writes;
    std::function<void(const Write&)> onWrite;

private:
    Port& inner_;
};

inline VirtualPlotterConfig plotterAt(double xMm, double yMm)
{
    VirtualPlotterConfig config;
    config.startXmm = xMm;
    config.startYmm = yMm;
    return config; // Lstep 50: 0.25 mm per half step
}

struct RunRig {
    explicit RunRig(VirtualPlotterConfig config = plotterAt(30, 30)) : plotter(config)
    {
        drive.state.connected = drive.checkPresence();
    }
    ~RunRig()
    {
        for (const std::string& file : files)
            ::unlink(file.c_str());
    }

    // A plot file in the temporary folder, removed with the rig.
    std::string file(const std::string& contents)
    {
        const std::string path =
            (std::filesystem::temp_directory_path()
             / ("orlex_run_" + std::to_string(::getpid()) + "_" + std::to_string(files.size()) + ".plt"))
                .string();
        std::ofstream(path, std::ios::binary) << contents;
        files.push_back(path);
        return path;
    }

    // The check (keeping the plot) and the draw of it at the preview's zoom and step mode.
    PlotTest check(const std::string& path)
    {
        return testPlot(path, settings, {preview.zoom, halfStep, PlotReading::Classic, true});
    }
    DrawReport draw(const std::string& path, PlotExtents extents = {}, DrawPlan plan = {},
                    DrawObserver* observer = nullptr)
    {
        PreviewSink sink(&preview);
        const PlotTest checked = check(path);
        return drawPlot({checked.plot, {extents.minXmm, extents.minYmm}, preview.zoom, halfStep, plan, checked.run},
                        drive, &sink, observer);
    }

    std::vector<std::string> files;
    MachineSettings settings = testMachine();
    NullCanvas canvas;
    Preview preview{canvas, settings};
    VirtualPlotter plotter;
    RecordingPort port{plotter};
    bool halfStep = true;
    Drive drive{port, settings, DriveHooks{[this] { return halfStep; }}};
};

} // namespace orlex::test
