// The live picture of the virtual plotter: travel area, home switches, carriage, pen,
// motors and paper, repainted at most ~30 times a second and only when something changed.
// A frame repaints only what changed (the carriage at its old and new place, new ink, a
// switch lamp, the title), so that it stays short beside the drive's clock polling.
#include "ui/virtual_plotter_view.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"
#include "ui/fixed_label_box.h"
#include "ui/frame_pixels.h"
#include "ui/quick_label.h"

#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
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
constexpr int kMarkerGapPx = 3;             // between the travel area and a gantry marker
constexpr int kMarkerLengthPx = 8;
constexpr int kSwitchPx = 8;         // a home switch lamp is kSwitchPx by twice that
constexpr int kLetterPx = 14;        // room for the letter beside a lamp
constexpr long kInkRunPixels = 8192; // new ink segments share a rectangle up to this size
constexpr double kInkPiecePx = 32;   // a long slanted line is repainted in pieces this long

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

// Where a lamp's letter goes: left of the X lamp, under the Y lamp.
QRect letterRect(const QRect& lamp, bool yAxis)
{
    return yAxis ? QRect(lamp.left(), lamp.top() + lamp.height() + 1, lamp.width(), kLetterPx)
                 : QRect(lamp.left() - kLetterPx, lamp.top(), kLetterPx - 2, lamp.height());
}

// The boxes around a piece of ink from `from` to `to` (pixels), `reach` beyond it: a
// long line is cut into pieces of at most kInkPiecePx along its main direction, so that
// a slanted one is not repainted as one box spanning its whole width and height.
template <typename Add>
void forEachInkBox(QPointF from, QPointF to, double reach, Add&& add)
{
    const double length = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    const int pieces = std::clamp(static_cast<int>(std::ceil(length / kInkPiecePx)), 1, 4096);
    for (int k = 0; k < pieces; ++k) {
        const QPointF a = from + (to - from) * (static_cast<double>(k) / pieces);
        const QPointF b = from + (to - from) * (static_cast<double>(k + 1) / pieces);
        add(QRectF(a, b).normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect());
    }
}

} // namespace

VirtualPlotterView::VirtualPlotterView(VirtualPlotter& plotter, const MachineSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), plotter_(plotter), settings_(settings)
{
    setObjectName(QStringLiteral("virtualPlotterView"));
    setWindowTitle(QStringLiteral("Virtual plotter"));
    setMinimumSize(320, 300);
    resize(640, 640);

    // The drawing covers its area from the cached image, and the panel fills its own
    // background: nothing needs erasing before a frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    titleHeight_ = fontMetrics().height() + 2;
    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    positionLabel_ = new QuickLabel(panel_);
    positionLabel_->setObjectName(QStringLiteral("positionLabel"));
    countersLabel_ = new QuickLabel(panel_);
    countersLabel_->setObjectName(QStringLiteral("countersLabel"));
    savePaperButton_ = new QPushButton(QStringLiteral("Save paper as SVG\u2026"), panel_);
    savePaperButton_->setObjectName(QStringLiteral("savePaperButton"));
    clearPaperButton_ = new QPushButton(QStringLiteral("Clear paper"), panel_);
    clearPaperButton_->setObjectName(QStringLiteral("clearPaperButton"));
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
    frameTimer_->setObjectName(QStringLiteral("frameTimer"));
    frameTimer_->setInterval(kFrameIntervalMs);
    connect(frameTimer_, &QTimer::timeout, this, &VirtualPlotterView::onFrameTick);
    // The timer runs while the view shows (showEvent).
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

// Builds the changed parts of the next frame and asks Qt to copy them to the screen.
void VirtualPlotterView::repaintChanges(const Snapshot& now)
{
    if (!firstFrame_ && now == shown_)
        return;
    const bool whole = firstFrame_ || wholeFrameNeeded(shown_, now) || frameImage_.size() != drawingArea().size()
                       || !stillImageCurrent(mapping());
    const std::vector<QRect> changed = whole ? std::vector<QRect>{} : changedRects(shown_, now);
    firstFrame_ = false;
    shown_ = now;
    rememberPaper(now);
    if (whole) {
        update(drawingArea()); // the paint builds the whole frame
        return;
    }
    const Mapping m = mapping();
    addFinishedInk(m);
    for (const QRect& r : changed) {
        compose(m, r);
        update(r);
    }
}

bool VirtualPlotterView::wholeFrameNeeded(const Snapshot& before, const Snapshot& now) const
{
    return before.travelXmm != now.travelXmm || before.travelYmm != now.travelYmm || paperReplaced(before);
}

std::vector<QRect> VirtualPlotterView::changedRects(const Snapshot& before, const Snapshot& now) const
{
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
        rects.push_back(titleRect());
    if (before.xSwitchClosed != now.xSwitchClosed)
        rects.push_back(lampPictureRect(m, false));
    if (before.ySwitchClosed != now.ySwitchClosed)
        rects.push_back(lampPictureRect(m, true));

    // The new ink, and what the segment that was still growing at the last frame grew by
    // since (a long line drawn over many frames would otherwise repaint its whole box at
    // each), in boxes that hug it. Runs of boxes share a rectangle as long as it stays
    // small and not much of it is empty.
    const std::vector<PaperSegment>& paper = plotter_.paper();
    QRect run;
    long runPixels = 0; // of the boxes in the run
    const auto add = [&](const QRect& ink) {
        const QRect joined = run | ink;
        const long joinedPixels = static_cast<long>(joined.width()) * joined.height();
        const long inkPixels = static_cast<long>(ink.width()) * ink.height();
        if (run.isEmpty() || (joinedPixels <= kInkRunPixels && joinedPixels <= 2 * (runPixels + inkPixels))) {
            run = joined;
            runPixels += inkPixels;
        } else {
            rects.push_back(run);
            run = ink;
            runPixels = inkPixels;
        }
    };
    for (std::size_t i = before.segments > 0 ? before.segments - 1 : 0; i < paper.size(); ++i) {
        PaperSegment changed = paper[i];
        if (i + 1 == before.segments) { // it starts where the shown one did (else the frame is whole)
            changed.x1 = shownLast_.x2;
            changed.y1 = shownLast_.y2;
        }
        forEachInkBox(m.map(changed.x1, changed.y1), m.map(changed.x2, changed.y2), inkReach(m), add);
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

QRect VirtualPlotterView::drawingArea() const
{
    return QRect(0, 0, width(), std::max(0, panel_->y()));
}

// The travel area, with room around it for the home switches and a carriage beyond
// the limits, centred in the drawing area; y grows upwards from the home corner.
VirtualPlotterView::Mapping VirtualPlotterView::mapping() const
{
    const double widthMm = travelMm(false);
    const double heightMm = travelMm(true);
    const double marginMm = std::max(5.0, 0.06 * std::max(widthMm, heightMm));
    const QRectF area = QRectF(drawingArea()).adjusted(kAreaMarginPx, kAreaMarginPx, -kAreaMarginPx, -kAreaMarginPx);
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
QRect VirtualPlotterView::switchRect(const Mapping& m, bool yAxis) const
{
    const QPoint home = m.map(0, 0).toPoint();
    const int s = kSwitchPx;
    if (yAxis)
        return QRect(home.x(), home.y() + 3, 2 * s, s);
    return QRect(home.x() - s - 3, home.y() - 2 * s, s, 2 * s);
}

// The lamp with its outline, and its letter: left of the X lamp, under the Y lamp.
QRect VirtualPlotterView::lampPictureRect(const Mapping& m, bool yAxis) const
{
    const QRect lamp = switchRect(m, yAxis);
    const QRect letter = letterRect(lamp, yAxis);
    return lamp.adjusted(-1, -1, 1, 1) | letter;
}

// The line of text at the top left: travel area and motors.
QRect VirtualPlotterView::titleRect() const
{
    return QRect(6, 4, std::max(0, width() - 12), titleHeight_);
}

// The title's height follows the font; measured once, not at every frame.
void VirtualPlotterView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        titleHeight_ = fontMetrics().height() + 2;
        lampPictures_[0] = lampPictures_[1] = lampPictures_[2] = lampPictures_[3] = QImage();
        titleText_.clear();
        firstFrame_ = true; // the next frame is built whole
    }
    QWidget::changeEvent(event);
}

// A closed or minimised view builds no frames, so that it costs a draw nothing; shown
// again, it catches up with the machine before its first paint.
void VirtualPlotterView::showEvent(QShowEvent* event)
{
    refresh();
    frameTimer_->start();
    QWidget::showEvent(event);
}

void VirtualPlotterView::hideEvent(QHideEvent* event)
{
    frameTimer_->stop();
    QWidget::hideEvent(event);
}

// The cross-hair and pen circle, and the gantry's markers on the four edges of the
// travel area, in line with the pen. (Lines right across the area would make every
// frame copy a column through the whole picture, one cache line per row, which costs
// more than all the rest of a frame.)
std::array<QRect, 5> VirtualPlotterView::carriageRects(const Mapping& m, double xMm, double yMm) const
{
    const QPoint pen = m.map(xMm, yMm).toPoint();
    const QRect travel = QRectF(m.map(0, travelMm(true)), m.map(travelMm(false), 0)).toAlignedRect();
    const int reach = kCarriageReachPx;
    const int gap = kMarkerGapPx, length = kMarkerLengthPx;
    return {QRect(pen.x() - reach, pen.y() - reach, 2 * reach, 2 * reach),
            QRect(pen.x() - 1, travel.top() - gap - length, 3, length),
            QRect(pen.x() - 1, travel.bottom() + 1 + gap, 3, length),
            QRect(travel.left() - gap - length, pen.y() - 1, length, 3),
            QRect(travel.right() + 1 + gap, pen.y() - 1, length, 3)};
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

// The switch lamp, lit while closed, and its letter, as they lie in lampPictureRect.
const QImage& VirtualPlotterView::lampPicture(bool yAxis, bool closed)
{
    QImage& picture = lampPictures_[(yAxis ? 2 : 0) + (closed ? 1 : 0)];
    if (!picture.isNull())
        return picture;
    const Mapping origin; // home at (0, 0): the picture's place only shifts with it
    const QRect box = lampPictureRect(origin, yAxis);
    picture = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.translate(-box.topLeft());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(closed ? kSwitchClosedColour : kSwitchOpenColour);
    const QRect lamp = switchRect(origin, yAxis);
    p.drawRect(QRectF(lamp).adjusted(0.5, 0.5, -0.5, -0.5));
    p.setFont(font());
    p.setPen(Qt::white);
    p.drawText(letterRect(lamp, yAxis), Qt::AlignCenter, yAxis ? QStringLiteral("Y") : QStringLiteral("X"));
    return picture;
}

// Travel area and motors, redrawn only when that text or the view's width changes.
const QImage& VirtualPlotterView::titlePicture()
{
    const QString text = QStringLiteral("%1 x %2 mm   motors %3")
                             .arg(travelMm(false))
                             .arg(travelMm(true))
                             .arg(shown_.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off"));
    const QRect box = titleRect();
    if (text == titleText_ && titlePicture_.size() == box.size())
        return titlePicture_;
    titleText_ = text;
    titlePicture_ = QImage(box.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    titlePicture_.fill(Qt::transparent);
    QPainter p(&titlePicture_);
    p.setFont(font());
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(0, 0), box.size()), Qt::AlignTop | Qt::AlignLeft, text);
    return titlePicture_;
}

// How far beyond a line's centre its soft edge and square ends reach, in pixels.
double VirtualPlotterView::inkReach(const Mapping& m)
{
    return std::max(1.0, kPenWidthMm * m.scale) / 2 + 2;
}

QRectF VirtualPlotterView::inkRect(const Mapping& m, const PaperSegment& segment) const
{
    const double reach = inkReach(m);
    return QRectF(m.map(segment.x1, segment.y1), m.map(segment.x2, segment.y2))
        .normalized()
        .adjusted(-reach, -reach, reach, reach);
}

// Drawn for the current mapping, and the ink in it is still on the paper (not cleared).
bool VirtualPlotterView::stillImageCurrent(const Mapping& m) const
{
    const std::vector<PaperSegment>& paper = plotter_.paper();
    const bool cleared = paper.size() < stillFinished_
                         || (stillFinished_ > 0 && !sameSegment(paper[stillFinished_ - 1], stillLastDrawn_));
    return !cleared && stillImage_.size() == drawingArea().size() && stillScale_ == m.scale
           && stillOrigin_ == QPointF(m.originX, m.originY) && stillTravel_ == QSizeF(travelMm(false), travelMm(true));
}

// The whole frame from scratch: the still image drawn anew with all finished ink, then
// the moving parts.
void VirtualPlotterView::composeWhole()
{
    const Mapping m = mapping();
    const QSizeF travel(travelMm(false), travelMm(true));
    stillImage_ = QImage(drawingArea().size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    stillImage_.fill(kFrameColour);
    {
        QPainter p(&stillImage_);
        p.fillRect(QRectF(m.map(0, travel.height()), m.map(travel.width(), 0)), kPaperColour);
    }
    stillScale_ = m.scale;
    stillOrigin_ = QPointF(m.originX, m.originY);
    stillTravel_ = travel;
    stillFinished_ = 0;
    addFinishedInk(m);
    frameImage_ = stillImage_;
    frameImage_.detach();
    compose(m, frameImage_.rect());
}

// The last segment may still grow while the pen goes on in the same direction, so it is
// a moving part; the ones before it are final and go into the still image.
void VirtualPlotterView::addFinishedInk(const Mapping& m)
{
    const std::vector<PaperSegment>& paper = plotter_.paper();
    const std::size_t finished = paper.empty() ? 0 : paper.size() - 1;
    const double width = std::max(1.0, kPenWidthMm * m.scale);
    for (std::size_t i = stillFinished_; i < finished; ++i)
        drawInkLine(stillImage_, m.map(paper[i].x1, paper[i].y1), m.map(paper[i].x2, paper[i].y2), width,
                    kInkColour.rgb(), stillImage_.rect());
    if (finished > stillFinished_)
        stillLastDrawn_ = paper[finished - 1];
    stillFinished_ = std::max(stillFinished_, finished);
}

// One part of the frame as the last snapshot (shown_) saw the machine: the still image,
// then the growing ink, the switch lamps, the gantry markers, the
// cross-hair coloured by the motors, and the title.
void VirtualPlotterView::compose(const Mapping& m, const QRect& part)
{
    const QRect clip = part & frameImage_.rect();
    if (clip.isEmpty())
        return;
    copyPixels(frameImage_, stillImage_, clip);
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (!paper.empty() && clip.intersects(inkRect(m, paper.back()).toAlignedRect())) {
        const PaperSegment& last = paper.back();
        drawInkLine(frameImage_, m.map(last.x1, last.y1), m.map(last.x2, last.y2), std::max(1.0, kPenWidthMm * m.scale),
                    kInkColour.rgb(), clip);
    }
    for (const bool yAxis : {false, true}) {
        const QRect lamp = lampPictureRect(m, yAxis);
        if (clip.intersects(lamp))
            blendPicture(frameImage_, lampPicture(yAxis, yAxis ? shown_.ySwitchClosed : shown_.xSwitchClosed),
                         lamp.topLeft(), clip);
    }
    const std::array<QRect, 5> carriage = carriageRects(m, shown_.xMm, shown_.yMm);
    for (std::size_t marker = 1; marker < carriage.size(); ++marker)
        fillPixels(frameImage_, carriage[marker], kGantryColour.rgb(), clip);
    const QRect& box = carriage[0];
    if (clip.intersects(box))
        blendPicture(frameImage_, carriagePicture(shown_.dataLatch != 0, shown_.penDown), box.topLeft(), clip);
    if (const QRect title = titleRect(); clip.intersects(title))
        blendPicture(frameImage_, titlePicture(), title.topLeft(), clip);
}

// Copies the built frame; a paint of the whole drawing (the first, a resize, an expose,
// a grab) builds it whole first.
void VirtualPlotterView::paintEvent(QPaintEvent* event)
{
    ++framesPainted_;
    const QRect area = drawingArea();
    if (frameImage_.size() != area.size() || event->rect().contains(area))
        composeWhole();
    QPainter p(this);
    for (const QRect& r : event->region())
        if (const QRect part = r & frameImage_.rect(); !part.isEmpty())
            p.drawImage(part.topLeft(), frameImage_, part);
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
    refresh();
}

} // namespace orlex::ui
