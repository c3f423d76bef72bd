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

Result<UnnamedFile> UnnamedFile::write(const std::string& bytes)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    std::string name = ((error ? std::filesystem::path("/tmp") : folder) / "orlex-plotter-XXXXXX.plt").string();
    UnnamedFile file;
    file.fd_ = ::mkostemps(name.data(), 4, O_CLOEXEC);
    if (file.fd_ < 0)
        return failure("Cannot create a temporary file for the prepared plot: " + std::string(std::strerror(errno))
                       + ".");
    ::unlink(name.c_str()); // from here on nothing is left behind, however the process ends
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
                                    const FullHpglOptions& fullOptions)
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
    const OrderedPlot plot = reorder(splitStrokes(read->events), order);
    if (plot.cancelled)
        return failure("cancelled", Error::Kind::Cancelled);
    if (order.work)
        order.work->enter(WorkSignals::Stage::Writing);
    const PlotEvents events = strokeEvents(plot.groups);
    Result<std::string> hpgl = writeHpgl(events);
    if (!hpgl)
        return hpgl.error();
    return ReorderedHpgl{std::move(*hpgl), TravelChange{unchanged.before, computeStatistics(events)},
                         std::move(read->notes)};
}

Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation)
{
    PreparedPlot prepared;
    prepared.path_ = chosen;
    if (!chosen.empty() && svg.isSvgFile(chosen)) {
        if (preparation.work)
            preparation.work->enter(WorkSignals::Stage::Converting);
        Result<SvgDrawing> drawing = svg.importSvg(chosen, preparation.svg);
        if (!drawing)
            return drawing.error();
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
        if (const std::optional<BinaryData> binary = findBinaryData(chosen))
            return failure(binaryDataMessage(chosen, *binary));
        if (preparation.reading == PlotReading::Classic)
            prepared.ignoredByClassic_ = findCommandsClassicIgnores(chosen);
    }
    if (!preparation.shorterTravel || !checkPlotReadable(prepared.path_))
        return prepared;

    if (preparation.work)
        preparation.work->enter(WorkSignals::Stage::Reading);
    ReorderOptions order = preparation.order;
    order.work = preparation.work;
    Result<ReorderedHpgl> reordered =
        reorderedHpgl(prepared.path_, order, preparation.reading, preparation.fullOptions);
    if (!reordered && reordered.error().kind == Error::Kind::Cancelled)
        return reordered.error();
    if (!reordered)
        return prepared; // the test run reports what is wrong with the file
    Result<UnnamedFile> file = UnnamedFile::write(reordered->hpgl);
    if (!file)
        return file.error();
    prepared.file_ = std::move(*file);
    prepared.path_ = prepared.file_.path();
    prepared.travel_ = reordered->travel;
    for (std::string& note : reordered->notes)
        prepared.notes_.push_back(std::move(note));
    return prepared;
}

} // namespace orlex
