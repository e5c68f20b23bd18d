#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line of ondulo-dump asks for.
struct DumpOptions {
    bool json = false;
    bool help = false;
    std::vector<std::string> files;
};

// Reads the arguments after the program name. "--" ends the options, so a file
// whose name starts with "-" can still be given. Returns nothing and sets
// `problem` for an unknown option or when no file is named (unless --help).
std::optional<DumpOptions> ParseDumpArguments(const std::vector<std::string>& arguments,
                                              std::string& problem);

// The usage text, ending with a newline.
std::string DumpUsage();
