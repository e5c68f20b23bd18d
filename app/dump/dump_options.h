#pragma once

#include <optional>
#include <string>
#include <vector>

#include "collection_walk.h"

// What the command line of ondulo-dump asks for.
struct DumpOptions {
    bool json = false;
    bool jsonl = false;      // one JSON object per file per line
    bool structure = false;  // the text form shows the structure map
    bool check = false;      // the text form shows the findings; warnings and errors fail the run
    bool summarise = false;  // the files are JSON Lines of earlier runs: print their summary
    bool verifyMd5 =
        false;             // hash the audio of files with an MD5 chunk and compare (implies --check for text)
    bool measure = false;  // decode and measure the audio of each file (implies --check for text)
    // --mend DEST FILE: write a mended copy of FILE to DEST; --mend-plan FILE:
    // print the plan alone.
    bool mend = false;
    bool mendPlan = false;
    std::string mendDestination;
    bool diff = false;  // --diff A B: what changed from A to B (with -r, two folders)
    bool help = false;
    bool version = false;
    WalkRules walk;
    unsigned jobs = 0;  // files reported at once; 0: one per processor
    std::vector<std::string> files;
};

// Reads the arguments after the program name. "--" ends the options, so a file
// whose name starts with "-" can still be given. Returns nothing and sets
// `problem` for an unknown option, a bad number of jobs, options that do not
// go together, or when no file is named (unless --help or --version).
std::optional<DumpOptions> ParseDumpArguments(const std::vector<std::string>& arguments,
                                              std::string& problem);

// The usage text, ending with a newline. The manual page (docs/man/ondulo-dump.1)
// lists the same options and exit statuses; a test holds the two together.
std::string DumpUsage();

// "ondulo-dump VERSION" and a newline, the version being the build's.
std::string DumpVersion();
