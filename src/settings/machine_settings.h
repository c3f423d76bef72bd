// The machine's calibration as the program uses it: numbers checked once, when
// seting.txt is read or a Save is made, and each line's text for the labels and the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orlex {

// The nine lines of seting.txt, in file order.
enum class SettingLine { StepLengthX, StepLengthY, TravelX, TravelY, SpeedX, SpeedY, OriginX, OriginY, PortAddress };
inline constexpr int kSettingLines = 9;
inline constexpr int kNumericSettings = 8; // all but the port address

struct MachineSettings {
    double stepLengthX = 50;           // Lstepx: hundredths of a millimetre per full X step, above 0
    double stepLengthY = 50;           // Lstepy
    double travelXmm = 150;            // Maxx: hardware limit of X travel, above 0, reachable in 16-bit half steps
    double travelYmm = 150;            // Maxy
    double speedXms = 80;              // Speedx: carried by the file and the dialog only
    double speedYms = 80;              // Speedy
    double originXmm = 5;              // Offsetx: where plot coordinate 0 lies on the preview
    double originYmm = 5;              // Offsety
    std::uint16_t portAddress = 0x378; // LptAddress: the port's base I/O address
    // Each line's text as read from the file or as last saved ("  150 " after a load,
    // "150" after a Save): the start-up labels show it, and the address is saved back as
    // it was written.
    std::array<std::string, kSettingLines> lines;

    const std::string& line(SettingLine which) const { return lines[static_cast<std::size_t>(which)]; }
};

// One numeric setting: its name in messages and its place in MachineSettings.
struct NumericSetting {
    const char* name;
    double MachineSettings::*value;
    std::int16_t defaultValue;
};

// The defaults, in file order: the one table the file, the dialog and the tool share.
inline constexpr std::array<NumericSetting, kNumericSettings> kNumericSettingTable{{
    {"Lstepx", &MachineSettings::stepLengthX, 50},
    {"Lstepy", &MachineSettings::stepLengthY, 50},
    {"Maxx", &MachineSettings::travelXmm, 150},
    {"Maxy", &MachineSettings::travelYmm, 150},
    {"Speedx", &MachineSettings::speedXms, 80},
    {"Speedy", &MachineSettings::speedYms, 80},
    {"Offsetx", &MachineSettings::originXmm, 5},
    {"Offsety", &MachineSettings::originYmm, 5},
}};
inline constexpr const char* kDefaultPortAddressText = "&H378";

// " 50 " for 50 and "-5 " for -5: the sign position, the digits, one trailing blank.
std::string integerLineText(std::int16_t value);

// The settings the defaults file gives when it is read back.
MachineSettings defaultMachineSettings();

// The most millimetres a travel can span in 16-bit half steps of this step length.
double reachableTravelMm(double stepLength);

} // namespace orlex
