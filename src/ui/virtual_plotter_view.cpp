// The live picture of the virtual plotter: travel area, home switches, carriage, pen,
// motors and paper. A frame timer takes new ink from the feed's ring into the view's own
// copy of the paper and reads the snapshot; a paint copies the cached finished ink and
// draws the rest over it.
#include "ui/virtual_plotter_view.h"

#include "drive/ports/paper_svg.h"
#include "preview/preview.h"
#include "ui/widgets.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineF>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <utility>

namespace orlex::ui {

QRect viewPlaceBeside(const QRect& window, const QRect& available, QSize preferred, QSize minimum, int titleBar)
{
    constexpr int kGap = 8;
    const QRect area = available.adjusted(0, titleBar, 0, 0); // where the view's inside may go
    int height = std::max(minimum.height(), std::min(preferred.height(), area.height()));
    const int rightRoom = area.right() + 1 - (window.right() + kGap + 1);
    const int leftRoom = (window.left() - kGap) - area.left();
    int width = 0, left = 0;
    if (rightRoom >= minimum.width()) {
        width = std::min(preferred.width(), rightRoom);
        left = window.right() + kGap + 1;
    } else if (leftRoom >= minimum.width()) {
        width = std::min(preferred.width(), leftRoom);
        left = window.left() - kGap - width;
    } else {
        // No room beside the window: as small as the view may be, in the screen's lower
        // right corner, so it hides as little of the window as it can.
        width = minimum.width();
        height = std::max(minimum.height(), std::min(width, area.height()));
        return QRect(area.right() + 1 - width, std::max(area.top(), area.bottom() + 1 - height), width, height);
    }
    const int top = std::clamp(window.top() + titleBar, area.top(), std::max(area.top(), area.bottom() + 1 - height));
    return QRect(left, top, width, height);
}

namespace {

constexpr int kFrameIntervalMs = 33; // about 30 frames a second
constexpr double kPenWidthMm = 0.3;  // line width of the pen on the paper
constexpr int kAreaMarginPx = 16;    // room around the machine drawing
constexpr double kPenRadiusPx = 6;   // the pen's circle; the cross-hair reaches 3 times as far
constexpr int kMarkerGapPx = 3;      // between the travel area and a gantry marker
constexpr int kMarkerLengthPx = 8;
constexpr int kSwitchPx = 8;  // a home switch lamp is kSwitchPx by twice that
constexpr int kLetterPx = 14; // room for the letter beside a lamp

const QColor kFrameColour(60, 63, 68);
const QColor kPaperColour(255, 255, 255);
const QColor kInkColour(20, 40, 160);
const QColor kGantryColour(150, 150, 150);
const QColor kSwitchClosedColour(80, 220, 60);
const QColor kSwitchOpenColour(90, 90, 90);
const QColor kEnergisedColour(220, 30, 30);
const QColor kIdleColour(120, 120, 120);

// Where a lamp's letter goes: left of the X lamp, under the Y lamp.
QRect letterRect(const QRect& lamp, bool yAxis)
{
    return yAxis ? QRect(lamp.left(), lamp.top() + lamp.height() + 1, lamp.width(), kLetterPx)
                 : QRect(lamp.left() - kLetterPx, lamp.top(), kLetterPx - 2, lamp.height());
}

bool sameSegment(const PaperSegment& a, const PaperSegment& b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2 && a.pen == b.pen;
}

// Whether the picture differs between two snapshots (the counters are only text).
bool pictureChanged(const VirtualPlotterState& a, const VirtualPlotterState& b)
{
    return a.xMm != b.xMm || a.yMm != b.yMm || a.penDown != b.penDown || a.xSwitchClosed != b.xSwitchClosed
           || a.ySwitchClosed != b.ySwitchClosed || (a.dataLatch != 0) != (b.dataLatch != 0)
           || a.segmentsDrawn != b.segmentsDrawn || !sameSegment(a.growing, b.growing);
}

// Pen 1 in the view's ink colour, the others as the preview shows them.
QPen inkPen(double scale, char pen)
{
    const QColor colour = pen == '1' ? kInkColour : paletteColour(penColour(pen));
    return QPen(colour, std::max(1.0, kPenWidthMm * scale), Qt::SolidLine, Qt::RoundCap);
}

QLineF inkLine(const PaperSegment& s, const auto& m)
{
    return QLineF(m.map(s.x1, s.y1), m.map(s.x2, s.y2));
}

} // namespace

VirtualPlotterView::VirtualPlotterView(const MachineSettings& settings, std::vector<PaperSegment> paperSoFar,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), finished_(std::move(paperSoFar))
{
    setObjectName(QStringLiteral("virtualPlotterView"));
    setWindowTitle(QStringLiteral("Virtual plotter"));
    setMinimumSize(320, 300);
    resize(640, 640);
    // The drawing covers its area with the cached image, and the panel fills its own
    // background: nothing needs erasing before a frame.
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The last segment of the paper so far is the plotter's growing one; until the
    // plotter publishes, the snapshot holds it.
    if (!finished_.empty()) {
        state_.segmentsDrawn = finished_.size();
        state_.growing = finished_.back();
        finished_.pop_back();
        finishedCount_ = finished_.size();
        feed_.state.store(state_);
    }

    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    positionLabel_ = new QLabel(panel_);
    positionLabel_->setObjectName(QStringLiteral("positionLabel"));
    countersLabel_ = new QLabel(panel_);
    countersLabel_->setObjectName(QStringLiteral("countersLabel"));
    // Longer texts are cut rather than widening the window.
    for (QLabel* label : {positionLabel_, countersLabel_})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* savePaperButton = new QPushButton(QStringLiteral("Save paper as SVG\u2026"), panel_);
    savePaperButton->setObjectName(QStringLiteral("savePaperButton"));
    auto* clearPaperButton = new QPushButton(QStringLiteral("Clear paper"), panel_);
    clearPaperButton->setObjectName(QStringLiteral("clearPaperButton"));
    connect(savePaperButton, &QPushButton::clicked, this, &VirtualPlotterView::onSavePaperClicked);
    connect(clearPaperButton, &QPushButton::clicked, this, &VirtualPlotterView::clearPaper);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(savePaperButton);
    buttons->addWidget(clearPaperButton);
    buttons->addStretch(1);
    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->addWidget(positionLabel_);
    panelLayout->addWidget(countersLabel_);
    panelLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1); // the drawing fills this part
    layout->addWidget(panel_);
    showTexts();

    frameTimer_ = new QTimer(this);
    frameTimer_->setObjectName(QStringLiteral("frameTimer"));
    frameTimer_->setInterval(kFrameIntervalMs);
    connect(frameTimer_, &QTimer::timeout, this, &VirtualPlotterView::refresh);
    frameTimer_->start();
}

// The ring is drained before the snapshot is read, so that the snapshot is at least as
// new as the ink taken; it may still name a segment just taken as finished, which
// growing() leaves out by its number.
void VirtualPlotterView::refresh()
{
    const std::size_t before = finished_.size();
    const std::size_t taken = feed_.finishedInk.popInto(finished_);
    std::size_t kept = before;
    for (std::size_t i = before; i < before + taken; ++i)
        if (keep(++finishedCount_, finished_[i]))
            finished_[kept++] = finished_[i];
    finished_.resize(kept);
    const std::uint64_t dropped = feed_.finishedInk.dropped();
    finishedCount_ += dropped - dropped_; // a refused segment was finished all the same
    const VirtualPlotterState now = feed_.state.load();
    const bool changed = kept > before || dropped != dropped_ || pictureChanged(state_, now)
                         || inkTravel_ != QSizeF(travelMm(false), travelMm(true));
    dropped_ = dropped;
    state_ = now;
    showTexts();
    if (changed)
        update(drawingArea());
}

bool VirtualPlotterView::keep(std::uint64_t number, PaperSegment& segment) const
{
    if (number < cleared_.firstKept)
        return false;
    if (number > cleared_.firstKept || !cleared_.trimmed)
        return true;
    segment.x1 = cleared_.x;
    segment.y1 = cleared_.y;
    return segment.x1 != segment.x2 || segment.y1 != segment.y2;
}

bool VirtualPlotterView::growing(PaperSegment& segment) const
{
    segment = state_.growing;
    return state_.segmentsDrawn > finishedCount_ && keep(state_.segmentsDrawn, segment);
}

std::vector<PaperSegment> VirtualPlotterView::paper() const
{
    std::vector<PaperSegment> paper = finished_;
    if (PaperSegment last; growing(last))
        paper.push_back(last);
    return paper;
}

// Whatever was drawn up to now goes, the drawn part of a growing segment included; ink
// drawn after it shows as it comes.
void VirtualPlotterView::clearPaper()
{
    refresh();
    cleared_ = ClearMark{finishedCount_ + 1};
    if (PaperSegment last; growing(last))
        cleared_ = ClearMark{state_.segmentsDrawn, true, last.x2, last.y2};
    finished_.clear();
    inkImage_ = QImage();
    update(drawingArea());
}

void VirtualPlotterView::showTexts()
{
    const VirtualPlotterCounters& c = state_.counters;
    positionLabel_->setText(QStringLiteral("X %1 mm   Y %2 mm   pen %3   motors %4")
                                .arg(state_.xMm, 0, 'f', 2)
                                .arg(state_.yMm, 0, 'f', 2)
                                .arg(state_.penDown ? QStringLiteral("down") : QStringLiteral("up"))
                                .arg(state_.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off")));
    QString counters = QStringLiteral("Steps X %1, Y %2   lost steps X %3, Y %4   pen moves %5")
                           .arg(c.stepsX)
                           .arg(c.stepsY)
                           .arg(c.lostStepsX)
                           .arg(c.lostStepsY)
                           .arg(c.penMoves);
    if (c.endStopsX + c.endStopsY > 0)
        counters += QStringLiteral("   against an end of travel X %1, Y %2").arg(c.endStopsX).arg(c.endStopsY);
    if (dropped_ > 0)
        counters += QStringLiteral("   %1 ink %2 not shown")
                        .arg(dropped_)
                        .arg(dropped_ == 1 ? QStringLiteral("segment") : QStringLiteral("segments"));
    countersLabel_->setText(counters);
}

double VirtualPlotterView::travelMm(bool yAxis) const
{
    const double travel = yAxis ? settings_.travelYmm : settings_.travelXmm;
    return travel > 0 ? travel : 1; // a travel of nothing still gets a drawing area
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

// Brings the cached image up to date: drawn anew for another size or travel area (or
// after a Clear), else only the finished ink that came since the last frame is added.
void VirtualPlotterView::extendInkImage(const Mapping& m)
{
    const QSize size = drawingArea().size().expandedTo(QSize(1, 1));
    const QSizeF travel(travelMm(false), travelMm(true));
    if (inkImage_.size() != size || inkTravel_ != travel) {
        inkImage_ = QImage(size, QImage::Format_RGB32);
        inkImage_.fill(kFrameColour);
        QPainter(&inkImage_).fillRect(QRectF(m.map(0, travel.height()), m.map(travel.width(), 0)), kPaperColour);
        inkTravel_ = travel;
        inkDrawn_ = 0;
    }
    if (inkDrawn_ == finished_.size())
        return;
    QPainter p(&inkImage_);
    p.setRenderHint(QPainter::Antialiasing);
    // One batch of lines for each run of segments in one pen.
    std::vector<QLineF> lines;
    lines.reserve(finished_.size() - inkDrawn_);
    for (std::size_t i = inkDrawn_; i < finished_.size();) {
        const char pen = finished_[i].pen;
        lines.clear();
        for (; i < finished_.size() && finished_[i].pen == pen; ++i)
            lines.push_back(inkLine(finished_[i], m));
        p.setPen(inkPen(m.scale, pen));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    inkDrawn_ = finished_.size();
}

void VirtualPlotterView::paintEvent(QPaintEvent*)
{
    ++framesPainted_;
    const Mapping m = mapping();
    extendInkImage(m);
    QPainter p(this);
    p.drawImage(0, 0, inkImage_);
    paintMachine(p, m);
}

// Over the finished ink: the growing segment, the switch lamps, the gantry's markers on
// the travel area's edges, the cross-hair coloured by the motors with the pen's circle
// (filled while down), and the title.
void VirtualPlotterView::paintMachine(QPainter& p, const Mapping& m)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (PaperSegment last; growing(last)) {
        p.setPen(inkPen(m.scale, last.pen));
        p.drawLine(inkLine(last, m));
    }
    for (const bool yAxis : {false, true}) {
        const QRect lamp = switchRect(m, yAxis);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush((yAxis ? state_.ySwitchClosed : state_.xSwitchClosed) ? kSwitchClosedColour : kSwitchOpenColour);
        p.drawRect(QRectF(lamp).adjusted(0.5, 0.5, -0.5, -0.5));
        p.setPen(Qt::white);
        p.drawText(letterRect(lamp, yAxis), Qt::AlignCenter, yAxis ? QStringLiteral("Y") : QStringLiteral("X"));
    }

    const QPoint pen = m.map(state_.xMm, state_.yMm).toPoint();
    const QRect travel = QRectF(m.map(0, travelMm(true)), m.map(travelMm(false), 0)).toAlignedRect();
    const int gap = kMarkerGapPx, length = kMarkerLengthPx;
    p.fillRect(QRect(pen.x() - 1, travel.top() - gap - length, 3, length), kGantryColour);
    p.fillRect(QRect(pen.x() - 1, travel.bottom() + 1 + gap, 3, length), kGantryColour);
    p.fillRect(QRect(travel.left() - gap - length, pen.y() - 1, length, 3), kGantryColour);
    p.fillRect(QRect(travel.right() + 1 + gap, pen.y() - 1, length, 3), kGantryColour);

    const double r = kPenRadiusPx;
    const QPointF centre(pen);
    p.setPen(QPen(state_.dataLatch != 0 ? kEnergisedColour : kIdleColour, 2));
    p.drawLine(centre - QPointF(3 * r, 0), centre + QPointF(3 * r, 0));
    p.drawLine(centre - QPointF(0, 3 * r), centre + QPointF(0, 3 * r));
    p.setBrush(state_.penDown ? QBrush(kInkColour) : QBrush(Qt::NoBrush));
    p.setPen(QPen(kInkColour, 2));
    p.drawEllipse(centre, r, r);

    p.setPen(Qt::white);
    p.drawText(QRect(6, 4, std::max(0, width() - 12), fontMetrics().height() + 2), Qt::AlignTop | Qt::AlignLeft,
               QStringLiteral("%1 x %2 mm   motors %3")
                   .arg(travelMm(false))
                   .arg(travelMm(true))
                   .arg(state_.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off")));
}

bool VirtualPlotterView::savePaperAs(const QString& path)
{
    refresh();
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    if (const Result<void> written = writePaperSvg(file, paper(), travelMm(false), travelMm(true)); !written) {
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

} // namespace orlex::ui
