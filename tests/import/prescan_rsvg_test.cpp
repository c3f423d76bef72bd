// Every rewrite of the pre-scan keeps a document librsvg reads readable: for each one, a
// document librsvg draws, whose cleaned copy librsvg must draw too.
#include "import/svg_prescan.h"
#include "import/svg_renderer.h"
#include "import_test_support.h"

#include <zlib.h>

namespace orlex::test {
namespace {

Result<RenderedStrokes> drawnByLibrsvg(const QByteArray& document)
{
    return renderStrokes(document, RenderRequest{QSizeF(100, 100), 1, 0.05, 1'000'000});
}

struct RewriteCase {
    const char* name;
    const char* svg;
};

class PrescanRewrite : public testing::TestWithParam<RewriteCase> {};

TEST_P(PrescanRewrite, KeepsTheDocumentReadable)
{
    const QByteArray original(GetParam().svg);
    ASSERT_TRUE(drawnByLibrsvg(original).ok()) << "librsvg itself must read the case";
    const auto prepared = prescanSvg(original);
    ASSERT_TRUE(prepared.ok()) << prepared.message();
    const auto drawn = drawnByLibrsvg(prepared->document);
    ASSERT_TRUE(drawn.ok()) << drawn.message() << "\n" << prepared->document.toStdString();
    EXPECT_FALSE(drawn->strokes.empty()) << prepared->document.toStdString();
}

#define SVG_ROOT "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
#define LINE "<path d=\"M0 0L50 50\" stroke=\"black\"/>"

INSTANTIATE_TEST_SUITE_P(
    Rewrites, PrescanRewrite,
    testing::Values(
        RewriteCase{"DtdDefaultNamespaceAlsoOnTheRoot",
                    "<?xml version=\"1.0\"?>\n<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.0//EN\" "
                    "\"http://www.w3.org/TR/2001/REC-SVG-20010904/DTD/svg10.dtd\" [\n<!ATTLIST svg xmlns:xlink "
                    "CDATA #FIXED \"http://www.w3.org/1999/xlink\">\n]>\n" SVG_ROOT
                    "width=\"100\" height=\"100\"><defs><path id=\"l\" d=\"M0 0L9 9\" stroke=\"black\"/></defs>"
                    "<use xlink:href=\"#l\"/></svg>"},
        RewriteCase{"InternalEntitiesExpanded",
                    "<!DOCTYPE svg [<!ENTITY ink \"black\"><!ENTITY d \"M0 0L50 50\">]>" SVG_ROOT
                    "><path d=\"&d;\" stroke=\"&ink;\"/></svg>"},
        RewriteCase{"LeftOutElementsDeclaringNamespaces", SVG_ROOT
                    "><metadata><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>"
                    "</metadata><text x=\"1\" y=\"9\">A</text><image width=\"1\" height=\"1\"/>" LINE "</svg>"},
        RewriteCase{"ForeignAttributeDeclaredOnItsElement",
                    SVG_ROOT "><g xmlns:i=\"urn:x\" i:label=\"2\" style=\"stroke:black\">" LINE "</g></svg>"},
        RewriteCase{"OpaqueMaskAsAClippingPath",
                    SVG_ROOT "><mask id=\"m\" maskContentUnits=\"objectBoundingBox\"><rect width=\".5\" height=\"1\" "
                             "fill=\"#fff\"/></mask><path d=\"M0 0L50 50\" stroke=\"black\" mask=\"url(#m)\"/></svg>"},
        RewriteCase{"TextAsPaths",
                    SVG_ROOT "><text x=\"5\" y=\"20\" class=\"t\" style=\"font:bold 12px serif\">A &amp; "
                             "<tspan dy=\"2\" fill=\"url(#none)\">b</tspan></text></svg>"},
        RewriteCase{"UseOfNoReference", SVG_ROOT "><use xlink:href=\"url(#l)\"/>" LINE "</svg>"},
        RewriteCase{"EmptyValuesDropped", SVG_ROOT "><g transform=\"\" style=\"\" class=\"\">" LINE "</g></svg>"},
        RewriteCase{"StyleSheetWithCdataAndComments",
                    SVG_ROOT "><style><![CDATA[ /* a < b */ path { stroke: black; filter: url(#f); "
                             "fill: red } @font-face { font-family: x } ]]></style>"
                             "<path d=\"M0 0L50 50\"/></svg>"},
        RewriteCase{
            "PenMarkersUnderAPrefixedRoot",
            "<svg:svg xmlns:svg=\"http://www.w3.org/2000/svg\" "
            "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\"><svg:g inkscape:groupmode=\"layer\" "
            "inkscape:label=\"2\"><svg:path d=\"M0 0L50 50\" stroke=\"black\"/></svg:g></svg:svg>"},
        RewriteCase{"FiltersMasksAndOverflow",
                    SVG_ROOT "overflow=\"hidden\"><filter id=\"f\"><feGaussianBlur stdDeviation=\"1\"/></filter>"
                             "<g filter=\"url(#f)\" fill=\"red\"><svg overflow=\"hidden\" width=\"10\" "
                             "height=\"10\">" LINE "</svg></g></svg>"}),
    [](const auto& p) { return std::string(p.param.name); });

QByteArray gzipped(const QByteArray& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, uLong(bytes.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// A compressed drawing draws as the plain one does; one that inflates past the limit, or
// is damaged, is refused with a message saying so.
TEST(CompressedSvg, IsInflatedWithinTheLimit)
{
    const QByteArray plain(SVG_ROOT "width=\"100\" height=\"100\">" LINE "</svg>");
    const auto drawn = importSvgData(gzipped(plain));
    ASSERT_TRUE(drawn.ok()) << drawn.message();
    EXPECT_EQ(drawn->strokes.front().points, importSvgData(plain)->strokes.front().points);

    QByteArray huge = plain;
    huge.insert(huge.indexOf(">") + 1, QByteArray(qsizetype(kMaxSvgFileBytes), ' '));
    const auto refused = importSvgData(gzipped(huge));
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("inflates to more than 33.6 MB"), std::string::npos) << refused.message();

    QByteArray damaged = gzipped(plain);
    damaged.truncate(damaged.size() / 2);
    EXPECT_NE(importSvgData(damaged).message().find("damaged or cut short"), std::string::npos);
}

TEST(CompressedSvg, IsTakenForAnSvgByNameOrContent)
{
    const auto folder = std::filesystem::temp_directory_path() / ("orlex-svgz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const QByteArray packed = gzipped(SVG_ROOT ">" LINE "</svg>");
    for (const char* name : {"a.svgz", "a.bin"}) {
        std::ofstream(folder / name, std::ios::binary).write(packed.constData(), packed.size());
        EXPECT_TRUE(isSvgFile(folder / name)) << name;
        EXPECT_TRUE(importSvg(folder / name).ok()) << name;
    }
    std::ofstream(folder / "b.bin", std::ios::binary) << gzipped("just some text").toStdString();
    EXPECT_FALSE(isSvgFile(folder / "b.bin"));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace orlex::test
