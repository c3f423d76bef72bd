// orlex-plotter-cli over the hostile files: each ends with its defined exit status and
// JSON, or a clear message, and the tool's peak memory does not grow with the file.
#include "hostile_cases.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

extern char** environ;

namespace orlex::hostile {
namespace {

struct CliRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out, err;
    long peakKib = -1; // the child's peak resident memory
};

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the tool in `folder` (so no seting.txt is found: the defaults apply).
CliRun runCli(const fs::path& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), ORLEX_CLI_BINARY);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const fs::path out = folder / "cli.stdout", err = folder / "cli.stderr";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, ORLEX_CLI_BINARY, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    CliRun run;
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << ORLEX_CLI_BINARY;
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKib = usage.ru_maxrss;
    run.out = readAll(out);
    run.err = readAll(err);
    return run;
}

// The raw value of `key` in the tool's one-line JSON object.
std::optional<std::string> jsonValue(const std::string& json, const std::string& key)
{
    const std::string marker = "\"" + key + "\": ";
    const auto at = json.find(marker);
    if (at == std::string::npos)
        return std::nullopt;
    const auto start = at + marker.size();
    return json.substr(start, json.find_first_of(",}", start) - start);
}

std::string boolText(bool b)
{
    return b ? "true" : "false";
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "orlex-hostile-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Peak memory of the tool over an empty file, measured once.
long emptyFilePeakKib()
{
    static const long peak = [] {
        TempFolder folder;
        const fs::path empty = folder.path() / "empty.plt";
        std::ofstream(empty).close();
        return runCli(folder.path(), {"test", empty.string(), "--json"}).peakKib;
    }();
    return peak;
}

class HostileCli : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileCli, EndsWithTheDefinedResponse)
{
    const HostileCase& c = GetParam();
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const fs::path plot = materialise(c, ORLEX_HOSTILE_DATA, folder.path());

    const CliRun run = runCli(folder.path(), {"test", plot.string(), "--json"});

    if (c.refusal) {
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("Cannot open"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.refusal), std::string::npos) << run.err;
        return;
    }
    // A file in which the reading finds no point is not a plot file: refused, nothing printed.
    if (run.err.find("is not a plot file") != std::string::npos || (c.points && *c.points == 0)) {
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_NE(run.err.find("is not a plot file"), std::string::npos) << run.err;
        if (c.points) {
            EXPECT_EQ(*c.points, 0u) << "a file with points is a plot";
        }
        return;
    }
    ASSERT_TRUE(run.status == 0 || run.status == 3) << run.status << " " << run.err;
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.front(), '{') << run.out;
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one line: " << run.out;
    const std::optional<std::string> fits = jsonValue(run.out, "fits");
    ASSERT_TRUE(fits) << run.out;
    EXPECT_EQ(*fits, boolText(run.status == 0));

    if (c.extentsMm) {
        const char* keys[] = {"min_x_mm", "min_y_mm", "max_x_mm", "max_y_mm"};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(jsonValue(run.out, keys[i]), std::to_string((*c.extentsMm)[static_cast<std::size_t>(i)]))
                << keys[i] << " in " << run.out;
    }
    if (c.fits) {
        EXPECT_EQ(run.status, *c.fits ? 0 : 3);
    }
    if (c.beeps) {
        EXPECT_EQ(jsonValue(run.out, "beeps"), std::to_string(*c.beeps)) << run.out;
    }
    if (c.endOfFileCaption) {
        EXPECT_EQ(jsonValue(run.out, "end_of_file_caption"), boolText(*c.endOfFileCaption)) << run.out;
    }
    if (c.skipped) {
        const std::optional<std::string> skipped = jsonValue(run.out, "skipped_pairs");
        ASSERT_TRUE(skipped) << run.out;
        EXPECT_EQ(*skipped != "0", *c.skipped) << run.out;
    }
    if (c.outOfRange) {
        EXPECT_EQ(jsonValue(run.out, "out_of_range"), boolText(*c.outOfRange)) << run.out;
    }
    if (c.points) {
        EXPECT_EQ(jsonValue(run.out, "points"), std::to_string(*c.points)) << run.out;
    }
    // Files are read in blocks, never whole: memory stays near that of an empty file.
    EXPECT_LT(run.peakKib - emptyFilePeakKib(), kMaxPeakGrowthKib)
        << "peak " << run.peakKib << " KiB against " << emptyFilePeakKib() << " KiB for an empty file";

    // Without --json the same problems are told in words (small files: once is enough
    // for the 100 MB one).
    if (fs::file_size(plot) > (1 << 20))
        return;
    const CliRun text = runCli(folder.path(), {"test", plot.string()});
    EXPECT_EQ(text.status, run.status);
    EXPECT_NE(text.out.find(run.status == 0 ? "fits" : "too big"), std::string::npos) << text.out;
    if (c.skipped && *c.skipped) {
        EXPECT_NE(text.err.find("skipped"), std::string::npos) << text.err;
    }
    if (c.outOfRange && *c.outOfRange) {
        EXPECT_NE(text.err.find("coordinate range"), std::string::npos) << text.err;
    }
    if (c.endOfFileCaption && *c.endOfFileCaption) {
        EXPECT_NE(text.err.find("end of file!!!"), std::string::npos) << text.err;
    }
}

std::string testName(const ::testing::TestParamInfo<HostileCase>& row)
{
    return caseName(row.param);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileCli, ::testing::ValuesIn(hostileCases()), testName);

// Test finds the file; it is deleted before Draw, which then says so and moves nothing.
TEST(HostileCliDeleted, FileDeletedBetweenTestAndDraw)
{
    TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const fs::path plot = folder.path() / "plot.plt";
    std::ofstream(plot) << "PU0,0;PD400,0;PU;";
    const fs::path svg = folder.path() / "paper.svg";

    const CliRun test = runCli(folder.path(), {"test", plot.string(), "--json"});
    ASSERT_EQ(test.status, 0) << test.err;
    fs::remove(plot);
    const CliRun draw = runCli(folder.path(), {"draw", plot.string(), "--simulate", "--svg", svg.string()});

    EXPECT_EQ(draw.status, 2);
    EXPECT_NE(draw.err.find("Cannot open"), std::string::npos) << draw.err;
    EXPECT_NE(draw.err.find("does not exist"), std::string::npos) << draw.err;
    EXPECT_FALSE(fs::exists(svg)) << "nothing was drawn";
}

} // namespace
} // namespace orlex::hostile
