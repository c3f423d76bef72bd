// Writes the bash completion from the table the parser reads, so that it offers exactly
// the options each command takes.
#include "cli/bash_completion.h"

#include "cli/option_table.h"

#include <string_view>

namespace orlex::cli {

namespace {

// Values that name a file: the completion offers file names for them.
bool namesAFile(std::string_view value)
{
    return value == "PATH" || value == "OUT";
}

// "ppdev|direct" -> "ppdev direct"; empty when the value is not a choice.
std::string choices(std::string_view value)
{
    if (value.find('|') == std::string_view::npos)
        return {};
    std::string words(value);
    for (char& c : words)
        if (c == '|')
            c = ' ';
    return words;
}

// "--port" or "-o|--output", as a pattern of a case branch.
std::string pattern(const OptionRule& rule)
{
    return std::string(rule.name) + (*rule.alias ? std::string("|") + rule.alias : "");
}

} // namespace

std::string bashCompletionScript()
{
    std::string commands;
    std::string perCommand;
    for (const CommandName& c : commandTable()) {
        commands += std::string(commands.empty() ? "" : " ") + c.name;
        std::string names;
        for (const OptionRule& rule : optionTable())
            if (rule.commands & c.bit)
                names += std::string(rule.name) + " " + (*rule.alias ? std::string(rule.alias) + " " : "");
        perCommand += "    " + std::string(c.name) + ") options='" + names + "--help'" + (c.takesFile ? "" : " files=0")
                      + " ;;\n";
    }
    std::string values;
    std::string files, others; // case patterns
    for (const OptionRule& rule : optionTable()) {
        if (!rule.takesValue || rule.valueOptional)
            continue; // a word after an optional value may be anything
        if (const std::string words = choices(rule.value); !words.empty())
            values += "    " + pattern(rule) + ") COMPREPLY=($(compgen -W '" + words + "' -- \"$cur\")); return ;;\n";
        else if (namesAFile(rule.value))
            files += std::string(files.empty() ? "" : "|") + pattern(rule);
        else
            others += std::string(others.empty() ? "" : "|") + pattern(rule);
    }
    return "# bash completion for orlex-plotter-cli, written from the tool's own table of options.\n"
           "_orlex_plotter_cli()\n"
           "{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    # bash splits \"--port=di\" at '=': the option is then one word further back.\n"
           "    if [[ $cur == = ]]; then\n"
           "        cur=\n"
           "    elif [[ $prev == = ]]; then\n"
           "        prev=${COMP_WORDS[COMP_CWORD-2]}\n"
           "    fi\n"
           "    if ((COMP_CWORD == 1)); then\n"
           "        COMPREPLY=($(compgen -W '"
           + commands
           + " --help --version' -- \"$cur\"))\n"
             "        return\n"
             "    fi\n"
             "    local options files=1\n"
             "    case ${COMP_WORDS[1]} in\n"
           + perCommand
           + "    *) return ;;\n"
             "    esac\n"
             "    case $prev in\n"
           + values + "    " + files
           + ")\n"
             "        compopt -o filenames\n"
             "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
             "        return\n"
             "        ;;\n"
             "    "
           + others
           + ") return ;; # a number: nothing to offer\n"
             "    esac\n"
             "    if [[ $cur == -* ]]; then\n"
             "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
             "    elif ((files)); then\n"
             "        compopt -o filenames\n"
             "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
             "    fi\n"
             "}\n"
             "complete -F _orlex_plotter_cli orlex-plotter-cli\n";
}

} // namespace orlex::cli
