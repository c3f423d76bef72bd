// Bad input gives one message naming the file and what is wrong, with bounded memory.
#include "import_test_support.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orlex::test {
namespace {

struct BadCase {
    const char* file;
    const char* says;
    Error::Kind kind = Error::Kind::Failed;
};

class BadFile : public testing::TestWithParam<BadCase> {};

TEST_P(BadFile, IsRefusedWithOneMessage)
{
    const auto path = svgFile(std::string("bad/") + GetParam().file);
    const auto drawing = importSvg(path);
    ASSERT_FALSE(drawing.ok());
    EXPECT_EQ(drawing.message().rfind(path.string() + ": ", 0), 0u) << drawing.message();
    EXPECT_NE(drawing.message().find(GetParam().says), std::string::npos) << drawing.message();
    EXPECT_EQ(drawing.message().find('\n'), std::string::npos);
    EXPECT_EQ(drawing.error().kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Files, BadFile,
                         testing::Values(BadCase{"not_xml.svg", "not an SVG drawing: not XML (line 1"},
                                         BadCase{"html_root.svg", "its root element is <html>"},
                                         BadCase{"malformed.svg", "not well-formed XML (line 3, column"},
                                         BadCase{"entity.svg",
                                                 "uses the entity &secret; whose text is in another file"},
                                         BadCase{"use_other_file.svg", "\"other.svg#a\" in <use>"},
                                         BadCase{"css_url.svg", "style sheet refers to another file"},
                                         BadCase{"no_strokes.svg", "nothing to draw"}, BadCase{"use_loop.svg", "loop"},
                                         BadCase{"use_bomb.svg", "more than 500,000"},
                                         BadCase{"newline_in_encoding.svg", "is an invalid encoding name"},
                                         BadCase{"too_big.svg", "1000.0 x 0.0 mm", Error::Kind::TooBig}),
                         [](const auto& p) { return stem(p.param.file); });

TEST(BadData, DeepNestingIsRefused)
{
    std::string text = R"(<svg xmlns="http://www.w3.org/2000/svg">)";
    for (int i = 0; i < 300; ++i)
        text += "<g>";
    const auto drawing = importText(text);
    ASSERT_FALSE(drawing.ok());
    EXPECT_NE(drawing.message().find("nested more than 256"), std::string::npos) << drawing.message();
}

long peakRssKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

class NotAFile : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("orlex_svg_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void expectRefused(const std::filesystem::path& path, const std::string& says)
    {
        const auto drawing = importSvg(path);
        ASSERT_FALSE(drawing.ok());
        EXPECT_NE(drawing.message().find(path.string()), std::string::npos) << drawing.message();
        EXPECT_NE(drawing.message().find(says), std::string::npos) << drawing.message();
    }
    std::filesystem::path folder;
};

TEST_F(NotAFile, FoldersDevicesPipesAndMissingFilesAreRefused)
{
    expectRefused(folder, "is a folder");
    expectRefused("/dev/zero", "not a regular file");
    ASSERT_EQ(::mkfifo((folder / "pipe.svg").c_str(), 0600), 0);
    expectRefused(folder / "pipe.svg", "not a regular file");
    expectRefused(folder / "missing.svg", "No such file");
}

TEST_F(NotAFile, A100MegabyteFileIsRefusedUnread)
{
    const auto big = folder / "big.svg";
    std::ofstream(big) << "<svg>";
    std::filesystem::resize_file(big, 100'000'000); // sparse: costs no disk
    const long before = peakRssKib();
    expectRefused(big, "is 100.0 MB; SVG files over 33.6 MB are not read");
    EXPECT_LT(peakRssKib() - before, 8 * 1024);
}

TEST_F(NotAFile, UnreadableFileSaysWhy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto locked = folder / "locked.svg";
    std::ofstream(locked) << "<svg/>";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    expectRefused(locked, "Permission denied");
}

} // namespace
} // namespace orlex::test
