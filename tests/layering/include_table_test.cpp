// Every #include of every source under src/ against one table of what each part may see:
// the folders its library is declared to depend on, and whether Qt headers are among them.
// A file in no part, an include of an undeclared folder, or a Qt header reached from the
// core (directly or through the project's own headers) fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Part {
    std::vector<std::string> paths; // folders, or files without extension, under src/
    std::set<std::string> sees;     // folders it may include from, its own among them
    bool qt = false;                // may reach a Qt header
};

std::set<std::string> belowPlanAnd(std::initializer_list<const char*> more)
{
    std::set<std::string> sees{"plan", "hpgl", "fonts", "drive", "preview", "settings", "common"};
    sees.insert(more.begin(), more.end());
    return sees;
}

// The libraries' DEPENDS in the CMakeLists.txt files, with what those depend on. Of two
// paths that hold a file the longer one counts.
const std::vector<Part> kParts = {
    {{"common"}, {"common"}},
    {{"settings"}, {"settings", "common"}},
    {{"drive"}, {"drive", "settings", "common"}},
    {{"preview"}, {"preview", "settings", "common"}},
    {{"fonts"}, {"fonts"}},
    {{"hpgl"}, {"hpgl", "fonts", "settings", "common"}},
    {{"plan"}, belowPlanAnd({})},
    {{"run"}, belowPlanAnd({"run"})},
    {{"run/prepared_plot", "run/background_preparation", "run/covered_drawing"}, belowPlanAnd({"run", "import"})},
    {{"import"}, {"import", "fonts", "common"}, true},
    {{"import/svg_drawing", "import/svg_importer"}, {"import", "common"}},
    {{"cli"}, belowPlanAnd({"run", "import", "cli"})},
    {{"cli/svg_module"}, belowPlanAnd({"run", "import", "cli"}), true}, // the module with the import
    {{"ui"}, belowPlanAnd({"run", "import", "ui"}), true},
    {{"app"}, belowPlanAnd({"run", "import", "ui", "app"}), true},
};

const fs::path kSource = ORLEX_SOURCE_DIR;

const Part* partOf(const std::string& stem)
{
    const Part* found = nullptr;
    std::size_t longest = 0;
    for (const Part& part : kParts)
        for (const std::string& path : part.paths)
            if ((stem == path || stem.rfind(path + "/", 0) == 0) && path.size() > longest)
                found = &part, longest = path.size();
    return found;
}

// The project headers a file includes ("drive/drive.h"); `qt` set when it includes Qt's.
std::vector<std::string> includesOf(const fs::path& file, bool& qt)
{
    static const std::regex project(R"re(^\s*#\s*include\s*"([a-z_]+/[^"]+)")re");
    static const std::regex qtHeader(R"(^\s*#\s*include\s*<(Q[A-Za-z]|qt|q[a-z]+\.h))");
    std::vector<std::string> found;
    std::ifstream in(file);
    std::smatch m;
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, m, project) && fs::exists(kSource / m[1].str()))
            found.push_back(m[1]);
        else
            qt = qt || std::regex_search(line, qtHeader);
    return found;
}

bool reachesQt(const std::string& header, std::map<std::string, bool>& known)
{
    if (const auto it = known.find(header); it != known.end())
        return it->second;
    known[header] = false; // a cycle adds nothing
    bool qt = false;
    for (const std::string& next : includesOf(kSource / header, qt))
        qt = qt || reachesQt(next, known);
    return known[header] = qt;
}

TEST(Layering, EveryIncludeIsDeclaredAndTheCoreSeesNoQt)
{
    std::string found;
    std::map<std::string, bool> qtKnown;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kSource)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        const std::string rel = fs::relative(entry.path(), kSource).generic_string();
        const Part* part = partOf(rel.substr(0, rel.size() - ext.size()));
        if (!part) {
            found += rel + " is in no part of the table\n";
            continue;
        }
        bool qt = false;
        for (const std::string& header : includesOf(entry.path(), qt))
            if (!part->sees.count(header.substr(0, header.find('/'))))
                found += rel + " includes " + header + "\n";
            else if (!part->qt && reachesQt(header, qtKnown))
                found += rel + " reaches a Qt header through " + header + "\n";
        if (qt && !part->qt)
            found += rel + " includes a Qt header\n";
    }
    EXPECT_EQ(found, "");
}

} // namespace
