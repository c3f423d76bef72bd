// Small readers of the files through which Linux tells what a PC has and who runs this
// program (/proc, /sys, /dev, /etc), each under a root folder, so that a test can hand in
// a tree of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

// Who this process is, as <root>/proc/self/status and <root>/etc/passwd say.
struct ProcessIdentity {
    unsigned uid = 0, euid = 0;
    std::vector<unsigned> groups;         // the login session's groups, the primary one included
    unsigned long long effectiveCaps = 0; // CapEff
    std::string user;                     // the name of uid, or "uid N" when /etc/passwd has none
    bool hasCapability(int capability) const { return capability < 64 && (effectiveCaps >> capability & 1) != 0; }
    bool inGroup(unsigned gid) const;
};

inline constexpr int kCapSysRawio = 17; // port I/O (ioperm)
inline constexpr int kCapSysNice = 23;  // real-time scheduling without a limit

ProcessIdentity readProcessIdentity(const std::filesystem::path& root);

// A line of <root>/etc/group.
struct GroupEntry {
    std::string name;
    unsigned gid = 0;
    std::vector<std::string> members;
};
std::optional<GroupEntry> groupWithId(const std::filesystem::path& root, unsigned gid);
std::optional<GroupEntry> groupNamed(const std::filesystem::path& root, const std::string& name);
// The name of uid in <root>/etc/passwd; empty when it has none.
std::string userName(const std::filesystem::path& root, unsigned uid);

// A kernel module loaded, or built in: listed in <root>/proc/modules or present under
// <root>/sys/module.
bool moduleLoaded(const std::filesystem::path& root, const std::string& name);

// The first line of a file without its line end; empty when the file cannot be read.
std::optional<std::string> firstLine(const std::filesystem::path& file);

// The entries of a folder whose names start with `prefix`, sorted; none when it is absent.
std::vector<std::filesystem::path> entriesStartingWith(const std::filesystem::path& folder, const std::string& prefix);

} // namespace orlex
