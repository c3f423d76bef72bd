// "Virtual plotter": the simulated machine seen from above, to scale, updated live.
#pragma once

#include "drive/ports/virtual_plotter.h"
#include "settings/machine_settings.h"
#include "ui/quick_label.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QLabel;
class QPainter;
class QPushButton;
class QTimer;

namespace orlex::ui {

class VirtualPlotterView : public QWidget {
    Q_OBJECT
public:
    VirtualPlotterView(VirtualPlotter& plotter, const MachineSettings& settings, QWidget* parent = nullptr);

    // Writes the paper as SVG (travel area Maxx x Maxy mm); false and lastError() on failure.
    bool savePaperAs(const QString& path);
    QString lastError() const { return lastError_; }

    // Where a machine position (mm from home) lies on the drawing, in the view's pixels.
    QPointF machineToView(double xMm, double yMm) const;
    // Frames painted so far: the view repaints only when the machine changed.
    std::uint64_t framesPainted() const { return framesPainted_; }

public slots:
    void refresh(); // repaints and updates the counters if anything changed since the last frame

protected:
    void paintEvent(QPaintEvent* event) override;
    // The view's own paint only copies its frame image: its painter skips the widget's
    // pen, brush and font, which cost more to look up than a frame's copy.
    void initPainter(QPainter*) const override {}
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void onSavePaperClicked();
    void onClearPaperClicked();
    void onFrameTick();

private:
    // What the last frame showed; a frame is due when any of it differs.
    struct Snapshot {
        std::uint64_t paperRevision = 0;
        long xHalfSteps = 0, yHalfSteps = 0;
        double xMm = 0, yMm = 0; // the carriage
        bool xSwitchClosed = false, ySwitchClosed = false;
        std::size_t segments = 0;
        bool penDown = false;
        std::uint8_t dataLatch = 0;
        long stepsX = 0, stepsY = 0, lostX = 0, lostY = 0, penMoves = 0;
        double travelXmm = 0, travelYmm = 0;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot takeSnapshot() const;
    void showPosition(const Snapshot& now);
    void showCounters(const Snapshot& now);
    void repaintChanges(const Snapshot& now);
    // Whether the frame of `now` has to be built whole: another travel area, or the
    // paper cleared (and maybe drawn anew).
    bool wholeFrameNeeded(const Snapshot& before, const Snapshot& now) const;
    // What must be repainted to go from the frame of `before` to that of `now`.
    std::vector<QRect> changedRects(const Snapshot& before, const Snapshot& now) const;
    bool paperReplaced(const Snapshot& before) const; // cleared, maybe drawn anew
    void rememberPaper(const Snapshot& now);

    // Mapping of millimetres to pixels for the current size and travel area.
    struct Mapping {
        double scale = 1;                // pixels per millimetre
        double originX = 0, originY = 0; // pixel of the home corner
        QPointF map(double xMm, double yMm) const { return {originX + xMm * scale, originY - yMm * scale}; }
    };
    Mapping mapping() const;
    QRect drawingArea() const;
    double travelMm(bool yAxis) const;
    // Where the parts of the picture lie, in the view's pixels.
    QRect switchRect(const Mapping& m, bool yAxis) const;
    QRect lampPictureRect(const Mapping& m, bool yAxis) const; // the lamp with its letter
    QRect titleRect() const;
    // The carriage's picture, and the gantry's markers on the travel area's edges.
    std::array<QRect, 5> carriageRects(const Mapping& m, double xMm, double yMm) const;
    QRectF inkRect(const Mapping& m, const PaperSegment& segment) const;
    static double inkReach(const Mapping& m);
    // Pictures drawn once and then only laid over the frame.
    const QImage& carriagePicture(bool energised, bool penDown);
    const QImage& lampPicture(bool yAxis, bool closed);
    const QImage& titlePicture();

    // The frame is built in frameImage_ when the machine changes, from stillImage_ (frame
    // colour, travel area and the finished ink) and the parts that move; a paint only
    // copies it to the screen.
    void composeWhole();
    void compose(const Mapping& m, const QRect& part);
    void addFinishedInk(const Mapping& m);
    bool stillImageCurrent(const Mapping& m) const;

    VirtualPlotter& plotter_;
    const MachineSettings& settings_;
    QTimer* frameTimer_ = nullptr;
    QWidget* panel_ = nullptr; // labels and buttons under the drawing
    QuickLabel* positionLabel_ = nullptr;
    QuickLabel* countersLabel_ = nullptr;
    QPushButton* savePaperButton_ = nullptr;
    QPushButton* clearPaperButton_ = nullptr;

    Snapshot shown_;
    bool firstFrame_ = true;
    int ticks_ = 0; // of the frame timer
    // The paper as the last frame showed it: the start of its last segment and the
    // finished segment before it, to notice a paper cleared and drawn anew.
    PaperSegment shownLast_{}, shownBeforeLast_{};
    std::uint64_t framesPainted_ = 0;
    QString lastError_;

    QImage carriagePictures_[4]; // by motors energised and pen down
    QImage lampPictures_[4];     // by axis and switch closed
    QImage titlePicture_;
    QString titleText_;
    int titleHeight_ = 0;
    QImage frameImage_;
    QImage stillImage_;
    double stillScale_ = 0; // mapping the still image was drawn with
    QPointF stillOrigin_;
    QSizeF stillTravel_;            // travel area (mm) the still image was drawn for
    std::size_t stillFinished_ = 0; // segments drawn into it (all but a growing last one)
    PaperSegment stillLastDrawn_{}; // the last of them, to notice a cleared and redrawn paper
};

} // namespace orlex::ui
