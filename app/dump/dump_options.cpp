#include "dump_options.h"

#include "ondulo_version.h"

std::optional<DumpOptions> ParseDumpArguments(const std::vector<std::string>& arguments,
                                              std::string& problem) {
    DumpOptions options;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--structure") {
            options.structure = true;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            problem = "unknown option " + argument;
            return std::nullopt;
        }
    }
    if (options.files.empty() && !options.help && !options.version) {
        problem = "no WAV file named";
        return std::nullopt;
    }
    return options;
}

std::string DumpUsage() {
    return "Usage: ondulo-dump [--json] [--structure] [--check] FILE...\n"
           "       ondulo-dump --help | --version\n"
           "Lists the chunks of each WAV file and the decoded fields of every chunk.\n"
           "  --json       write one JSON document instead of text; it always holds\n"
           "               the structure map and the findings\n"
           "  --structure  print every chunk in file order, with offsets, instead of\n"
           "               the decoded fields\n"
           "  --check      print what is wrong or questionable in each file instead of\n"
           "               the decoded fields\n"
           "  --           end the options: a FILE after it may start with -\n"
           "  -h, --help   show this text and exit\n"
           "  --version    show the version and exit\n"
           "Exit status: 0 when every file was read (with --check: and has no error or warning), 1 "
           "otherwise, 2 for bad usage, 3 when a file could not be checked to the end (it changed while\n"
           "it was read, or memory ran out): its findings are incomplete.\n";
}

std::string DumpVersion() { return std::string("ondulo-dump ") + ondulo::kVersion + "\n"; }
