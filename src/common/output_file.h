// Where an output file really is, how it may be written, and whether it is one of the
// command's own inputs or other outputs. A command never renames a file over a device,
// a pipe or a symbolic link, and never writes over what it reads.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlex {

struct OutputPlace {
    enum class Kind {
        NewFile,   // nothing there yet
        PlainFile, // a regular file, replaced whole
        Stream,    // a pipe or a character device (/dev/null, a terminal): written through
    };
    std::filesystem::path path; // what is written: a symbolic link's target, not the link
    Kind kind = Kind::NewFile;
};

// Resolves `requested`: a symbolic link leads to the file it names (the link itself
// stays); a folder, a block device or a socket is refused with the reason.
Result<OutputPlace> outputPlace(const std::filesystem::path& requested);

// Writes `bytes` as the whole of `requested`: a new or plain file is replaced atomically
// (temporary file, fsync, rename, fsync of the folder), so it is the old file or the whole
// new one, never half; a pipe or device is written through. The reason on failure, as
// "cannot write the new file (No space left on device)."; a plain file is then as it was.
Result<void> writeOutputFile(const std::filesystem::path& requested, std::string_view bytes);

// A file a command reads or writes, and what it is to the command ("the input file",
// "the settings file", "the port trace").
struct CommandFile {
    std::filesystem::path path; // empty: the command has no such file
    std::string role;
};

// Why `output` must not be written by a command that reads `inputs` and also writes
// `otherOutputs`: it is one of them, by name or, once it exists, by identity (a hard
// link, a symbolic link): "'plot.plt' is the input file itself: write the result to
// another file". nullopt when it may be written. Two outputs may both be a character
// device such as /dev/null.
std::optional<std::string> outputConflict(const std::filesystem::path& output, const std::vector<CommandFile>& inputs,
                                          const std::vector<CommandFile>& otherOutputs = {});

} // namespace orlex
