// Telling the output file from the input file: by path, and by the file itself.
#include "cli/output_file.h"

#include <filesystem>

namespace orlex::cli {

std::optional<std::string> outputProblem(const std::string& in, const std::string& out)
{
    namespace fs = std::filesystem;
    std::error_code inError, outError, sameError;
    const fs::path inPath = fs::weakly_canonical(in, inError);
    const fs::path outPath = fs::weakly_canonical(out, outError);
    const bool samePath = !inError && !outError ? inPath == outPath : fs::path(in) == fs::path(out);
    if (samePath || fs::equivalent(in, out, sameError))
        return "'" + out + "' is the input file itself: write the result to another file";
    return std::nullopt;
}

} // namespace orlex::cli
