// The live picture of the virtual plotter: travel area, home switches, carriage, pen,
// motors and paper, repainted at most ~30 times a second and only when something changed.
#include "ui/virtual_plotter_view.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

namespace orlex::ui {

namespace {

constexpr int kFrameIntervalMs = 33; // about 30 frames a second at most
constexpr double kPenWidthMm = 0.3;  // line width of the pen on the paper
constexpr int kAreaMarginPx = 16;    // room around the machine drawing

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

    panel_ = new QWidget(this);
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
    panelLayout->addWidget(positionLabel_);
    panelLayout->addWidget(countersLabel_);
    panelLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1); // the drawing fills this part
    layout->addWidget(panel_);

    updateCounters(takeSnapshot());

    frameTimer_ = new QTimer(this);
    frameTimer_->setInterval(kFrameIntervalMs);
    connect(frameTimer_, &QTimer::timeout, this, &VirtualPlotterView::refresh);
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
    if (!firstFrame_ && now == shown_)
        return;
    firstFrame_ = false;
    shown_ = now;
    updateCounters(now);
    update();
}

void VirtualPlotterView::updateCounters(const Snapshot& now)
{
    positionLabel_->setText(QStringLiteral("X %1 mm   Y %2 mm   pen %3   motors %4")
                                .arg(plotter_.xMillimetres(), 0, 'f', 2)
                                .arg(plotter_.yMillimetres(), 0, 'f', 2)
                                .arg(now.penDown ? QStringLiteral("down") : QStringLiteral("up"))
                                .arg(now.dataLatch != 0 ? QStringLiteral("energised") : QStringLiteral("off")));
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

void VirtualPlotterView::paintEvent(QPaintEvent*)
{
    ++framesPainted_;
    const Mapping m = mapping();
    const double widthMm = travelMm(false);
    const double heightMm = travelMm(true);

    // Frame, travel area and the finished ink, from the cache.
    bringPaperUpToDate(m);
    QPainter p(this);
    p.drawImage(0, 0, paperImage_);
    const QRectF travel(m.map(0, heightMm), m.map(widthMm, 0));
    p.setRenderHint(QPainter::Antialiasing);
    const std::vector<PaperSegment>& paper = plotter_.paper();
    if (!paper.empty()) {
        const PaperSegment& last = paper.back();
        p.setPen(QPen(kInkColour, std::max(1.0, kPenWidthMm * m.scale), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(m.map(last.x1, last.y1), m.map(last.x2, last.y2));
    }

    // Home corner and its two switches, lit while closed.
    const QPointF home = m.map(0, 0);
    const double s = 8; // switch size in pixels
    const QRectF xSwitch(home.x() - s - 3, home.y() - 2 * s, s, 2 * s);
    const QRectF ySwitch(home.x(), home.y() + 3, 2 * s, s);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(plotter_.xSwitchClosed() ? kSwitchClosedColour : kSwitchOpenColour);
    p.drawRect(xSwitch);
    p.setBrush(plotter_.ySwitchClosed() ? kSwitchClosedColour : kSwitchOpenColour);
    p.drawRect(ySwitch);
    p.setPen(Qt::white);
    p.drawText(QRectF(xSwitch.left() - 14, xSwitch.top(), 12, xSwitch.height()), Qt::AlignCenter, QStringLiteral("X"));
    p.drawText(QRectF(ySwitch.left(), ySwitch.bottom() + 1, ySwitch.width(), 14), Qt::AlignCenter, QStringLiteral("Y"));

    // Carriage: the two gantry lines through the pen, and a cross-hair coloured by the motors.
    const QPointF pen = m.map(plotter_.xMillimetres(), plotter_.yMillimetres());
    p.setPen(QPen(kGantryColour, 1, Qt::DashLine));
    p.drawLine(QPointF(pen.x(), travel.top()), QPointF(pen.x(), travel.bottom()));
    p.drawLine(QPointF(travel.left(), pen.y()), QPointF(travel.right(), pen.y()));
    const QColor motors = plotter_.motorsEnergised() ? kEnergisedColour : kIdleColour;
    const double r = 6; // pen radius in pixels
    p.setPen(QPen(motors, 2));
    p.drawLine(pen - QPointF(3 * r, 0), pen + QPointF(3 * r, 0));
    p.drawLine(pen - QPointF(0, 3 * r), pen + QPointF(0, 3 * r));
    p.setBrush(plotter_.penDown() ? QBrush(kInkColour) : QBrush(Qt::NoBrush));
    p.setPen(QPen(kInkColour, 2));
    p.drawEllipse(pen, r, r);

    p.setPen(Qt::white);
    p.drawText(drawingArea().adjusted(6, 4, -6, -4), Qt::AlignTop | Qt::AlignLeft,
               QStringLiteral("%1 x %2 mm   motors %3")
                   .arg(widthMm)
                   .arg(heightMm)
                   .arg(plotter_.motorsEnergised() ? QStringLiteral("energised") : QStringLiteral("off")));
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
