// Long paths drawn in pieces: the joined strokes are the whole path's, point for point,
// and paths whose drawing depends on the whole path are left whole.
#include "import/path_split.h"
#include "import/svg_prescan.h"
#include "import/svg_renderer.h"
#include "import_test_support.h"
#include "run/prepared_plot.h"

namespace orlex::test {
namespace {

std::vector<MmStroke> strokesOf(const std::string& svg, int pieceSegments, int* joinMarkers = nullptr)
{
    const auto prepared = prescanSvg(QByteArray::fromStdString(svg), SvgText::Stroke, false, pieceSegments);
    EXPECT_TRUE(prepared.ok()) << prepared.message();
    if (!prepared)
        return {};
    if (joinMarkers != nullptr)
        *joinMarkers = int(prepared->document.count("rgb(79,83,"));
    const auto drawn = renderStrokes(prepared->document, RenderRequest{QSizeF(100, 100), 1, 0.05, 1'000'000});
    EXPECT_TRUE(drawn.ok()) << drawn.message();
    return drawn ? drawn->strokes : std::vector<MmStroke>{};
}

std::string zigZag(int points, bool relative)
{
    std::string d = "M5 5";
    for (int i = 1; i < points; ++i) {
        const double x = 5 + 90.0 * i / points + (i % 3) * 7.31, y = i % 2 ? 95 - (i % 5) * 1.7 : 5 + (i % 7) * 0.9;
        const double px = 5 + 90.0 * (i - 1) / points + ((i - 1) % 3) * 7.31;
        const double py = (i - 1) % 2 ? 95 - ((i - 1) % 5) * 1.7 : 5 + ((i - 1) % 7) * 0.9;
        d += relative ? " l" + std::to_string(x - px) + " " + std::to_string(y - py)
                      : " L" + std::to_string(x) + " " + std::to_string(y);
    }
    return d;
}

struct PiecesCase {
    const char* name;
    std::string body; // inside the 100 x 100 mm page; the path under test has stroke="black"
    int segments;     // piece size
    bool split;       // drawn in pieces
};

const std::string kPath = R"(<path fill="none" stroke="black" d=")";

class Pieces : public testing::TestWithParam<PiecesCase> {};

TEST_P(Pieces, JoinToTheWholePathsStrokes)
{
    const PiecesCase& c = GetParam();
    const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                            R"(width="100mm" height="100mm" viewBox="0 0 100 100">)"
                            + c.body + "</svg>";
    int markers = 0;
    const auto whole = strokesOf(svg, 0);
    const auto pieces = strokesOf(svg, c.segments, &markers);
    EXPECT_EQ(markers > 0, c.split);
    ASSERT_FALSE(whole.empty());
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t s = 0; s < whole.size(); ++s) {
        EXPECT_EQ(pieces[s].pen, whole[s].pen);
        ASSERT_EQ(pieces[s].points.size(), whole[s].points.size()) << "stroke " << s;
        for (std::size_t i = 0; i < whole[s].points.size(); ++i) {
            EXPECT_NEAR(pieces[s].points[i].x(), whole[s].points[i].x(), 1e-6) << "stroke " << s << " point " << i;
            EXPECT_NEAR(pieces[s].points[i].y(), whole[s].points[i].y(), 1e-6) << "stroke " << s << " point " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Pieces,
    testing::Values(
        // Collinear at every cut: cairo merges such lines in one path.
        PiecesCase{"Straight", kPath + R"(M10 10 L20 10 L30 10 L40 10 L40 20 L40 30 L30 30 L30 30 L20 30"/>)", 2, true},
        PiecesCase{"CrossingZigZag", kPath + zigZag(60, false) + R"("/>)", 7, true},
        PiecesCase{"RelativeZigZag", kPath + zigZag(60, true) + R"("/>)", 5, true},
        PiecesCase{"RelativeCommandsOfEveryKind",
                   kPath
                       + R"(m 10.1,10.3 l 5.7,3.3 h 4.1 v -2.9 c 1.1,2.2 3.3,4.4 5.5,0.1 s 2.2,2.1 4.3,0.2 )"
                         R"(q 2.3,3.1 4.1,0 t 4.2,0.3 a 3,2 20 0 1 5.3,5.1 a 2 2 0 1 0 -3 3 l -3.3,1.7 )"
                         R"(H 30.7 V 60.1 C 30 70 40 70 50 60 S 60 50 70 60 Q 80 70 85 60 T 90 60 L 1e1 8e1 )"
                         R"(10 85 20.5.5 h-3e-1"/>)",
                   1, true},
        PiecesCase{"ImplicitRepetitions", kPath + R"(M10 10 20 20 30 10 40 20 m5 5 5-5 5 5 5-5 5 5"/>)", 2, true},
        PiecesCase{"ClosedSubpathsAcrossCuts",
                   kPath
                       + R"(M10 10 l10 0 l0 10 l-10 0 l0 -5 z m30 0 l5 5 l5 -5 l0 3 Z l 5 5 l 3 3 )"
                         R"(M60 60 L70 60 L70 70 L60 70 L60 60 z l 4 4 z"/>)",
                   2, true},
        PiecesCase{"CurveClosedOnItsStart", kPath + R"(M10 10 C20 0 30 20 40 10 C30 40 20 40 10 10 z"/>)", 1, true},
        PiecesCase{"InATransformedGroup",
                   R"~(<g transform="rotate(30 50 50) scale(0.8)" stroke="blue" stroke-linejoin="round">)~"
                   R"~(<path fill="none" transform="translate(3 4)" d=")~"
                       + zigZag(30, true) + R"("/></g>)",
                   4, true},
        PiecesCase{"HiddenPiecesLeaveNothingHeld",
                   R"(<g visibility="hidden">)" + kPath + zigZag(20, false)
                       + R"("/></g><path stroke="black" d="M50 50 L60 60 70 50"/>)",
                   3, true},
        PiecesCase{"DashedLeftWhole",
                   R"(<path fill="none" stroke="black" stroke-dasharray="2 1" d=")" + zigZag(20, false) + R"("/>)", 3,
                   false},
        PiecesCase{"DashesInheritedLeftWhole",
                   R"(<g style="stroke-dasharray:1,1">)" + kPath + zigZag(20, false) + R"("/></g>)", 3, false},
        PiecesCase{"MarkedLeftWhole",
                   R"(<marker id="m" markerWidth="4" markerHeight="4"><path d="M0 0 L2 2" stroke="black"/></marker>)"
                   R"~(<path fill="none" stroke="black" marker-mid="url(#m)" d=")~"
                       + zigZag(20, false) + R"("/>)",
                   3, false},
        PiecesCase{"PatternFillLeftWhole",
                   R"(<pattern id="p" width="5" height="5" patternUnits="userSpaceOnUse">)"
                   R"~(<path d="M0 1 L5 1" stroke="black"/></pattern><path fill="url(#p)" stroke="black" d=")~"
                       + zigZag(20, false) + R"(z"/>)",
                   3, false},
        PiecesCase{"ClippedLeftWhole",
                   R"(<clipPath id="c"><rect x="20" y="20" width="50" height="50"/></clipPath>)"
                   R"~(<g clip-path="url(#c)">)~"
                       + kPath + zigZag(20, false) + R"("/></g>)",
                   3, false},
        PiecesCase{"UsedLeftWhole",
                   R"(<defs><path id="u" fill="none" d=")" + zigZag(20, false)
                       + R"("/></defs><use href="#u" stroke="black"/><use xlink:href="#u" stroke="red" x="2"/>)",
                   3, false},
        PiecesCase{"StyleSheetLeftWhole",
                   "<style>path { stroke: black }</style><path d=\"" + zigZag(20, false) + "\"/>", 3, false},
        PiecesCase{"PathLengthLeftWhole",
                   R"(<path fill="none" stroke="black" pathLength="10" d=")" + zigZag(20, false) + R"("/>)", 3, false}),
    [](const auto& tested) { return std::string(tested.param.name); });

struct DataCase {
    const char* data;
    int segments;
    const char* pieces; // each piece's data and how it ends: > goes on, z closes, . ends; "" not split
};

class PieceData : public testing::TestWithParam<DataCase> {};

TEST_P(PieceData, CutsWhereTheSegmentsStandAlone)
{
    std::string got;
    if (const auto pieces = splitPathData(QString::fromLatin1(GetParam().data), GetParam().segments))
        for (const PathPiece& p : *pieces)
            got += (got.empty() ? "" : " | ") + p.data.toStdString()
                   + (p.end == PieceEnd::Continues ? " >"
                      : p.end == PieceEnd::Closes  ? " z"
                                                   : " .");
    EXPECT_EQ(got, GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(
    Data, PieceData,
    testing::Values(DataCase{"M1 2 L3 4 5 6,7 8", 1, "M1 2 L3 4 > | M3 4 L5 6 > | M5 6 L7 8 ."},
                    // The point at a cut after relative steps as librsvg adds them up.
                    DataCase{"m1 2 l.1 .2 .2.1", 1, "m1 2 l.1 .2 > | M1.1000000000000001 2.2000000000000002 l.2 .1 ."},
                    DataCase{"M0 0 L1 0 L1 1 z L2 2", 1, "M0 0 L1 0 > | M1 0 L1 1 z | M0 0 L2 2 ."},
                    DataCase{"M0 0 C1 1 2 1 3 0 S5 -1 6 0 L7 0", 1, "M0 0 C1 1 2 1 3 0 S5 -1 6 0 > | M6 0 L7 0 ."},
                    DataCase{"M0 0 a1 1 0 0110 0 l1 1 h2e0", 1, "M0 0 a1 1 0 0 1 10 0 > | M10 0 l1 1 > | M11 1 h2e0 ."},
                    DataCase{"M0 0 L1 1 M5 5 L6 6 L7 7", 1, "M0 0 L1 1 . | M5 5 L6 6 > | M6 6 L7 7 ."},
                    DataCase{"M0 0 L1 1 L2 2 L3", 1, ""}, DataCase{"L1 1 L2 2 L3 3", 1, ""},
                    DataCase{"M0 0 L1 1 z 2 2", 1, ""}, DataCase{"M0 0 L1 1 L2 2", 2, ""}));

// Every path of the SVG test files in pieces of one segment: the same plot, byte for byte.
TEST(PiecesOfTheTestFiles, PlotTheSameBytes)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORLEX_SVG_DATA)) {
        if (entry.path().extension() != ".svg")
            continue;
        ++files;
        SvgImportOptions whole, pieces, usual;
        whole.pathPieceSegments = 0;
        pieces.pathPieceSegments = 1;
        std::vector<std::string> plots;
        for (const SvgImportOptions& options : {whole, pieces, usual}) {
            const auto drawing = importSvg(entry.path(), options); // a template file is refused by each
            const auto hpgl = drawing ? drawingHpgl(*drawing) : Result<std::string>(drawing.error());
            plots.push_back(hpgl ? *hpgl : hpgl.message());
        }
        EXPECT_EQ(plots[1], plots[0]) << entry.path();
        EXPECT_EQ(plots[2], plots[0]) << entry.path();
    }
    EXPECT_GE(files, 10);
}

} // namespace
} // namespace orlex::test
