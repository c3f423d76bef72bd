// The I/O addresses that belong to parallel ports on this PC: the legacy bases, the
// ranges /proc/ioports gives to "parport", and the I/O resources of PCI parallel cards
// (class 0x0701). Direct port I/O is allowed only there, so that a wrong setting cannot
// write to the keyboard controller, a disk or the PCI configuration space.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orlex {

struct IoRange {
    std::uint32_t first = 0, last = 0; // inclusive
    std::string owner;                 // "legacy parallel port", "parport0", "PCI card 0000:05:00.0"
};

// A PCI or PCIe parallel-port card, as /sys/bus/pci/devices lists it.
struct PciParallelCard {
    std::string slot;                // "0000:05:00.0"
    unsigned vendor = 0, device = 0; // PCI ids, 0 when unreadable
    std::vector<IoRange> ioRanges;   // its I/O resources, in the order of its BARs
};

// The legacy bases 0x378, 0x278 and 0x3bc (three registers each), then what the system
// lists, read from under `root` (normally "/"; a test hands in a tree of its own).
std::vector<IoRange> parallelPortRanges(const std::filesystem::path& root = "/");

// Every card of class 0x0701 under `root`/sys/bus/pci/devices, in slot order.
std::vector<PciParallelCard> pciParallelCards(const std::filesystem::path& root = "/");

// The range that holds all three registers base..base+2; nullptr when none does.
const IoRange* rangeHolding(std::uint16_t base, const std::vector<IoRange>& ranges);

} // namespace orlex
