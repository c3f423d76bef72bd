// Reading /proc/self/status, /etc/group, /etc/passwd and the module lists.
#include "run/port_check/system_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace orlex {

namespace {

// The fields of a colon-separated line ("lp:x:7:ada,bob").
std::vector<std::string> fields(const std::string& line, char separator)
{
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator))
        out.push_back(field);
    if (!line.empty() && line.back() == separator)
        out.emplace_back();
    return out;
}

std::optional<GroupEntry> findGroup(const std::filesystem::path& root, const auto& matches)
{
    std::ifstream in(root / "etc/group");
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> parts = fields(line, ':');
        if (parts.size() < 3)
            continue;
        GroupEntry entry{parts[0], 0, {}};
        try {
            entry.gid = static_cast<unsigned>(std::stoul(parts[2]));
        } catch (const std::exception&) {
            continue;
        }
        if (parts.size() > 3)
            for (const std::string& member : fields(parts[3], ','))
                if (!member.empty())
                    entry.members.push_back(member);
        if (matches(entry))
            return entry;
    }
    return std::nullopt;
}

} // namespace

bool ProcessIdentity::inGroup(unsigned gid) const
{
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

ProcessIdentity readProcessIdentity(const std::filesystem::path& root)
{
    ProcessIdentity identity;
    std::ifstream in(root / "proc/self/status");
    // "Uid:\t1000\t1000\t1000\t1000" (real, effective, saved, file system), "Groups:\t4 24 27 ".
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "Uid:") {
            words >> identity.uid >> identity.euid;
        } else if (key == "Gid:") {
            unsigned gid = 0;
            if (words >> gid)
                identity.groups.push_back(gid);
        } else if (key == "Groups:") {
            for (unsigned gid = 0; words >> gid;)
                if (!identity.inGroup(gid))
                    identity.groups.push_back(gid);
        } else if (key == "CapEff:") {
            words >> std::hex >> identity.effectiveCaps;
        }
    }
    identity.user = userName(root, identity.uid);
    if (identity.user.empty())
        identity.user = "uid " + std::to_string(identity.uid);
    return identity;
}

std::optional<GroupEntry> groupWithId(const std::filesystem::path& root, unsigned gid)
{
    return findGroup(root, [gid](const GroupEntry& g) { return g.gid == gid; });
}

std::optional<GroupEntry> groupNamed(const std::filesystem::path& root, const std::string& name)
{
    return findGroup(root, [&name](const GroupEntry& g) { return g.name == name; });
}

std::string userName(const std::filesystem::path& root, unsigned uid)
{
    std::ifstream in(root / "etc/passwd");
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> parts = fields(line, ':');
        if (parts.size() >= 3 && parts[2] == std::to_string(uid))
            return parts[0];
    }
    return {};
}

bool moduleLoaded(const std::filesystem::path& root, const std::string& name)
{
    std::error_code error;
    if (std::filesystem::is_directory(root / "sys/module" / name, error))
        return true;
    std::ifstream in(root / "proc/modules");
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, name.size() + 1, name + " ") == 0)
            return true;
    return false;
}

std::optional<std::string> firstLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    return line;
}

std::vector<std::filesystem::path> entriesStartingWith(const std::filesystem::path& folder, const std::string& prefix)
{
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace orlex
