// One run of the full HP-GL reading over an open file: the state every command group
// shares, and the commands themselves, in three files by group: reader.cpp (state,
// scaling, vectors, pens, line types), shape_commands.cpp (curves, rectangles, wedges,
// polygons, fills) and label_commands.cpp (labels and their settings).
#pragma once

#include "common/plotter_units.h"
#include "hpgl/full/command_scanner.h"
#include "hpgl/full/full_reader.h"
#include "hpgl/full/hatch_fill.h"
#include "hpgl/full/label_layout.h"
#include "hpgl/full/line_type.h"
#include "hpgl/full/pen_output.h"
#include "hpgl/full/plot_state.h"
#include "hpgl/full/polygon.h"
#include "hpgl/full/read_outcome.h"

#include <algorithm>
#include <string>
#include <vector>

namespace orlex::fullhpgl {

// A parameter HP-GL takes as an integer, truncated, held within a range any command's
// integers fit (so that a huge value cannot overflow the conversion).
inline int integerParameter(double value)
{
    return static_cast<int>(std::clamp(value, -1e6, 1e6));
}

class Reader {
public:
    Reader(CommandScanner& scanner, PlotSink& sink, const FullHpglOptions& options);
    void run();
    ReadOutcome& outcome() { return outcome_; }

private:
    // One command; false ends the reading.
    bool command(char first, char second);
    void initialize();  // IN
    void setDefaults(); // DF

    // Parameters: up to `max` numbers into `values`; the count, or -1 when one could not
    // be read (the command is then skipped and counted).
    int readParameters(double* values, int max);
    bool coordinateList();
    bool plotPair(double x, double y);
    // A move or a line to a frame point: into the polygon buffer in polygon mode, to the
    // pen otherwise.
    bool pathTo(Point frame, bool down);
    bool inputPoints(bool relative); // IP, IR
    bool scale();                    // SC
    bool rotate();                   // RO
    bool window();                   // IW
    bool lineType();                 // LT
    bool userLineType();             // UL
    bool selectPen();                // SP
    void applyLineType();
    bool ticks(bool xTick); // XT, YT

    // shape_commands.cpp
    bool circle();                            // CI
    bool arc(bool relative);                  // AA, AR
    bool arcThrough(bool relative);           // AT, RT
    bool bezier(bool relative);               // BZ, BR
    bool rectangle(bool relative, bool fill); // EA, ER, RA, RR
    bool wedge(bool fill);                    // EW, WG
    bool polygonMode();                       // PM
    bool fillPolygonCommand();                // FP
    bool encodedPolyline();                   // PE
    bool fillType();                          // FT
    bool chordDegrees(int count, double value, double radiusUser, double& degrees);
    bool curvePathTo(const std::vector<Point>& userPoints, bool down);
    bool drawShape(const Polygon& shape, bool fill);
    bool edgePolygon(const Polygon& polygon);
    bool fillPolygon(const Polygon& polygon, bool nonzeroWinding);
    // Whether a command has fewer than `needed` parameters (noted when so).
    bool tooFew(int count, int needed);
    bool tooManyChords(std::uint64_t chords);
    Ring userRing(const std::vector<Point>& userPoints) const;

    // label_commands.cpp
    bool label();                               // LB
    bool bufferLabel();                         // BL
    bool printBufferedLabel();                  // PB
    bool labelTerminator();                     // DT
    bool symbolMode();                          // SM
    bool characterPlot();                       // CP
    bool labelSetting(char first, char second); // SI, SR, DI, DR, SL, LO, ES
    // The text up to the terminator into `text`; false (refused) when there is none or
    // the text is too long.
    bool readLabelText(std::string& text);
    bool drawLabel(const std::string& text, Point start, const LabelStyle& style, Point* end);
    LabelStyle labelStyle() const;

    Point userPosition() const { return state_.toUser(frameAt_); }
    Point physical(Point frame) const { return state_.toPhysical(frame); }

    CommandScanner& scanner_;
    const FullHpglOptions& options_;
    ReadOutcome outcome_;
    PlotState state_;
    PenOutput output_;
    PolygonBuffer polygon_;
    DashPatterns patterns_;
    std::uint64_t fillWorkLeft_;
    std::vector<Point> curve_; // scratch for curves, user units

    Point frameAt_; // the pen's position, frame units
    bool penDown_ = false;
    bool relative_ = false;
    bool chordDeviation_ = false; // CT 1

    // LT: number (0 dots, +-1..8, or solid), length and its unit.
    bool lineSolid_ = true;
    int lineNumber_ = 0;
    double linePatternLength_ = 4; // per cent of P1-P2 or mm
    bool linePatternMm_ = false;
    bool previousLineSolid_ = true; // for LT99
    int previousLineNumber_ = 0;

    // FT, PW, WU, AC
    int fillKind_ = 1;
    double fillSpacing_ = 0; // user units along x; 0: 1 % of P1-P2
    double fillAngle_ = 0;
    double fillShading_ = 100;
    double penWidth_ = 0.35 * kPlotterUnitsPerMm; // plotter units
    bool penWidthRelative_ = false;               // WU 1
    Point fillAnchor_;                            // AC, frame units

    // Labels
    bool sizeRelative_ = false;
    double sizeWidth_ = 0.187, sizeHeight_ = 0.269; // cm (SI) or per cent (SR)
    bool directionRelative_ = false;
    double directionRun_ = 1, directionRise_ = 0;
    double slant_ = 0;
    int labelOrigin_ = 1;
    double extraSpaces_ = 0, extraLines_ = 0;
    int terminator_ = 3;   // ETX
    Point carriageReturn_; // where CP; goes back to, frame units
    std::string bufferedLabel_;
    int symbol_ = 0;                          // SM: the character drawn at each point, 0 for none
    double tickPlus_ = 0.5, tickMinus_ = 0.5; // TL, per cent
};

} // namespace orlex::fullhpgl
