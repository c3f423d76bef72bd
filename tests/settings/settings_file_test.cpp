// seting.txt: defaults on first start, exact bytes, tolerant reading, safe saving.
#include "settings/conversions.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace orlex {
namespace {

namespace fs = std::filesystem;

const std::string kDefaultsBytes = " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n";

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Each line's text as the settings keep it.
std::vector<std::string> allSettings(const MachineSettings& v)
{
    return {v.lines.begin(), v.lines.end()};
}

std::vector<double> allNumbers(const MachineSettings& v)
{
    std::vector<double> numbers;
    for (const NumericSetting& setting : kNumericSettingTable)
        numbers.push_back(v.*setting.value);
    numbers.push_back(v.portAddress);
    return numbers;
}

// The settings a Save of these values would make; the test fails if they are refused.
MachineSettings savedSettings(const std::array<std::int16_t, kNumericSettings>& values, const std::string& address)
{
    Result<MachineSettings> settings = settingsFromValues(values, address);
    EXPECT_TRUE(settings) << settings.message();
    return settings ? *settings : MachineSettings{};
}

const std::array<std::int16_t, kNumericSettings> kDefaultValues{50, 50, 150, 150, 80, 80, 5, 5};

const std::vector<std::string> kDefaultTexts = {" 50 ", " 50 ", " 150 ", " 150 ", " 80 ",
                                                " 80 ", " 5 ",  " 5 ",   "&H378"};

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orlex-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / kSettingsFileName;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
    fs::path file;
};

TEST_F(SettingsFileTest, FirstStartCreatesTheExactDefaultsFileAndReadsItBack)
{
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    EXPECT_TRUE(report.createdDefaults);
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.message(file), "");
    EXPECT_EQ(readBytes(file), kDefaultsBytes);
    EXPECT_EQ(allSettings(settings), kDefaultTexts);
    EXPECT_EQ(allNumbers(settings), (std::vector<double>{50, 50, 150, 150, 80, 80, 5, 5, 0x378}));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"seting.txt"});
}

TEST_F(SettingsFileTest, SecondStartReadsTheSameTextsWithoutRewritingTheFile)
{
    MachineSettings first;
    loadSettings(first, file);
    // An old time stamp and the inode number show any rewrite or replacement.
    const auto oldTime = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(file, oldTime);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    MachineSettings second;
    const LoadReport report = loadSettings(second, file);
    EXPECT_FALSE(report.createdDefaults);
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(allSettings(second), allSettings(first));
    EXPECT_EQ(readBytes(file), kDefaultsBytes);
    EXPECT_EQ(fs::last_write_time(file), oldTime);
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

struct LayoutCase {
    const char* name;
    std::string bytes;
};

class SettingsLayoutTest : public SettingsFileTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(SettingsLayoutTest, ReadsNineLinesWhateverTheLineEndsAndIgnoresTheRest)
{
    writeBytes(file, GetParam().bytes);
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    EXPECT_TRUE(report.ok()) << report.message(file);
    EXPECT_EQ(allSettings(settings),
              (std::vector<std::string>{" 10 ", "2", " 300", "4 ", "5", "6", "7", "8", "&H278"}));
    EXPECT_EQ(allNumbers(settings), (std::vector<double>{10, 2, 300, 4, 5, 6, 7, 8, 0x278}));
    EXPECT_EQ(readBytes(file), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsLayoutTest,
    ::testing::Values(LayoutCase{"CrLf", " 10 \r\n2\r\n 300\r\n4 \r\n5\r\n6\r\n7\r\n8\r\n&H278\r\n"},
                      LayoutCase{"ExtraLines",
                                 " 10 \r\n2\r\n 300\r\n4 \r\n5\r\n6\r\n7\r\n8\r\n&H278\r\nxyz\r\n\r\nmore"},
                      LayoutCase{"LfOnly", " 10 \n2\n 300\n4 \n5\n6\n7\n8\n&H278\n"},
                      LayoutCase{"CrOnly", " 10 \r2\r 300\r4 \r5\r6\r7\r8\r&H278\r"},
                      LayoutCase{"Mixed", " 10 \r2\n 300\r\n4 \r5\r\n6\n7\r8\n&H278"},
                      LayoutCase{"NoFinalLineEnd", " 10 \r\n2\r\n 300\r\n4 \r\n5\r\n6\r\n7\r\n8\r\n&H278"}),
    [](const auto& row) { return std::string(row.param.name); });

struct AddressLineCase {
    const char* name;
    std::string line9;
    std::uint16_t expected;
};

class AddressLineTest : public SettingsFileTest, public ::testing::WithParamInterface<AddressLineCase> {};

TEST_P(AddressLineTest, LineNineIsKeptAsTextAndDenotesThePortNumber)
{
    writeBytes(file, " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n" + GetParam().line9 + "\r\n");
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    EXPECT_TRUE(report.ok()) << report.message(file);
    EXPECT_EQ(settings.line(SettingLine::PortAddress), GetParam().line9);
    EXPECT_EQ(settings.portAddress, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, AddressLineTest,
                         ::testing::Values(AddressLineCase{"SecondPort", "&H278", 632},
                                           AddressLineCase{"Decimal", "888", 0x378},
                                           AddressLineCase{"PcieCard", "&HD010", 0xD010}),
                         [](const auto& row) { return std::string(row.param.name); });

struct BadFileCase {
    const char* name;
    std::string bytes;
    int line;
    std::string setting;
    std::string text;
    SettingsProblem::Kind kind;
    std::string used = {}; // the value used instead; empty: the default
};

void PrintTo(const BadFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class BadSettingsFileTest : public SettingsFileTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadSettingsFileTest, ReportsTheLineUsesTheDefaultAndLeavesTheFileAlone)
{
    const BadFileCase c = GetParam();
    writeBytes(file, c.bytes);
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);

    EXPECT_FALSE(report.ok());
    EXPECT_FALSE(report.createdDefaults);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].line, c.line);
    EXPECT_EQ(report.problems[0].setting, c.setting);
    EXPECT_EQ(report.problems[0].text, c.text);
    EXPECT_EQ(report.problems[0].kind, c.kind);

    const std::string message = report.message(file);
    EXPECT_NE(message.find(file.string()), std::string::npos) << message;
    EXPECT_NE(message.find("line " + std::to_string(c.line)), std::string::npos) << message;
    EXPECT_NE(message.find(c.setting), std::string::npos) << message;
    if (!c.text.empty()) {
        EXPECT_NE(message.find("\"" + c.text + "\""), std::string::npos) << message;
    }
    const std::string used = c.used.empty() ? "the default " : c.used + " is used";
    EXPECT_NE(message.find(used), std::string::npos) << message;

    // The bad setting runs on its default (or what can be reached); the good ones keep
    // the file's texts.
    std::vector<std::string> expected;
    std::istringstream lines(c.bytes);
    for (std::string line; expected.size() < 9 && std::getline(lines, line);)
        expected.push_back(line.substr(0, line.find('\r')));
    expected.resize(9);
    expected[static_cast<std::size_t>(c.line - 1)] =
        c.used.empty() ? kDefaultTexts[static_cast<std::size_t>(c.line - 1)]
                       : integerLineText(static_cast<std::int16_t>(std::stoi(c.used)));
    EXPECT_EQ(allSettings(settings), expected);

    EXPECT_EQ(readBytes(file), c.bytes);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"seting.txt"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadSettingsFileTest,
    ::testing::Values(
        BadFileCase{"MissingLastLine", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n", 9, "LptAddress", "",
                    SettingsProblem::Kind::Missing},
        BadFileCase{"BadNumber", " 10 \r\n 2 \r\n abc \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 3, "Maxx",
                    " abc ", SettingsProblem::Kind::NotANumber},
        BadFileCase{"EmptyLine", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n\r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 5, "Speedx", "",
                    SettingsProblem::Kind::Empty},
        BadFileCase{"UnitAfterNumber", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 mm\r\n 8 \r\n&H278\r\n", 7,
                    "Offsetx", " 7 mm", SettingsProblem::Kind::NotANumber},
        BadFileCase{"BadAddress", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\nLPT1\r\n", 9, "LptAddress",
                    "LPT1", SettingsProblem::Kind::NotAPortAddress},
        BadFileCase{"AddressTooLarge", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H10000\r\n", 9,
                    "LptAddress", "&H10000", SettingsProblem::Kind::NotAPortAddress},
        // A step length of 0 (or below) would make every move impossible or mirrored.
        BadFileCase{"StepLengthZero", " 0 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 1, "Lstepx",
                    " 0 ", SettingsProblem::Kind::NotAboveZero},
        BadFileCase{"StepLengthNegative", " -10 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 1,
                    "Lstepx", " -10 ", SettingsProblem::Kind::NotAboveZero},
        // A travel limit of 0 or below would make the virtual paper a line and every plot too big.
        BadFileCase{"TravelZero", " 10 \r\n 2 \r\n 0 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 3, "Maxx",
                    " 0 ", SettingsProblem::Kind::NotAboveZero},
        BadFileCase{"TravelNegative", " 10 \r\n 2 \r\n 3 \r\n -150 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 4,
                    "Maxy", " -150 ", SettingsProblem::Kind::NotAboveZero},
        // Lstepy 2 is 0.01 mm per half step: 32767 steps reach 327 mm, not 400.
        BadFileCase{"TravelBeyondTheSteps", " 10 \r\n 2 \r\n 3 \r\n 400 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 4,
                    "Maxy", " 400 ", SettingsProblem::Kind::Unreachable},
        // Numbers no settings line can hold, such as a step length of 99999999 hundredths of a
        // millimetre, with which every plot would be no step at all.
        BadFileCase{"StepLengthBeyond16Bits",
                    " 99999999 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 1, "Lstepx",
                    " 99999999 ", SettingsProblem::Kind::NotA16BitNumber},
        BadFileCase{"SpeedBeyond16Bits", " 10 \r\n 2 \r\n 3 \r\n 4 \r\n 99999 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 5,
                    "Speedx", " 99999 ", SettingsProblem::Kind::NotA16BitNumber},
        // Lstepx 700 is 3.5 mm per half step, longer than the 3 mm of X travel.
        BadFileCase{"HalfStepLongerThanTheTravel",
                    " 700 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 1, "Lstepx", " 700 ",
                    SettingsProblem::Kind::StepTooLong},
        // Lstepy 0.005: 32767 half steps reach 0.8 mm.
        BadFileCase{"StepsReachLessThanAMillimetre",
                    " 10 \r\n 0.005 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 2, "Lstepy", " 0.005 ",
                    SettingsProblem::Kind::StepTooShort},
        // Lstepx 0.5 reaches 81 mm: not even the default 150 fits, so 81 is used.
        BadFileCase{"TravelBeyondTheStepsAndTheDefault",
                    " 0.5 \r\n 2 \r\n 300 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n&H278\r\n", 3, "Maxx", " 300 ",
                    SettingsProblem::Kind::Unreachable, "81"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SettingsFileTest, ShortFileReportsEveryMissingLineInOneMessage)
{
    const std::string bytes = " 1 \r\n 2 \r\n 3 \r\n";
    writeBytes(file, bytes);
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    ASSERT_EQ(report.problems.size(), 6u);
    const std::string message = report.message(file);
    for (int line = 4; line <= 9; ++line) {
        EXPECT_EQ(report.problems[static_cast<std::size_t>(line - 4)].line, line);
        EXPECT_EQ(report.problems[static_cast<std::size_t>(line - 4)].kind, SettingsProblem::Kind::Missing);
        EXPECT_NE(message.find("line " + std::to_string(line) + " (" + settingName(line) + ")"), std::string::npos)
            << message;
    }
    EXPECT_EQ(message.find(file.string()), message.rfind(file.string())) << "file named once";
    EXPECT_EQ(settings.line(SettingLine::TravelX), " 3 ");
    EXPECT_EQ(settings.travelXmm, 3);
    EXPECT_EQ(settings.line(SettingLine::TravelY), " 150 ");
    EXPECT_EQ(settings.portAddress, 0x378);
    EXPECT_EQ(readBytes(file), bytes);
}

TEST_F(SettingsFileTest, UnreadableFileGivesTheDefaultsAndIsLeftAsItIs)
{
    // A folder where the file should be cannot be read, even by root.
    fs::create_directory(file);
    writeBytes(file / "inside", "keep");
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    EXPECT_FALSE(report.ok());
    EXPECT_FALSE(report.createdDefaults);
    ASSERT_TRUE(report.fileError);
    EXPECT_NE(report.fileError->message.find(file.string()), std::string::npos) << report.fileError->message;
    EXPECT_NE(report.message(file).find(file.string()), std::string::npos);
    EXPECT_EQ(allSettings(settings), kDefaultTexts);
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(readBytes(file / "inside"), "keep");
}

// A pipe of that name would block a read for ever: it is refused at once, not waited on.
TEST_F(SettingsFileTest, PipeNamedLikeTheFileIsRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, file);
    ASSERT_TRUE(report.fileError);
    EXPECT_NE(report.fileError->message.find("not a plain file"), std::string::npos) << report.fileError->message;
    EXPECT_EQ(allSettings(settings), kDefaultTexts);
    EXPECT_TRUE(fs::is_fifo(file));
}

TEST_F(SettingsFileTest, DefaultsFileThatCannotBeCreatedLeavesTheDefaultsInMemory)
{
    const fs::path unreachable = dir / "no-such-folder" / kSettingsFileName;
    MachineSettings settings;
    const LoadReport report = loadSettings(settings, unreachable);
    EXPECT_FALSE(report.ok());
    EXPECT_FALSE(report.createdDefaults);
    ASSERT_TRUE(report.fileError);
    EXPECT_NE(report.fileError->message.find(unreachable.string()), std::string::npos) << report.fileError->message;
    EXPECT_NE(report.fileError->message.find("No such file or directory"), std::string::npos)
        << report.fileError->message;
    EXPECT_FALSE(report.message(unreachable).empty());
    EXPECT_EQ(allSettings(settings), kDefaultTexts);
    EXPECT_TRUE(folderEntries().empty());
}

TEST_F(SettingsFileTest, SaveWritesTheDefaultsFormAndLeavesNoTemporaryFile)
{
    writeBytes(file, "old\r\n");
    const MachineSettings values = savedSettings({10, 200, 300, 10, 5000, 10, 100, -5}, "&H278");
    EXPECT_EQ(allSettings(values),
              (std::vector<std::string>{"10", "200", "300", "10", "5000", "10", "100", "-5", "&H278"}));
    const Result<void> written = saveSettings(values, file);
    ASSERT_TRUE(written) << written.message();
    EXPECT_EQ(readBytes(file), " 10 \r\n 200 \r\n 300 \r\n 10 \r\n 5000 \r\n 10 \r\n 100 \r\n-5 \r\n&H278\r\n");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"seting.txt"});

    MachineSettings settings;
    EXPECT_TRUE(loadSettings(settings, file).ok());
    EXPECT_EQ(settings.line(SettingLine::StepLengthY), " 200 ");
    EXPECT_EQ(settings.originYmm, -5);
    EXPECT_EQ(settings.portAddress, 0x278);
}

TEST_F(SettingsFileTest, SaveKeepsThePermissionsOfTheFileItReplaces)
{
    writeBytes(file, kDefaultsBytes);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(saveSettings(savedSettings(kDefaultValues, "&H378"), file));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// What a Save would write is checked as a load checks it, before anything is written.
TEST(SettingsFromValues, RefusesATravelTheStepLengthCannotReach)
{
    const Result<MachineSettings> refused = settingsFromValues({1, 50, 300, 150, 80, 80, 5, 5}, "&H378");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.message().find("X travel of 300 mm"), std::string::npos) << refused.message();
    EXPECT_NE(refused.message().find("163 mm"), std::string::npos) << refused.message();
    EXPECT_FALSE(settingsFromValues(kDefaultValues, "LPT1"));
    EXPECT_FALSE(settingsFromValues({50, 50, 150, 0, 80, 80, 5, 5}, "&H378"));
    EXPECT_TRUE(settingsFromValues({1, 50, 163, 150, 80, 80, 5, 5}, "&HD010"));
}

TEST(IntegerLineText, SignPositionDigitsAndOneBlank)
{
    EXPECT_EQ(integerLineText(50), " 50 ");
    EXPECT_EQ(integerLineText(0), " 0 ");
    EXPECT_EQ(integerLineText(-5), "-5 ");
    EXPECT_EQ(integerLineText(32767), " 32767 ");
    EXPECT_EQ(integerLineText(-32768), "-32768 ");
}

TEST(SettingName, NamesEveryLineInFileOrder)
{
    const std::vector<std::string> expected = {"Lstepx", "Lstepy",  "Maxx",    "Maxy",      "Speedx",
                                               "Speedy", "Offsetx", "Offsety", "LptAddress"};
    for (int line = 1; line <= 9; ++line)
        EXPECT_EQ(settingName(line), expected[static_cast<std::size_t>(line - 1)]);
    EXPECT_STREQ(settingName(0), "");
    EXPECT_STREQ(settingName(10), "");
}

TEST_F(SettingsFileTest, SaveOverAFolderFailsAndLeavesItAlone)
{
    fs::create_directory(file);
    writeBytes(file / "inside", "keep");
    const auto error = saveSettings(savedSettings(kDefaultValues, "&H378"), file);
    ASSERT_FALSE(error);
    EXPECT_NE(error.message().find(file.string()), std::string::npos) << error.message();
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(readBytes(file / "inside"), "keep");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"seting.txt"});
}

TEST_F(SettingsFileTest, SaveIntoAFolderThatIsAFileFailsAndLeavesItAlone)
{
    const fs::path notAFolder = dir / "settings";
    writeBytes(notAFolder, "a plain file");
    const fs::path target = notAFolder / kSettingsFileName;
    const auto error = saveSettings(savedSettings(kDefaultValues, "&H378"), target);
    ASSERT_FALSE(error);
    EXPECT_NE(error.message().find(target.string()), std::string::npos) << error.message();
    EXPECT_NE(error.message().find("Not a directory"), std::string::npos) << error.message();
    EXPECT_EQ(readBytes(notAFolder), "a plain file");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"settings"});
}

TEST_F(SettingsFileTest, SaveThatRunsOutOfSpaceLeavesTheOldFileIntact)
{
    // A file-size limit makes the write fail the way a full disk does.
    const std::string old = " 7 \r\n 7 \r\n 7 \r\n 7 \r\n 7 \r\n 7 \r\n 7 \r\n 7 \r\n&H278\r\n";
    writeBytes(file, old);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const auto error = saveSettings(savedSettings(kDefaultValues, "&H378"), file);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_FALSE(error);
    EXPECT_NE(error.message().find(file.string()), std::string::npos) << error.message();
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"seting.txt"});
}

} // namespace
} // namespace orlex
