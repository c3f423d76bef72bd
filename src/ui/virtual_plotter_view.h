// "Virtual plotter": the simulated machine seen from above, to scale, updated live from
// what the plotter publishes to the view's feed, never from the plotter itself.
#pragma once

#include "drive/ports/virtual_plotter.h"
#include "settings/machine_settings.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QLabel;
class QPainter;
class QTimer;

namespace orlex::ui {

// Where the view opens: beside the main window (`window`, its frame) within the screen's
// `available` area, at `preferred` size or smaller down to `minimum`; at `minimum` size in
// the screen's lower right corner when neither side has room. `titleBar` is kept free above the view for the
// frame's caption.
QRect viewPlaceBeside(const QRect& window, const QRect& available, QSize preferred, QSize minimum, int titleBar = 32);

class VirtualPlotterView : public QWidget {
    Q_OBJECT
public:
    // `paperSoFar` is the plotter's paper when it is given feed(): its last segment may
    // still grow and is taken from the feed's snapshot once the plotter publishes.
    explicit VirtualPlotterView(const MachineSettings& settings, std::vector<PaperSegment> paperSoFar = {},
                                QWidget* parent = nullptr);

    // What the plotter publishes to (VirtualPlotter::setFeed); the view reads only this.
    VirtualPlotterFeed& feed() { return feed_; }

    // The view's copy of the paper: the finished segments, then the growing one.
    std::vector<PaperSegment> paper() const;
    // Empties the view's copy; the plotter's paper stays as it is.
    void clearPaper();
    // Writes the view's copy as SVG (travel area Maxx x Maxy mm); false and lastError() on failure.
    bool savePaperAs(const QString& path);
    QString lastError() const { return lastError_; }

    // Where a machine position (mm from home) lies on the drawing, in the view's pixels.
    QPointF machineToView(double xMm, double yMm) const;
    std::uint64_t framesPainted() const { return framesPainted_; }

public slots:
    // Takes in what the feed holds now (new ink, the snapshot), updates the texts and asks
    // for a repaint when the picture changed. The frame timer calls it, hidden or not, so
    // that the ring never fills.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void onSavePaperClicked();

private:
    // Millimetres to pixels for the current size and travel area.
    struct Mapping {
        double scale = 1;                // pixels per millimetre
        double originX = 0, originY = 0; // pixel of the home corner
        QPointF map(double xMm, double yMm) const { return {originX + xMm * scale, originY - yMm * scale}; }
    };
    // What a Clear took off the paper: every segment numbered below firstKept, and the
    // part of segment firstKept up to (x, y) when it was growing at the time.
    struct ClearMark {
        std::uint64_t firstKept = 0;
        bool trimmed = false;
        double x = 0, y = 0;
    };

    Mapping mapping() const;
    QRect drawingArea() const;
    double travelMm(bool yAxis) const;
    QRect switchRect(const Mapping& m, bool yAxis) const;
    // Whether segment `number` (the plotter's count) is on the view's paper, cut after a Clear.
    bool keep(std::uint64_t number, PaperSegment& segment) const;
    bool growing(PaperSegment& segment) const; // the growing segment, when it is not among the finished
    void showTexts();
    void extendInkImage(const Mapping& m);
    void paintMachine(QPainter& p, const Mapping& m);

    VirtualPlotterFeed feed_;
    const MachineSettings& settings_;
    std::vector<PaperSegment> finished_; // the view's copy of the ink that can grow no more
    std::uint64_t finishedCount_ = 0;    // finished segments taken from the plotter, in its count
    std::uint64_t dropped_ = 0;          // of them, the ones the full ring refused
    VirtualPlotterState state_;          // the last snapshot
    ClearMark cleared_;
    QString lastError_;

    // Frame colour, paper and finished_[0, inkDrawn_), for a drawing area of this size and travel.
    QImage inkImage_;
    std::size_t inkDrawn_ = 0;
    QSizeF inkTravel_;
    std::uint64_t framesPainted_ = 0;

    QTimer* frameTimer_ = nullptr;
    QWidget* panel_ = nullptr; // texts and buttons under the drawing
    QLabel* positionLabel_ = nullptr;
    QLabel* countersLabel_ = nullptr;
};

} // namespace orlex::ui
