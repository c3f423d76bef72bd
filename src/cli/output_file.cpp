// Telling the outputs from the inputs and from each other: by path, and by the file itself.
#include "cli/output_file.h"

#include "common/output_file.h"
#include "settings/settings_file.h"

#include <filesystem>

namespace orlex::cli {

namespace {

const char* kInput = "the input file";
const char* kSettings = "the settings file";

} // namespace

std::string settingsFileRead(const CliOptions& options)
{
    if (options.settingsFile)
        return *options.settingsFile;
    std::error_code error;
    return std::filesystem::exists(kSettingsFileName, error) ? kSettingsFileName : "";
}

std::optional<std::string> outputProblem(const std::string& in, const std::string& out, const std::string& settings)
{
    return outputConflict(out, {{in, kInput}, {settings, kSettings}});
}

std::optional<std::string> drawOutputProblem(const CliOptions& options)
{
    const std::vector<CommandFile> inputs{{options.plotFile, kInput}, {settingsFileRead(options), kSettings}};
    if (!options.traceFile.empty())
        if (auto problem = outputConflict(options.traceFile, inputs, {{options.svgFile, "the paper (--svg)"}}))
            return problem;
    if (!options.svgFile.empty())
        return outputConflict(options.svgFile, inputs, {{options.traceFile, "the port trace (--trace)"}});
    return std::nullopt;
}

} // namespace orlex::cli
