// What the full HP-GL reading hands to the sink, one table per command group. Every
// expected point is worked out by hand from the command's meaning (page 11880 x 8400,
// P1 at 0,0 after IN), not taken from a run.
#include "full_hpgl_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

constexpr bool U = false, D = true;

struct Case {
    const char* name;
    std::string file;
    std::vector<SinkPoint> points;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.name;
}

class DrawsThesePoints : public FullReading, public ::testing::WithParamInterface<Case> {};

TEST_P(DrawsThesePoints, InOrder)
{
    const FullReadResult result = read(GetParam().file);
    EXPECT_FALSE(result.refusal) << result.refusal->message;
    EXPECT_TRUE(samePoints(sink.points, GetParam().points));
}

// Coordinates, IP, IR, SC, RO and IW.
INSTANTIATE_TEST_SUITE_P(
    StateAndScaling, DrawsThesePoints,
    ::testing::Values(
        Case{"pairs with blanks signs and decimals",
             "PU 100 , 200 PD+300,200,300.5,-400.25;",
             {{100, 200, U}, {300, 200, D}, {300.5, -400.25, D}}},
        Case{"relative", "PU100,100;PR;PD50,0,0,50;", {{100, 100, U}, {150, 100, D}, {150, 150, D}}},
        Case{"lower case without separators", "pu10,10pd20,20", {{10, 10, U}, {20, 20, D}}},
        Case{"a sign starts the next number", "PU10-20;", {{10, -20, U}}},
        Case{"anisotropic scale",
             "IP1000,1000,3000,2000;SC0,100,0,10;PU0,0;PD100,10,50,5;",
             {{1000, 1000, U}, {3000, 2000, D}, {2000, 1500, D}}},
        Case{
            "isotropic scale centred", "IP0,0,4000,2000;SC0,10,0,10,1;PU0,0;PD10,10;", {{1000, 0, U}, {3000, 2000, D}}},
        Case{"isotropic scale to the left",
             "IP0,0,4000,2000;SC0,10,0,10,1,0,0;PU0,0;PD10,10;",
             {{0, 0, U}, {2000, 2000, D}}},
        Case{"point factor", "IP100,200,300,400;SC0,2,0,3,2;PU0,0;PD10,10;", {{100, 200, U}, {120, 230, D}}},
        Case{"relative moves in user units",
             "IP0,0,1000,1000;SC0,10,0,10;PU1,1;PR;PD2,3;",
             {{100, 100, U}, {300, 400, D}}},
        Case{"IP with P1 alone keeps P2 as far", "IP0,0,1000,1000;IP500,500;SC0,10,0,10;PU10,10;", {{1500, 1500, U}}},
        Case{"IR in per cent of the page", "IR0,0,50,50;SC0,1,0,1;PU1,1;", {{5940, 4200, U}}},
        Case{"SC without parameters ends scaling", "IP0,0,100,100;SC0,1,0,1;SC;PU5,5;", {{5, 5, U}}},
        Case{"DF ends scaling but keeps P1 and P2", "IP0,0,100,100;DF;SC0,1,0,1;PU1,1;", {{100, 100, U}}},
        Case{"IN ends scaling", "SC0,1,0,1;IN;PU5,5;", {{5, 5, U}}},
        Case{"RO 90", "RO90;PU100,200;PD100,300;", {{11680, 100, U}, {11580, 100, D}}},
        Case{"RO 180", "RO180;PU100,200;", {{11780, 8200, U}}}, Case{"RO 270", "RO270;PU100,200;", {{200, 8300, U}}},
        Case{"RO puts P2 at the turned page's corner", "RO90;SC0,1,0,1;PU1,1;", {{0, 8400, U}}},
        Case{"IW clips a line at its edges",
             "IW100,100,200,200;PU0,150;PD300,150;",
             {{0, 150, U}, {100, 150, U}, {200, 150, D}}},
        Case{"IW leaves out a line wholly outside", "IW100,100,200,200;PU0,0;PD300,50;", {{0, 0, U}}},
        Case{"IW in user units",
             "IP0,0,1000,1000;SC0,10,0,10;IW1,1,2,2;PU0,1.5;PD10,1.5;",
             {{0, 150, U}, {100, 150, U}, {200, 150, D}}},
        Case{"RO 90 turns the window too",
             "RO90;IW0,0,100,100;PU50,-50;PD50,150;",
             {{11930, 50, U}, {11880, 50, U}, {11780, 50, D}}},
        Case{"separators and lone letters between commands", " ;\r\n X PU1,2 ;;PD3,4", {{1, 2, U}, {3, 4, D}}},
        Case{"printer escapes before the plot",
             "\x1b%-12345X\x1b"
             "E\x1b.(;PU1,2;",
             {{1, 2, U}}},
        Case{"isotropic scale with a reversed range",
             "IP0,0,1000,1000;SC10,0,0,10,1;PU10,0;PD0,10;",
             {{0, 0, U}, {1000, 1000, D}}},
        Case{"PU without coordinates adds no point", "PU0,0;PD1,1;PU;", {{0, 0, U}, {1, 1, D}}},
        Case{"DF makes lines solid again", "IP0,0,3000,4000;LT2;DF;PU0,0;PD500,0;", {{0, 0, U}, {500, 0, D}}}),
    rowName<Case>);

// CI, AA, AR, AT, RT, EA, ER, EW.
INSTANTIATE_TEST_SUITE_P(
    CurvesAndShapes, DrawsThesePoints,
    ::testing::Values(
        Case{"CI goes round counterclockwise from the radius along x",
             "PU1000,1000;CI100,90;",
             {{1000, 1000, U}, {1100, 1000, U}, {1000, 1100, D}, {900, 1000, D}, {1000, 900, D}, {1100, 1000, D}}},
        Case{"CI with a negative radius starts opposite",
             "PU1000,1000;CI-100,90;",
             {{1000, 1000, U}, {900, 1000, U}, {1000, 900, D}, {1100, 1000, D}, {1000, 1100, D}, {900, 1000, D}}},
        Case{"CI leaves the pen at the centre",
             "PU1000,1000;CI100,180;PD1000,0;",
             {{1000, 1000, U}, {1100, 1000, U}, {900, 1000, D}, {1100, 1000, D}, {1000, 1000, U}, {1000, 0, D}}},
        Case{"AA counterclockwise in 45 degree chords",
             "PU0,0;PD;AA0,100,90,45;",
             {{0, 0, U}, {70.711, 29.289, D}, {100, 100, D}}},
        Case{"AR clockwise with the pen up", "PU0,0;AR100,0,-90,90;", {{0, 0, U}, {100, 100, U}}},
        Case{"AT through three points", "PU0,0;PD;AT100,100,200,0,90;", {{0, 0, U}, {100, 100, D}, {200, 0, D}}},
        Case{"RT on one line is a straight line", "PU0,0;PD;RT100,0,200,0;", {{0, 0, U}, {200, 0, D}}},
        Case{"EA outlines and the pen stays",
             "PU100,100;EA300,200;PD400,400;",
             {{100, 100, U}, {300, 100, D}, {300, 200, D}, {100, 200, D}, {100, 100, D}, {400, 400, D}}},
        Case{"ER relative",
             "PU100,100;ER-50,50;",
             {{100, 100, U}, {50, 100, D}, {50, 150, D}, {100, 150, D}, {100, 100, D}}},
        Case{"EW wedge with its radii",
             "PU0,0;EW100,0,90,45;",
             {{0, 0, U}, {100, 0, D}, {70.711, 70.711, D}, {0, 100, D}, {0, 0, D}}},
        Case{"an anisotropic scale draws a circle as an ellipse",
             "IP0,0,2000,1000;SC0,10,0,10;PU5,5;CI5,90;",
             {{1000, 500, U}, {2000, 500, U}, {1000, 1000, D}, {0, 500, D}, {1000, 0, D}, {2000, 500, D}}},
        // 1 - 29.3 / 100 is the cosine of 45.0086 degrees: chords of 90.017 degrees, 4 of them.
        Case{"CT 1 flattens by the chord deviation",
             "CT1;PU0,0;CI100,29.3;",
             {{0, 0, U}, {100, 0, U}, {0, 100, D}, {-100, 0, D}, {0, -100, D}, {100, 0, D}}},
        Case{"EW of 360 degrees has no radii",
             "PU0,0;EW100,0,360,90;",
             {{0, 0, U}, {100, 0, U}, {0, 100, D}, {-100, 0, D}, {0, -100, D}, {100, 0, D}}},
        Case{"EW clockwise",
             "PU0,0;EW100,90,-90,45;",
             {{0, 0, U}, {0, 100, D}, {70.711, 70.711, D}, {100, 0, D}, {0, 0, D}}},
        Case{"BZ on a straight line is one chord", "PU0,0;PD;BZ100,0,200,0,300,0;", {{0, 0, U}, {300, 0, D}}},
        // p1 = p2 = p0 and p3 = p0 + (50, 0): B(t) = p0 + (50 t^3, 0); the second difference
        // 50 asks for ceil(sqrt(6 * 50 / (8 * 2))) = 5 chords for 0.05 mm.
        Case{"BR relative",
             "PU100,100;PD;BR0,0,0,0,50,0;",
             {{100, 100, U}, {100.4, 100, D}, {103.2, 100, D}, {110.8, 100, D}, {125.6, 100, D}, {150, 100, D}}},
        Case{"XT and YT ticks by TL",
             "IP0,0,1000,2000;TL2,1;PU500,500;XT;YT;",
             {{500, 500, U}, {500, 540, U}, {500, 480, D}, {520, 500, U}, {490, 500, D}}}),
    rowName<Case>);

// PM, EP, FP, RA, FT, PW.
INSTANTIATE_TEST_SUITE_P(
    PolygonsAndFills, DrawsThesePoints,
    ::testing::Values(Case{"EP closes a polygon closed with the pen down",
                           "PU0,0;PM0;PD100,0,100,100;PM2;EP;",
                           {{0, 0, U}, {100, 0, D}, {100, 100, D}, {0, 0, D}}},
                      Case{"EP leaves the closing edge out when the pen was up",
                           "PU0,0;PM0;PD100,0,100,100;PU;PM2;EP;",
                           {{0, 0, U}, {100, 0, D}, {100, 100, D}}},
                      Case{"the first point after PM1 starts a subpolygon",
                           "PU0,0;PM0;PD100,0,100,100;PM1;PD200,0,300,0;PM2;EP;",
                           {{0, 0, U}, {100, 0, D}, {100, 100, D}, {0, 0, D}, {200, 0, U}, {300, 0, D}, {200, 0, D}}},
                      Case{"EP outlines the last rectangle again",
                           "PU0,0;EA100,50;PU200,200;EP;",
                           {{0, 0, U},
                            {100, 0, D},
                            {100, 50, D},
                            {0, 50, D},
                            {0, 0, D},
                            {200, 200, U},
                            {0, 0, U},
                            {100, 0, D},
                            {100, 50, D},
                            {0, 50, D},
                            {0, 0, D}}},
                      Case{"FT 3 hatches at its spacing, every other line backwards",
                           "PU0,0;FT3,100,0;RA300,250;",
                           {{0, 0, U}, {300, 0, D}, {300, 100, U}, {0, 100, D}, {0, 200, U}, {300, 200, D}}},
                      // Turned by 90 degrees the lines run at x = 200, 100 and 0; the one on the edge x = 0
                      // crosses no edge, as the half-open crossing rule has it.
                      Case{"FT 3 at 90 degrees",
                           "PU0,0;FT3,100,90;RA250,300;",
                           {{0, 0, U}, {200, 0, U}, {200, 300, D}, {100, 300, U}, {100, 0, D}}},
                      Case{"FT 1 solid: lines one pen width apart",
                           "PW1;PU0,0;FT1;RA100,100;",
                           {{0, 0, U}, {100, 0, D}, {100, 40, U}, {0, 40, D}, {0, 80, U}, {100, 80, D}}},
                      Case{"FT 2 solid, all one way",
                           "PW1;PU0,0;FT2;RA100,100;",
                           {{0, 0, U}, {100, 0, D}, {0, 40, U}, {100, 40, D}, {0, 80, U}, {100, 80, D}}},
                      Case{"FP leaves the hole of a ring in a ring",
                           "PU0,0;PM0;PD300,0,300,300,0,300;PM1;PU100,100;PD200,100,200,200,100,200;PM2;FT3,150,0;FP;",
                           {{0, 0, U}, {300, 0, D}, {300, 150, U}, {200, 150, D}, {100, 150, U}, {0, 150, D}}},
                      Case{"FP 1 fills it by the winding rule",
                           "PU0,0;PM0;PD300,0,300,300,0,300;PM1;PU100,100;PD200,100,200,200,100,200;PM2;FT3,150,0;FP1;",
                           {{0, 0, U}, {300, 0, D}, {300, 150, U}, {200, 150, D}, {100, 150, D}, {0, 150, D}}},
                      Case{"CI in polygon mode is a subpolygon of its own",
                           "PU0,0;PM0;CI100,90;PM2;EP;",
                           {{0, 0, U}, {100, 0, U}, {0, 100, D}, {-100, 0, D}, {0, -100, D}, {100, 0, D}}},
                      Case{"FT 4 cross-hatches",
                           "PU0,0;FT4,100,0;RA200,200;",
                           {{0, 0, U},
                            {200, 0, D},
                            {200, 100, U},
                            {0, 100, D},
                            {200, 0, U},
                            {200, 200, D},
                            {100, 200, U},
                            {100, 0, D}}},
                      Case{"FT 10 spreads solid lines by the shade",
                           "PW1;PU0,0;FT10,50;RA100,100;",
                           {{0, 0, U}, {100, 0, D}, {100, 80, U}, {0, 80, D}}},
                      Case{"AC moves the lines' anchor",
                           "PU0,0;AC0,50;FT3,100,0;RA300,250;",
                           {{0, 0, U}, {0, 50, U}, {300, 50, D}, {300, 150, U}, {0, 150, D}}},
                      Case{"WU 1 takes PW in per cent of P1-P2",
                           "IP0,0,3000,4000;WU1;PW2;PU0,0;FT1;RA300,300;",
                           {{0, 0, U}, {300, 0, D}, {300, 100, U}, {0, 100, D}, {0, 200, U}, {300, 200, D}}},
                      Case{"EP and FP without a polygon draw nothing", "EP;FP;PU1,1;", {{1, 1, U}}},
                      Case{"IN ends polygon mode", "PM0;PD1,1;IN;PU5,5;", {{5, 5, U}}},
                      Case{"PT sets the pen width in millimetres",
                           "PT1;PU0,0;FT2;RA100,100;",
                           {{0, 0, U}, {100, 0, D}, {0, 40, U}, {100, 40, D}, {0, 80, U}, {100, 80, D}}}),
    rowName<Case>);

// LT and UL: P1-P2 of 3000 x 4000 has a diagonal of 5000, so the default pattern is 200 long.
INSTANTIATE_TEST_SUITE_P(
    LineTypes, DrawsThesePoints,
    ::testing::Values(
        Case{"LT 2 dashes with the pen lifted between",
             "IP0,0,3000,4000;LT2;PU0,0;PD500,0;",
             {{0, 0, U}, {100, 0, D}, {200, 0, U}, {300, 0, D}, {400, 0, U}, {500, 0, D}}},
        Case{"the pattern goes on round a corner",
             "IP0,0,3000,4000;LT2;PU0,0;PD150,0,150,150;",
             {{0, 0, U}, {100, 0, D}, {150, 50, U}, {150, 150, D}}},
        Case{"a pen-up move starts the pattern afresh",
             "IP0,0,3000,4000;LT2;PU0,0;PD150,0;PU0,10;PD150,10;",
             {{0, 0, U}, {100, 0, D}, {0, 10, U}, {100, 10, D}}},
        Case{"a pattern length in millimetres",
             "LT2,10,1;PU0,0;PD800,0;",
             {{0, 0, U}, {200, 0, D}, {400, 0, U}, {600, 0, D}}},
        Case{"an adaptive pattern fits whole patterns",
             "IP0,0,3000,4000;LT-2;PU0,0;PD450,0;",
             {{0, 0, U}, {112.5, 0, D}, {225, 0, U}, {337.5, 0, D}}},
        Case{"LT 0 dots the ends of lines",
             "LT0;PU0,0;PD100,0,100,100;",
             {{0, 0, U}, {100, 0, U}, {100, 0, D}, {100, 100, U}, {100, 100, D}}},
        Case{"LT 4 dash and dot",
             "IP0,0,3000,4000;LT4;PU0,0;PD200,0;",
             {{0, 0, U}, {160, 0, D}, {180, 0, U}, {180, 0, D}}},
        Case{"LT without parameters is solid", "IP0,0,3000,4000;LT2;LT;PU0,0;PD500,0;", {{0, 0, U}, {500, 0, D}}},
        Case{"UL defines a pattern",
             "IP0,0,3000,4000;UL2,1,1,2;LT2;PU0,0;PD200,0;",
             {{0, 0, U}, {50, 0, D}, {100, 0, U}, {200, 0, D}}},
        Case{"LT 99 brings the pattern back",
             "IP0,0,3000,4000;LT2;LT;LT99;PU0,0;PD300,0;",
             {{0, 0, U}, {100, 0, D}, {200, 0, U}, {300, 0, D}}},
        Case{"IW clips the dashes",
             "IP0,0,3000,4000;LT2;IW50,-10,250,10;PU0,0;PD300,0;",
             {{0, 0, U}, {50, 0, U}, {100, 0, D}, {200, 0, U}, {250, 0, D}}}),
    rowName<Case>);

// PE: a value v is sent as 2|v| (+1 when negative), in base 64 digits from the lowest, 63 + d,
// the last 191 + d. 2000 -> 4000 = 32 + 62 * 64: '_' then 0xfd; 0 -> 0xbf; 1 -> 0xc1;
// 2 -> 0xc3; 3 -> 0xc5; -1 -> 0xc2. Seven-bit mode: base 32, 63 + d, the last 95 + d.
INSTANTIATE_TEST_SUITE_P(
    EncodedPolylines, DrawsThesePoints,
    ::testing::Values(Case{"relative points, pen down",
                           "PU1000,1000;PE_\xfd\xbf\xbf_\xfd;",
                           {{1000, 1000, U}, {3000, 1000, D}, {3000, 3000, D}}},
                      Case{"a pen-up point, then on down",
                           "PU1000,1000;PE<\xc1\xc1\xc1\xbf;",
                           {{1000, 1000, U}, {1001, 1001, U}, {1002, 1001, D}}},
                      Case{"an absolute point", "PU1000,1000;PE=\xc3\xc5;", {{1000, 1000, U}, {2, 3, D}}},
                      Case{"negative values", "PU1000,1000;PE\xc2\xc2;", {{1000, 1000, U}, {999, 999, D}}},
                      Case{"fractional bits", "PU0,0;PE>\xc1=\xc1\xc1;", {{0, 0, U}, {0.5, 0.5, D}}},
                      Case{"seven-bit mode", "PU0,0;PE7A_a;", {{0, 0, U}, {1, 1, D}}}),
    rowName<Case>);

// LB with SI 1,1: characters 400 wide and high, cells 600 wide. The stroke font's H is 22
// wide with its stems at 4 and 18 and its bar at 11 of a cap height of 21; a capital's
// body (16) is the character width: stems at 200 - 11 * 25 + 4 * 25 = 25 and 375.
INSTANTIATE_TEST_SUITE_P(
    Labels, DrawsThesePoints,
    ::testing::Values(
        Case{"H at the origin",
             "SI1,1;PU0,0;LBH\x03",
             {{0, 0, U}, {25, 400, U}, {25, 0, D}, {375, 400, U}, {375, 0, D}, {25, 209.524, U}, {375, 209.524, D}}},
        Case{"LO 5 centres it",
             "SI1,1;LO5;PU0,0;LBH\x03",
             {{0, 0, U},
              {-175, 200, U},
              {-175, -200, D},
              {175, 200, U},
              {175, -200, D},
              {-175, 9.524, U},
              {175, 9.524, D}}},
        Case{
            "DI 0,1 writes upwards",
            "SI1,1;DI0,1;PU0,0;LBH\x03",
            {{0, 0, U}, {-400, 25, U}, {0, 25, D}, {-400, 375, U}, {0, 375, D}, {-209.524, 25, U}, {-209.524, 375, D}}},
        Case{"SL slants by its tangent",
             "SI1,1;SL1;PU0,0;LBH\x03",
             {{0, 0, U},
              {425, 400, U},
              {25, 0, D},
              {775, 400, U},
              {375, 0, D},
              {234.524, 209.524, U},
              {584.524, 209.524, D}}},
        Case{"SR sizes in per cent of P1-P2",
             "IP0,0,16000,21000;SR1,1;PU0,0;LBH\x03",
             {{0, 0, U}, {10, 210, U}, {10, 0, D}, {150, 210, U}, {150, 0, D}, {10, 110, U}, {150, 110, D}}},
        Case{"the pen ends where the next character would go",
             "SI1,1;PU0,0;LB  \x03PD0,0;",
             {{0, 0, U}, {1200, 0, U}, {0, 0, D}}},
        Case{"CR and LF within a label", "SI1,1;PU0,0;LB \r\n\x03PD0,0;", {{0, 0, U}, {0, -800, U}, {0, 0, D}}},
        Case{"DT sets the terminator", "DT#;SI1,1;PU0,0;LB#PD10,0;", {{0, 0, U}, {10, 0, D}}},
        Case{"CP moves by cells and lines", "SI1,1;PU0,0;CP2,1;PD0,0;", {{0, 0, U}, {1200, 800, U}, {0, 0, D}}},
        // Default size 0.187 x 0.269 cm: 74.8 x 107.6, centred on the point.
        Case{"SM draws its symbol at each point",
             "SMH;PU1000,1000;",
             {{1000, 1000, U},
              {967.275, 1053.8, U},
              {967.275, 946.2, D},
              {1032.725, 1053.8, U},
              {1032.725, 946.2, D},
              {967.275, 1002.562, U},
              {1032.725, 1002.562, D}}},
        Case{"LO 11 moves half a character off the point",
             "SI1,1;LO11;PU0,0;LBH\x03",
             {{0, 0, U},
              {225, 600, U},
              {225, 200, D},
              {575, 600, U},
              {575, 200, D},
              {225, 409.524, U},
              {575, 409.524, D}}},
        Case{"ES adds whole cells between characters",
             "SI1,1;ES1;PU0,0;LB  \x03PD0,0;",
             {{0, 0, U}, {2400, 0, U}, {0, 0, D}}},
        Case{"BS steps back a cell", "SI1,1;PU0,0;LB \b \x03PD0,0;", {{0, 0, U}, {600, 0, U}, {0, 0, D}}},
        // DR 1,0.5 on P1-P2 of 1000 x 2000 runs at 45 degrees.
        Case{"DR in terms of P1-P2",
             "IP0,0,1000,2000;SI1,1;DR1,0.5;PU0,0;LB \x03PD0,0;",
             {{0, 0, U}, {424.264, 424.264, U}, {0, 0, D}}},
        Case{"BL keeps a label that PB draws", "SI1,1;BL  \x03PU0,0;PB;PD0,0;", {{0, 0, U}, {1200, 0, U}, {0, 0, D}}},
        Case{"CP without parameters goes below the last label",
             "SI1,1;PU100,100;LB \x03"
             "CP;PD0,0;",
             {{100, 100, U}, {100, -700, U}, {0, 0, D}}},
        Case{"a negative width mirrors",
             "SI-1,1;PU0,0;LBH\x03",
             {{0, 0, U},
              {-25, 400, U},
              {-25, 0, D},
              {-375, 400, U},
              {-375, 0, D},
              {-25, 209.524, U},
              {-375, 209.524, D}}},
        Case{
            "LO 3 hangs the label below the point",
            "SI1,1;LO3;PU0,0;LBH\x03",
            {{0, 0, U}, {25, 0, U}, {25, -400, D}, {375, 0, U}, {375, -400, D}, {25, -190.476, U}, {375, -190.476, D}}},
        Case{"LO 7 ends the label at the point",
             "SI1,1;LO7;PU0,0;LBH\x03",
             {{0, 0, U},
              {-375, 400, U},
              {-375, 0, D},
              {-25, 400, U},
              {-25, 0, D},
              {-375, 209.524, U},
              {-25, 209.524, D}}}),
    rowName<Case>);

} // namespace
} // namespace orlex::test
