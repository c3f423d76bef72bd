// Reads the machine settings for the command-line tool without ever creating or
// rewriting a settings file.
#include "cli/cli_settings.h"

#include "settings/settings_file.h"

#include <cerrno>

#include <sys/stat.h>

namespace orlex::cli {

namespace {

// Anything but "absent" (a folder, no permission...) is for the reader to report.
bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

CliSettings loadCliSettings(const std::optional<std::string>& settingsFile, SettingsProblems problems)
{
    CliSettings result;
    const std::string path = settingsFile.value_or(kSettingsFileName);
    // loadSettings creates an absent file; only an existing one is handed to it.
    if (!exists(path)) {
        result.settings = defaultMachineSettings();
        if (settingsFile) {
            result.error = failure("The settings file \"" + path + "\" does not exist.");
        } else {
            result.source = "built-in defaults (no seting.txt here)";
        }
        return result;
    }

    const LoadReport report = loadSettings(result.settings, path);
    result.source = path;
    if (report.ok())
        return result;
    if (problems == SettingsProblems::Refuse)
        result.error =
            failure(report.refusal(path) + "\nA draw needs every setting as the machine is built. Nothing was moved.");
    else if (settingsFile && report.fileError)
        result.error = report.fileError;
    else
        result.warning = report.message(path);
    return result;
}

} // namespace orlex::cli
