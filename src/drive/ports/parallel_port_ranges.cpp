// Reading /proc/ioports and the PCI devices' class and resource files.
#include "drive/ports/parallel_port_ranges.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace orlex {

namespace {

constexpr std::uint32_t kPciParallelClass = 0x0701;   // communication controller, parallel port
constexpr unsigned long long kIoResourceFlag = 0x100; // IORESOURCE_IO

void addProcIoports(const std::filesystem::path& file, std::vector<IoRange>& ranges)
{
    std::ifstream in(file);
    // "  0378-037a : parport0", nested entries indented.
    for (std::string line; std::getline(in, line);) {
        const std::size_t colon = line.find(" : ");
        if (colon == std::string::npos)
            continue;
        const std::string owner = line.substr(colon + 3);
        if (owner.rfind("parport", 0) != 0)
            continue;
        std::istringstream span(line.substr(0, colon));
        unsigned first = 0, last = 0;
        char dash = 0;
        if (span >> std::hex >> first >> dash >> last && dash == '-' && first <= last)
            ranges.push_back({first, last, owner});
    }
}

unsigned readHex(const std::filesystem::path& file)
{
    std::ifstream in(file);
    unsigned value = 0;
    return in >> std::hex >> value ? value : 0;
}

} // namespace

std::vector<IoRange> parallelPortRanges(const std::filesystem::path& root)
{
    std::vector<IoRange> ranges;
    for (std::uint32_t base : {0x378u, 0x278u, 0x3BCu})
        ranges.push_back({base, base + 2, "legacy parallel port"});
    addProcIoports(root / "proc/ioports", ranges);
    for (const PciParallelCard& card : pciParallelCards(root))
        ranges.insert(ranges.end(), card.ioRanges.begin(), card.ioRanges.end());
    return ranges;
}

std::vector<PciParallelCard> pciParallelCards(const std::filesystem::path& root)
{
    std::vector<PciParallelCard> cards;
    std::error_code error;
    for (const auto& device : std::filesystem::directory_iterator(root / "sys/bus/pci/devices", error)) {
        std::ifstream classFile(device.path() / "class");
        unsigned long deviceClass = 0;
        if (!(classFile >> std::hex >> deviceClass) || (deviceClass >> 8) != kPciParallelClass)
            continue;
        PciParallelCard card;
        card.slot = device.path().filename().string();
        card.vendor = readHex(device.path() / "vendor");
        card.device = readHex(device.path() / "device");
        std::ifstream resources(device.path() / "resource");
        // "0x000000000000d010 0x000000000000d017 0x0000000000040101": start, end, flags.
        for (unsigned long long start = 0, end = 0, flags = 0; resources >> std::hex >> start >> end >> flags;)
            if ((flags & kIoResourceFlag) != 0 && start <= end && end <= 0xFFFF)
                card.ioRanges.push_back(
                    {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), "PCI card " + card.slot});
        cards.push_back(std::move(card));
    }
    std::sort(cards.begin(), cards.end(),
              [](const PciParallelCard& a, const PciParallelCard& b) { return a.slot < b.slot; });
    return cards;
}

const IoRange* rangeHolding(std::uint16_t base, const std::vector<IoRange>& ranges)
{
    for (const IoRange& range : ranges)
        if (base >= range.first && base + 2u <= range.last)
            return &range;
    return nullptr;
}

} // namespace orlex
