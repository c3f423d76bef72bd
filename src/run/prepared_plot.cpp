// Preparing the chosen file for a run: SVG conversion and the shorter pen-up order,
// written to files that have no name.
#include "run/prepared_plot.h"

#include "common/write_all.h"
#include "hpgl/binary_data.h"
#include "hpgl/classic_reader.h"
#include "hpgl/full/full_reader.h"
#include "plan/hpgl_writer.h"
#include "plan/plot_reader.h"
#include "plan/strokes.h"
#include "run/covered_drawing.h"
#include "run/plot_test.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace orlex {

UnnamedFile::UnnamedFile(UnnamedFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UnnamedFile& UnnamedFile::operator=(UnnamedFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UnnamedFile::~UnnamedFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

Result<int> newUnnamedFile()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    std::string name = ((error ? std::filesystem::path("/tmp") : folder) / "orlex-plotter-XXXXXX.plt").string();
    const int fd = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return failure("Cannot create a temporary file for the prepared plot: " + std::string(std::strerror(errno))
                       + ".");
    ::unlink(name.c_str()); // from here on nothing is left behind, however the process ends
    return fd;
}

} // namespace

Result<UnnamedFile> UnnamedFile::copyOf(const std::string& path)
{
    if (const Result<void> readable = checkPlotReadable(path); !readable)
        return readable.error();
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return failure("Cannot open \"" + path + "\": " + std::strerror(errno) + ".");
    Result<int> fd = newUnnamedFile();
    if (!fd) {
        ::close(in);
        return fd.error();
    }
    UnnamedFile file;
    file.fd_ = *fd;
    std::string block(1 << 16, '\0');
    for (;;) {
        const ssize_t got = ::read(in, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(in);
            return failure("Cannot read \"" + path + "\": " + std::strerror(error) + ".");
        }
        if (got == 0)
            break;
        if (!writeAll(file.fd_, std::string_view(block.data(), static_cast<std::size_t>(got)))) {
            const int error = errno;
            ::close(in);
            return failure("Cannot copy the plot to a temporary file: " + std::string(std::strerror(error)) + ".");
        }
    }
    ::close(in);
    return file;
}

Result<UnnamedFile> UnnamedFile::write(const std::string& bytes)
{
    Result<int> fd = newUnnamedFile();
    if (!fd)
        return fd.error();
    UnnamedFile file;
    file.fd_ = *fd;
    if (!writeAll(file.fd_, bytes))
        return failure("Cannot write the prepared plot to a temporary file: " + std::string(std::strerror(errno))
                       + ".");
    return file;
}

std::string UnnamedFile::path() const
{
    return fd_ < 0 ? std::string() : "/proc/self/fd/" + std::to_string(fd_);
}

Result<std::string> drawingHpgl(const SvgDrawing& drawing)
{
    HpglWriter writer(HpglNumbers::WholeUnits);
    int pen = 0;
    for (const PlotStroke& stroke : drawing.strokes) {
        if (stroke.points.empty())
            continue;
        if (stroke.pen != pen) {
            pen = stroke.pen;
            writer.selectPenNumber(pen);
        }
        for (std::size_t i = 0; i < stroke.points.size(); ++i)
            if (!writer.point(stroke.points[i].first, stroke.points[i].second, i == 0 ? Pen::Up : Pen::Down))
                return writer.finish();
    }
    return writer.finish();
}

Result<ReorderedHpgl> reorderedHpgl(const std::string& plotFile, const ReorderOptions& order, PlotReading reading,
                                    const FullHpglOptions& fullOptions, const LineWorkRequest& lineWork)
{
    Result<ReadPlot> read = readPlotEvents(plotFile, reading, fullOptions, order.work);
    if (!read)
        return read.error();
    const TravelChange unchanged{computeStatistics(read->events), {}};
    if (unchanged.before.points == 0)
        return failure(
            notAPlotMessage(plotFile, reading == PlotReading::Classic && drawsOnlyLabels(plotFile, fullOptions)));
    if (order.work)
        order.work->enter(WorkSignals::Stage::Ordering);
    std::vector<StrokeGroup> groups = splitStrokes(read->events);
    std::vector<LineStepChange> steps = applyLineWork(groups, lineWork.options, lineWork.timing);
    OrderedPlot plot;
    if (lineWork.reorderStrokes)
        plot = reorder(groups, order);
    else
        plot.groups = std::move(groups);
    if (plot.cancelled)
        return failure("cancelled", Error::Kind::Cancelled);
    if (order.work)
        order.work->enter(WorkSignals::Stage::Writing);
    const PlotEvents events = strokeEvents(plot.groups);
    Result<std::string> hpgl = writeHpgl(events);
    if (!hpgl)
        return hpgl.error();
    return ReorderedHpgl{std::move(*hpgl), TravelChange{unchanged.before, computeStatistics(events)},
                         std::move(read->notes), std::move(steps)};
}

Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation)
{
    PreparedPlot prepared;
    prepared.path_ = chosen;
    const bool svgDrawing = !chosen.empty() && svg.isSvgFile(chosen);
    if (preparation.keepCopy && !svgDrawing && checkPlotReadable(chosen)) {
        // One reading of the file's bytes for the whole run: the census, the test, a
        // reordering and the draw all read this copy.
        Result<UnnamedFile> copy = UnnamedFile::copyOf(chosen);
        if (!copy)
            return copy.error();
        prepared.file_ = std::move(*copy);
        prepared.path_ = prepared.file_.path();
    }
    if (svgDrawing) {
        if (preparation.work)
            preparation.work->enter(WorkSignals::Stage::Converting);
        SvgImportOptions options = preparation.svg;
        options.keepFillOutlines = preparation.hideCovered;
        Result<SvgDrawing> drawing = svg.importSvg(chosen, options);
        if (!drawing)
            return drawing.error();
        if (preparation.hideCovered) {
            const Result<LineStepChange> hidden =
                hideCoveredStrokes(*drawing, preparation.timing ? &*preparation.timing : nullptr);
            if (!hidden)
                return failure(chosen + ": " + hidden.message());
            prepared.lineWork_.push_back(*hidden);
        }
        const Result<std::string> hpgl = drawingHpgl(*drawing);
        if (!hpgl)
            return hpgl.error();
        Result<UnnamedFile> file = UnnamedFile::write(*hpgl);
        if (!file)
            return file.error();
        prepared.file_ = std::move(*file);
        prepared.path_ = prepared.file_.path();
        prepared.converted_ = true;
        prepared.notes_ = std::move(drawing->notes);
        if (cancelled(preparation.work))
            return failure("cancelled", Error::Kind::Cancelled);
    } else if (!chosen.empty()) {
        // Noise is no plot in either reading, and its census would name commands it has not.
        if (const std::optional<BinaryData> binary = findBinaryData(prepared.path_))
            return failure(binaryDataMessage(chosen, *binary));
        if (preparation.reading == PlotReading::Classic && preparation.census == Census::Take)
            prepared.ignoredByClassic_ = findCommandsClassicIgnores(prepared.path_);
        if (preparation.hideCovered)
            prepared.notes_.push_back("lines under fills are hidden in SVG drawings only; a plot file has no fills");
    }
    if ((!preparation.shorterTravel && !preparation.lineWork.any()) || !checkPlotReadable(prepared.path_))
        return prepared;

    if (preparation.work)
        preparation.work->enter(WorkSignals::Stage::Reading);
    ReorderOptions order = preparation.order;
    order.work = preparation.work;
    const LineWorkRequest lineWork{preparation.lineWork, preparation.timing ? &*preparation.timing : nullptr,
                                   preparation.shorterTravel};
    Result<ReorderedHpgl> reordered =
        reorderedHpgl(prepared.path_, order, preparation.reading, preparation.fullOptions, lineWork);
    if (!reordered && reordered.error().kind == Error::Kind::Cancelled)
        return reordered.error();
    if (!reordered)
        return prepared; // the test run reports what is wrong with the file
    Result<UnnamedFile> file = UnnamedFile::write(reordered->hpgl);
    if (!file)
        return file.error();
    prepared.file_ = std::move(*file);
    prepared.path_ = prepared.file_.path();
    if (preparation.shorterTravel)
        prepared.travel_ = reordered->travel;
    for (LineStepChange& step : reordered->lineWork)
        prepared.lineWork_.push_back(step);
    for (std::string& note : reordered->notes)
        prepared.notes_.push_back(std::move(note));
    return prepared;
}

} // namespace orlex
