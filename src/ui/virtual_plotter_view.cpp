// The live picture of the virtual plotter: travel area, home switches, carriage, pen,
// motors and paper, repainted at most ~30 times a second and only when something changed.
// A frame repaints only what changed (the carriage at its old and new place, new ink, a
// switch lamp, the title), so that it stays short beside the drive's clock polling.
#include "ui/virtual_plotter_view.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"
#include "ui/fixed_label_box.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace orlex::ui {

namespace {

constexpr int kFrameIntervalMs = 33;        // about 30 frames a second at most
constexpr int kTicksPerTexts = 8;           // of them, one shows the position text and one the counters
constexpr double kPenWidthMm = 0.3;         // line width of the pen on the paper
constexpr int kAreaMarginPx = 16;           // room around the machine drawing
constexpr double kPenRadiusPx = 6;          // the pen's circle; the cross-hair reaches 3 times as far
constexpr int kCarriageReachPx = 3 * 6 + 2; // half the side of the carriage's picture
constexpr double kSwitchPx = 8;             // a home switch lamp is kSwitchPx by twice that
constexpr long kInkRunPixels = 8192;        // new ink segments share a rectangle up to this size

const QColor kFrameColour(60, 63, 68);
const QColor kPaperColour(255, 255, 255);
const QColor kInkColour(20, 40, 160);
const QColor kGantryColour(150, 150, 150);
const QColor kSwitchClosedColour(80, 220, 60);
const QColor kSwitchOpenColour(90, 90, 90);
const QColor kEnergisedColour(220, 30, 30);
const QColor kIdleColour(120, 120, 120);

bool sameSegment(const PaperSegment& a, const PaperSegment& b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

} // namespace

VirtualPlotterView::VirtualPlotterView(VirtualPlotter& plotter, const MachineSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), plotter_(plotter), settings_(settings)
{
    setObjectName(QStringLiteral("frmVirtualPlotter"));
    setWindowTitle(QStringLiteral("Virtual plotter"));
    setMinimumSize(320, 300);
    resize(640, 640);

    // The drawing covers its area from the cached image, and the panel fills its own
    // background: nothing needs erasing before a frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    positionLabel_ = new QLabel(panel_);
    positionLabel_->setObjectName(QStringLiteral("lblPosition"));
    countersLabel_ = new QLabel(panel_);
    countersLabel_->setObjectName(QStringLiteral("lblCounters"));
    savePaperButton_ = new QPushButton(QStringLiteral("Save paper as SVG\u2026"), panel_);
    savePaperButton_->setObjectName(QStringLiteral("cmdSaveSvg"));
    clearPaperButton_ = new QPushButton(QStringLiteral("Clear paper"), panel_);
    clearPaperButton_->setObjectName(QStringLiteral("cmdClearPaper"));
    connect(savePaperButton_, &QPushButton::clicked, this, &VirtualPlotterView::onSavePaperClicked);
    connect(clearPaperButton_, &QPushButton::clicked, this, &VirtualPlotterView::onClearPaperClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(savePaperButton_);
    buttons->addWidget(clearPaperButton_);
    buttons->addStretch(1);
    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->addWidget(new FixedLabelBox(positionLabel_, panel_));
    panelLayout->addWidget(new FixedLabelBox(countersLabel_, panel_));
    panelLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1); // the drawing fills this part
    layout->addWidget(panel_);

    shown_ = takeSnapshot();
    rememberPaper(shown_);
    showPosition(shown_);
    showCounters(shown_);

    frameTimer_ = new QTimer(this);
    frameTimer_->setInterval(kFrameIntervalMs);
    connect(frameTimer_, &QTimer::timeout, this, &VirtualPlotterView::onFrameTick);
    frameTimer_->start();
}

double VirtualPlotterView::travelMm(bool yAxis) const
{
    const double travel = yAxis ? settings_.travelYmm : settings_.travelXmm;
    return travel > 0 ? travel : 1; // a travel of nothing still gets a drawing area
}

VirtualPlotterView::Snapshot VirtualPlotterView::takeSnapshot() const
{
    const VirtualPlotterCounters& c = plotter_.counters();
    Snapshot s;
    s.paperRevision = plotter_.paperRevision();
    s.xHalfSteps = plotter_.xHalfSteps();
    s.yHalfSteps = plotter_.yHalfSteps();
    s.xMm = plotter_.xMillimetres();
    s.yMm = plotter_.yMillimetres();
    s.xSwitchClosed = plotter_.xSwitchClosed();
    s.ySwitchClosed = plotter_.ySwitchClosed();
    s.segments = plotter_.paper().size();
    s.penDown = plotter_.penDown();
    s.dataLatch = plotter_.dataLatch();
    s.stepsX = c.stepsX;
    s.stepsY = c.stepsY;
    s.lostX = c.lostStepsX;
    s.lostY = c.lostStepsY;
    s.penMoves = c.penMoves;
    s.travelXmm = travelMm(false);
    s.travelYmm = travelMm(true);
    return s;
}

void VirtualPlotterView::refresh()
{
    const Snapshot now = takeSnapshot();
    showPosition(now);
    showCounters(now);
    repaintChanges(now);
}

// The frame timer: the drawing, the position text and the counters on ticks of their
// own, so that no single repaint has to do more than one of them.
void VirtualPlotterView::onFrameTick()
{
    const Snapshot now = takeSnapshot();
    const int tick = ticks_++ % kTicksPerTexts;
    if (tick == 0)
        showPosition(now);
    else if (tick == kTicksPerTexts / 2)
        showCounters(now);
    else
        repaintChanges(now);
}

void VirtualPlotterView::repaintChanges(const Snapshot& now)
{
    if (!firstFrame_ && now == shown_)
        return;
    const std::vector<QRect> changed = firstFrame_ ? std::vector<QRect>{rect()} : changedRects(shown_, now);
    firstFrame_ = false;
    shown_ = now;
    rememberPaper(now);
    QRegion region;
    for (const QRect& r : changed)
        region += r;
    pendingRects_.insert(pendingRects_.end(), changed.begin(), changed.end());
    pendingRegion_ += region;
    update(region);
}

std::vector<QRect> VirtualPlotterView::changedRects(const Snapshot& before, const Snapshot& now) const
{
    if (before.travelXmm != now.travelXmm || before.travelYmm != now.travelYmm || paperReplaced(before))
        return {rect()};
    const Mapping m = mapping();
    std::vector<QRect> rects;
    if (before.xMm != now.xMm || before.yMm != now.yMm || before.penDown != now.penDown
        || before.dataLatch != now.dataLatch) {
        for (const QRect& r : carriageRects(m, before.xMm, before.yMm))
            rects.push_back(r);
        for (const QRect& r : carriageRects(m, now.xMm, now.yMm))
            rects.push_back(r);
    }
    if ((before.dataLatch != 0) != (now.dataLatch != 0))
        rects.push_back(titleRect().toAlignedRect());
    if (before.xSwitchClosed != now.xSwitchClosed)
        rects.push_back(switchRect(m, false).toAlignedRect());
    if (before.ySwitchClosed != now.ySwitchClosed)
        rects.push_back(switchRect(m, true).toAlignedRect());

    // The new ink, and the segment that was still growing at the last frame: runs of
    // segments share a rectangle as long as it stays small.
    const std::vector<PaperSegment>& paper = plotter_.paper();
    QRect run;
    for (std::size_t i = before.segments > 0 ? before.segments - 1 : 0; i < paper.size(); ++i) {
        const QRect ink = inkRect(m, paper[i]).toAlignedRect();
        const QRect joined = run | ink;
        if (run.isEmpty() || static_cast<long>(joined.width()) * joined.height() <= kInkRunPixels) {
            run = joined;
        } else {
            rects.push_back(run);
            run = ink;
        }
    }
    if (!run.isEmpty())
        rects.push_back(run);
    return rects;
}

bool VirtualPlotterView::paperReplaced(const Snapshot& before) const
{
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (before.segments == 0)
        return false;
    if (paper.size() < before.segments)
        return true;
    const PaperSegment& last = paper[before.segments - 1];
    if (last.x1 != shownLast_.x1 || last.y1 != shownLast_.y1)
        return true;
    return before.segments >= 2 && !sameSegment(paper[before.segments - 2], shownBeforeLast_);
}

void VirtualPlotterView::rememberPaper(const Snapshot& now)
{
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (now.segments >= 1)
        shownLast_ = paper[now.segments - 1];
    if (now.segments >= 2)
        shownBeforeLast_ = paper[now.segments - 2];
}

void VirtualPlotterView::showPosition(const Snapshot& now)
{
    positionLabel_->setText(QStringLiteral("X %1 mm   Y %2 mm   pen %3   motors %4")
                                .arg(now.xMm, 0, 'f', 2)
                                .arg(now.yMm, 0, 'f', 2)
                                .arg(now.penDown ? QStringLiteral("down") : QStringLiteral("up"))
                                .arg(now.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off")));
}

void VirtualPlotterView::showCounters(const Snapshot& now)
{
    countersLabel_->setText(QStringLiteral("Steps X %1, Y %2   lost steps X %3, Y %4   pen moves %5")
                                .arg(now.stepsX)
                                .arg(now.stepsY)
                                .arg(now.lostX)
                                .arg(now.lostY)
                                .arg(now.penMoves));
}

QRectF VirtualPlotterView::drawingArea() const
{
    return QRectF(0, 0, width(), std::max(0, panel_->y()));
}

// The travel area, with room around it for the home switches and a carriage beyond
// the limits, centred in the drawing area; y grows upwards from the home corner.
VirtualPlotterView::Mapping VirtualPlotterView::mapping() const
{
    const double widthMm = travelMm(false);
    const double heightMm = travelMm(true);
    const double marginMm = std::max(5.0, 0.06 * std::max(widthMm, heightMm));
    const QRectF area = drawingArea().adjusted(kAreaMarginPx, kAreaMarginPx, -kAreaMarginPx, -kAreaMarginPx);
    Mapping m;
    m.scale =
        std::max(1e-6, std::min(area.width() / (widthMm + 2 * marginMm), area.height() / (heightMm + 2 * marginMm)));
    m.originX = area.center().x() - widthMm * m.scale / 2;
    m.originY = area.center().y() + heightMm * m.scale / 2;
    return m;
}

QPointF VirtualPlotterView::machineToView(double xMm, double yMm) const
{
    return mapping().map(xMm, yMm);
}

// The lamp, next to the home corner: left of it for X, below it for Y.
QRectF VirtualPlotterView::switchRect(const Mapping& m, bool yAxis) const
{
    const QPointF home = m.map(0, 0);
    const double s = kSwitchPx;
    if (yAxis)
        return QRectF(home.x(), home.y() + 3, 2 * s, s);
    return QRectF(home.x() - s - 3, home.y() - 2 * s, s, 2 * s);
}

// The line of text at the top left: travel area and motors.
QRectF VirtualPlotterView::titleRect() const
{
    return QRectF(6, 4, std::max(0, width() - 12), fontMetrics().height() + 2);
}

// The cross-hair and pen circle, and the two gantry lines across the travel area.
std::array<QRect, 3> VirtualPlotterView::carriageRects(const Mapping& m, double xMm, double yMm) const
{
    const QPoint pen = m.map(xMm, yMm).toPoint();
    const QRect travel = QRectF(m.map(0, travelMm(true)), m.map(travelMm(false), 0)).toAlignedRect();
    const int reach = kCarriageReachPx;
    return {QRect(pen.x() - reach, pen.y() - reach, 2 * reach, 2 * reach),
            QRect(pen.x() - 1, travel.top() - 1, 3, travel.height() + 2),
            QRect(travel.left() - 1, pen.y() - 1, travel.width() + 2, 3)};
}

// The cross-hair in the motors' colour and the pen's circle, filled while the pen is
// down, drawn once into an image for each of the four looks and then only copied.
const QImage& VirtualPlotterView::carriagePicture(bool energised, bool penDown)
{
    QImage& picture = carriagePictures_[(energised ? 2 : 0) + (penDown ? 1 : 0)];
    if (!picture.isNull())
        return picture;
    const int side = 2 * kCarriageReachPx;
    picture = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kCarriageReachPx, kCarriageReachPx);
    const double r = kPenRadiusPx;
    p.setPen(QPen(energised ? kEnergisedColour : kIdleColour, 2));
    p.drawLine(centre - QPointF(3 * r, 0), centre + QPointF(3 * r, 0));
    p.drawLine(centre - QPointF(0, 3 * r), centre + QPointF(0, 3 * r));
    p.setBrush(penDown ? QBrush(kInkColour) : QBrush(Qt::NoBrush));
    p.setPen(QPen(kInkColour, 2));
    p.drawEllipse(centre, r, r);
    return picture;
}

QRectF VirtualPlotterView::inkRect(const Mapping& m, const PaperSegment& segment) const
{
    const double reach = std::max(1.0, kPenWidthMm * m.scale) / 2 + 2;
    return QRectF(m.map(segment.x1, segment.y1), m.map(segment.x2, segment.y2))
        .normalized()
        .adjusted(-reach, -reach, reach, reach);
}

void VirtualPlotterView::resetPaper(const Mapping& m)
{
    // An opaque image of the whole drawing area: frame, travel area and ink. Each frame
    // then starts with one plain copy instead of fills and an alpha-blended image, which
    // keeps a repaint short enough not to hold up the drive's clock polling for long.
    const QSizeF travel(travelMm(false), travelMm(true));
    paperImage_ = QImage(drawingArea().size().toSize(), QImage::Format_RGB32);
    paperImage_.fill(kFrameColour);
    QPainter p(&paperImage_);
    p.fillRect(QRectF(m.map(0, travel.height()), m.map(travel.width(), 0)), kPaperColour);
    paperScale_ = m.scale;
    paperOrigin_ = QPointF(m.originX, m.originY);
    paperTravel_ = travel;
    paperFinished_ = 0;
}

void VirtualPlotterView::bringPaperUpToDate(const Mapping& m)
{
    const std::vector<PaperSegment>& paper = plotter_.paper();
    const bool mappingChanged = paperImage_.size() != drawingArea().size().toSize() || paperScale_ != m.scale
                                || paperOrigin_ != QPointF(m.originX, m.originY)
                                || paperTravel_ != QSizeF(travelMm(false), travelMm(true));
    // Cleared elsewhere since the last frame: fewer segments, or different ones.
    const bool cleared = paper.size() < paperFinished_
                         || (paperFinished_ > 0 && !sameSegment(paper[paperFinished_ - 1], paperLastCached_));
    if (mappingChanged || cleared)
        resetPaper(m);

    // The last segment may still grow while the pen goes on in the same direction, so it
    // is drawn fresh with every frame; the ones before it are final.
    const std::size_t finished = paper.empty() ? 0 : paper.size() - 1;
    if (finished <= paperFinished_)
        return;
    QPainter p(&paperImage_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInkColour, std::max(1.0, kPenWidthMm * m.scale), Qt::SolidLine, Qt::RoundCap));
    for (std::size_t i = paperFinished_; i < finished; ++i)
        p.drawLine(m.map(paper[i].x1, paper[i].y1), m.map(paper[i].x2, paper[i].y2));
    paperFinished_ = finished;
    paperLastCached_ = paper[finished - 1];
}

// A frame shows the machine as the last snapshot (shown_) saw it, whenever Qt asks for it,
// so that the next frame's region always covers what this one drew. Ink is the exception:
// it only grows, and the next region covers the segments from the last one shown on.
// Everything is painted one rectangle at a time, only where it reaches into that
// rectangle: with a rectangular clip Qt copies the cached image straight, where a clip of
// many rectangles makes it go pixel by pixel. The rectangles are the ones the frame asked
// for when they cover what Qt repaints (Qt's own region cuts them into many more bands),
// else those of Qt's region.
void VirtualPlotterView::paintEvent(QPaintEvent* event)
{
    ++framesPainted_;
    const Mapping m = mapping();
    bringPaperUpToDate(m);

    Pieces pieces;
    pieces.pen = m.map(shown_.xMm, shown_.yMm).toPoint();
    pieces.carriage = carriageRects(m, shown_.xMm, shown_.yMm);
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (!paper.empty())
        pieces.lastInk = inkRect(m, paper.back()).toAlignedRect();
    for (const bool yAxis : {false, true}) {
        const QRectF lamp = switchRect(m, yAxis);
        pieces.lamps[yAxis] = lamp.adjusted(-1, -1, 1, 1).toAlignedRect();
        pieces.letters[yAxis] = yAxis ? QRectF(lamp.left(), lamp.bottom() + 1, lamp.width(), 14)
                                      : QRectF(lamp.left() - 14, lamp.top(), 12, lamp.height());
    }
    pieces.title = titleRect();

    const QRegion& dirty = event->region();
    const bool ownRects = !pendingRects_.empty() && (dirty - pendingRegion_).isEmpty();
    const std::vector<QRect> parts =
        ownRects ? std::move(pendingRects_) : std::vector<QRect>(dirty.begin(), dirty.end());
    pendingRects_.clear();
    pendingRegion_ = QRegion();
    QPainter p(this);
    for (const QRect& part : parts) {
        p.setClipRect(part);
        paintPart(p, m, pieces, part);
    }
}

void VirtualPlotterView::paintPart(QPainter& p, const Mapping& m, const Pieces& pieces, const QRect& part)
{
    // Frame, travel area and the finished ink, from the cache.
    if (const QRect cached = part & paperImage_.rect(); !cached.isEmpty())
        p.drawImage(cached.topLeft(), paperImage_, cached);
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (!paper.empty() && part.intersects(pieces.lastInk)) {
        const PaperSegment& last = paper.back();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kInkColour, std::max(1.0, kPenWidthMm * m.scale), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(m.map(last.x1, last.y1), m.map(last.x2, last.y2));
    }

    // The two home switches, lit while closed, and their letters.
    for (const bool yAxis : {false, true}) {
        if (part.intersects(pieces.lamps[yAxis])) {
            const bool closed = yAxis ? shown_.ySwitchClosed : shown_.xSwitchClosed;
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(closed ? kSwitchClosedColour : kSwitchOpenColour);
            p.drawRect(switchRect(m, yAxis));
        }
        if (part.intersects(pieces.letters[yAxis].toAlignedRect())) {
            p.setPen(Qt::white);
            p.drawText(pieces.letters[yAxis], Qt::AlignCenter, yAxis ? QStringLiteral("Y") : QStringLiteral("X"));
        }
    }

    // Carriage: the two gantry lines through the pen (thin, dashed, on whole pixels), and
    // the cross-hair coloured by the motors.
    const auto& [box, vertical, horizontal] = pieces.carriage;
    if (part.intersects(box) || part.intersects(vertical) || part.intersects(horizontal)) {
        const QPoint pen = pieces.pen;
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(kGantryColour, 0, Qt::DashLine));
        if (part.intersects(vertical))
            p.drawLine(pen.x(), vertical.top() + 1, pen.x(), vertical.bottom() - 1);
        if (part.intersects(horizontal))
            p.drawLine(horizontal.left() + 1, pen.y(), horizontal.right() - 1, pen.y());
        if (part.intersects(box))
            p.drawImage(box.topLeft(), carriagePicture(shown_.dataLatch != 0, shown_.penDown));
    }

    if (part.intersects(pieces.title.toAlignedRect())) {
        p.setPen(Qt::white);
        p.drawText(pieces.title, Qt::AlignTop | Qt::AlignLeft,
                   QStringLiteral("%1 x %2 mm   motors %3")
                       .arg(travelMm(false))
                       .arg(travelMm(true))
                       .arg(shown_.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off")));
    }
}

bool VirtualPlotterView::savePaperAs(const QString& path)
{
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    if (const Result<void> written = plotter_.writeSvg(file, travelMm(false), travelMm(true)); !written) {
        lastError_ = QString::fromStdString(written.message());
        return false;
    }
    lastError_.clear();
    return true;
}

void VirtualPlotterView::onSavePaperClicked()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save paper as SVG"),
                                                      QStringLiteral("paper.svg"), QStringLiteral("SVG image (*.svg)"));
    if (path.isEmpty())
        return;
    if (!savePaperAs(path))
        QMessageBox::warning(this, windowTitle(), QStringLiteral("The paper could not be saved.\n") + lastError_);
}

void VirtualPlotterView::onClearPaperClicked()
{
    plotter_.clearPaper();
    resetPaper(mapping());
    refresh();
}

} // namespace orlex::ui
