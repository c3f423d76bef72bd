// The SVG import for the command-line tool: it lives in a module that is loaded on the
// first SVG drawing, since loading Qt's libraries takes longer than the whole check of a
// typical plot file. A plot file is told from an SVG without it.
#include "cli/svg_module.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include <dlfcn.h>

namespace orlex::cli {

namespace {

namespace fs = std::filesystem;

// The folder of the running program.
fs::path programFolder()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

// The module next to the program (build tree), or where the package installs it; fails
// saying why the last place tried did not give it.
Result<const SvgImporter*> loadModule()
{
    Error why;
    const fs::path folder = programFolder();
    for (const fs::path& candidate :
         {folder / kSvgModuleFile, folder / ORLEX_SVG_MODULE_DIR_FROM_BIN / kSvgModuleFile}) {
        void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            why = failure(::dlerror()); // the last place tried says most
            continue;
        }
        using Entry = const SvgImporter* (*)();
        if (auto entry = reinterpret_cast<Entry>(::dlsym(handle, kSvgModuleEntry))) {
            if (const SvgImporter* functions = entry())
                return functions;
            return why; // a module that hands out no import
        }
        why = failure(candidate.string() + " is not the SVG import");
        ::dlclose(handle);
    }
    return why;
}

const Result<const SvgImporter*>& svgModule()
{
    static const Result<const SvgImporter*> loaded = loadModule();
    return loaded;
}

// The extension in lower case, when it is plain ASCII.
std::optional<std::string> asciiLowerCase(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The import takes a file by its content only when its first 4096 bytes hold "<svg" or it
// is gzip-compressed (the import looks inside).
bool mayHoldSvg(const fs::path& file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head.find("<svg") != std::string::npos || head.starts_with("\x1f\x8b"); // or gzip-compressed
}

Result<SvgDrawing> importThroughModule(const std::filesystem::path& file, const SvgImportOptions& options)
{
    const Result<const SvgImporter*>& module = svgModule();
    if (!module)
        return failure("cannot read SVG drawings: the SVG import could not be loaded (" + module.message() + ")");
    return (*module)->importSvg(file, options);
}

bool isSvgFileThroughModule(const std::filesystem::path& file)
{
    // Plain extensions and plot files are told apart here; only a file that may be an SVG
    // asks the import, and so loads it.
    if (const std::optional<std::string> extension = asciiLowerCase(file.extension().string())) {
        if (*extension == ".svg" || *extension == ".svgz")
            return true;
        if (!mayHoldSvg(file))
            return false;
    }
    const Result<const SvgImporter*>& module = svgModule();
    if (module)
        return (*module)->isSvgFile(file);
    return mayHoldSvg(file); // importSvg will say why it cannot read it
}

} // namespace

const SvgImporter& moduleSvgImporter()
{
    static const SvgImporter importer{&importThroughModule, &isSvgFileThroughModule};
    return importer;
}

} // namespace orlex::cli
