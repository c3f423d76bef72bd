// Fuzz target: seting.txt with arbitrary bytes. Loading must not crash and must leave
// nine usable settings; saving what loaded and loading again must give the same numbers.
#include "fuzz_support.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"

#include <array>
#include <fstream>

using namespace orlex;

namespace {

const std::string* field(const Variabile& s, int line)
{
    const std::string* fields[] = {&s.Lstepx, &s.Lstepy, &s.Maxx,    &s.Maxy,      &s.Speedx,
                                   &s.Speedy, &s.Offsetx, &s.Offsety, &s.LptAddress};
    return fields[line - 1];
}

bool reported(const LoadReport& report, int line)
{
    for (const SettingsProblem& p : report.problems)
        if (p.line == line)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path input = fuzz::scratchFolder() / "in" / kSettingsFileName;
    const std::filesystem::path output = fuzz::scratchFolder() / "out" / kSettingsFileName;
    std::filesystem::create_directories(input.parent_path());
    std::filesystem::create_directories(output.parent_path());
    {
        std::ofstream f(input, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    Variabile loaded;
    const LoadReport report = loadSettings(loaded, input);
    ORLEX_FUZZ_CHECK(report.fileError.empty());
    ORLEX_FUZZ_CHECK(!report.createdDefaults);
    ORLEX_FUZZ_CHECK(report.ok() == report.message(input).empty());
    for (const SettingsProblem& p : report.problems) {
        ORLEX_FUZZ_CHECK(p.line >= 1 && p.line <= 9);
        ORLEX_FUZZ_CHECK(p.setting == settingName(p.line));
    }

    // Every setting converts to a number after a load, bad lines having taken their
    // defaults. Numbers that do not fit 16 bits are left to their users; they are saved
    // as the default here and not compared.
    std::array<std::int16_t, 8> values{};
    std::array<bool, 8> compared{};
    for (int line = 1; line <= 8; ++line) {
        const std::size_t i = static_cast<std::size_t>(line - 1);
        ORLEX_FUZZ_CHECK(toNumber(*field(loaded, line)).has_value());
        const auto v = toInt16(*field(loaded, line));
        values[i] = v.value_or(kDefaultSettingValues[i]);
        compared[i] = v.has_value();
        if (reported(report, line))
            ORLEX_FUZZ_CHECK(v == kDefaultSettingValues[i]);
    }
    const auto address = toPortAddress(loaded.LptAddress);
    ORLEX_FUZZ_CHECK(address.has_value());

    // The file was read only: it still holds the input.
    ORLEX_FUZZ_CHECK(std::filesystem::file_size(input) == size);

    const auto saveError = saveSettings(values, loaded.LptAddress, output);
    ORLEX_FUZZ_CHECK(!saveError.has_value());
    Variabile again;
    const LoadReport againReport = loadSettings(again, output);
    ORLEX_FUZZ_CHECK(againReport.ok());
    for (int line = 1; line <= 8; ++line) {
        const std::size_t i = static_cast<std::size_t>(line - 1);
        if (compared[i])
            ORLEX_FUZZ_CHECK(toInt16(*field(again, line)) == values[i]);
    }
    ORLEX_FUZZ_CHECK(toPortAddress(again.LptAddress) == address);
    return 0;
}
