#include "dump_options.h"

#include "ondulo_version.h"

namespace {

// More threads than this would only wait for the disk and the output.
constexpr unsigned kMostJobs = 256;

// The N of "-j N": a whole number from 1 to kMostJobs.
std::optional<unsigned> ParseJobs(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned jobs = static_cast<unsigned>(std::stoul(text));
    if (jobs == 0 || jobs > kMostJobs) return std::nullopt;
    return jobs;
}

// Options that do not go together, or empty.
std::string Conflict(const DumpOptions& options) {
    if (options.json && options.jsonl) return "--json and --jsonl do not go together: choose one";
    if ((options.mend || options.mendPlan) &&
        (options.mend == options.mendPlan || options.jsonl || options.structure || options.check ||
         options.summarise || options.walk.recursive || options.walk.allFiles || options.jobs != 0 ||
         options.verifyMd5 || options.measure)) {
        return "--mend and --mend-plan go with no other option but --json";
    }
    if ((options.mend || options.mendPlan) && options.files.size() != 1) {
        return options.mend ? "--mend wants one DEST and one FILE: --mend DEST FILE"
                            : "--mend-plan wants one FILE";
    }
    if (options.diff &&
        (options.mend || options.mendPlan || options.summarise || options.structure || options.check ||
         options.verifyMd5 || options.measure || options.jobs != 0 ||
         (options.jsonl && !options.walk.recursive) || (options.json && options.walk.recursive))) {
        return "--diff goes with no other option but --json, or -r with --jsonl and --all-files";
    }
    if (options.diff && options.files.size() != 2) return "--diff wants two files, A and B: --diff A B";
    if (options.summarise &&
        (options.json || options.structure || options.check || options.walk.recursive ||
         options.walk.allFiles || options.jobs != 0 || options.verifyMd5 || options.measure)) {
        return "--summarise goes with no other option but --jsonl";
    }
    return {};
}

}  // namespace

std::optional<DumpOptions> ParseDumpArguments(const std::vector<std::string>& arguments,
                                              std::string& problem) {
    DumpOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--jsonl") {
            options.jsonl = true;
        } else if (argument == "--structure") {
            options.structure = true;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "-r" || argument == "--recursive") {
            options.walk.recursive = true;
        } else if (argument == "--all-files") {
            options.walk.allFiles = true;
        } else if (argument == "--summarise") {
            options.summarise = true;
        } else if (argument == "--verify-md5") {
            options.verifyMd5 = true;
        } else if (argument == "--measure") {
            options.measure = true;
        } else if (argument == "-j" || argument == "--jobs" || argument.rfind("-j", 0) == 0 ||
                   argument.rfind("--jobs=", 0) == 0) {
            // -j N, -jN, --jobs N, --jobs=N
            std::string number;
            if (argument == "-j" || argument == "--jobs") {
                number = i + 1 < arguments.size() ? arguments[++i] : "";
            } else {
                number = argument.substr(argument[1] == 'j' ? 2 : 7);
            }
            const std::optional<unsigned> jobs = ParseJobs(number);
            if (!jobs) {
                problem = "-j wants a number of files to report at once from 1 to " +
                          std::to_string(kMostJobs) + ", not \"" + number + "\"";
                return std::nullopt;
            }
            options.jobs = *jobs;
        } else if (argument == "--mend") {
            if (i + 1 >= arguments.size()) {
                problem = "--mend wants the path of the copy to write: --mend DEST FILE";
                return std::nullopt;
            }
            options.mend = true;
            options.mendDestination = arguments[++i];
        } else if (argument == "--diff") {
            options.diff = true;
        } else if (argument == "--mend-plan") {
            options.mendPlan = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            problem = "unknown option " + argument;
            return std::nullopt;
        }
    }
    if (options.help || options.version) return options;
    if (options.files.empty() && (options.mend || options.mendPlan)) {
        problem = "no WAV file named";
        return std::nullopt;
    }
    problem = Conflict(options);
    if (!problem.empty()) return std::nullopt;
    // What the hash comes to is a finding: the text form shows them with --check.
    if ((options.verifyMd5 || options.measure) && !options.json && !options.jsonl) options.check = true;
    if (options.files.empty()) {
        problem = options.summarise ? "no file of JSON Lines named" : "no WAV file named";
        return std::nullopt;
    }
    return options;
}

std::string DumpUsage() {
    return "Usage: ondulo-dump [--json | --jsonl] [--structure] [--check] [--verify-md5]\n"
           "                   [--measure] [-r] [--all-files] [-j N] FILE...\n"
           "       ondulo-dump --summarise [--jsonl] FILE...\n"
           "       ondulo-dump [--json] --mend DEST FILE | --mend-plan FILE\n"
           "       ondulo-dump [--json] --diff A B | --diff -r [--jsonl] [--all-files] A B\n"
           "       ondulo-dump --help | --version\n"
           "Lists the chunks of each WAV file and the decoded fields of every chunk.\n"
           "  --json           write one JSON document instead of text; it always holds\n"
           "                   the structure map and the findings\n"
           "  --jsonl          write JSON Lines instead: each file's object of the JSON\n"
           "                   document on a line of its own, written as each file is done\n"
           "  --structure      print every chunk in file order, with offsets, instead of\n"
           "                   the decoded fields\n"
           "  --check          print what is wrong or questionable in each file instead of\n"
           "                   the decoded fields; over more than one file, end with a\n"
           "                   summary: in the JSON, or for text on standard error, so that\n"
           "                   standard output holds only the files' records\n"
           "  --verify-md5     also hash the audio of each file that has an MD5 chunk and\n"
           "                   compare it with the digest (md5-mismatch); it reads all of\n"
           "                   the audio once; implies --check unless --json or --jsonl\n"
           "  --measure        also decode the audio of each file once (PCM, float, A-law,\n"
           "                   \xC2\xB5-law) and write its loudness, loudness range, true\n"
           "                   peak, and each channel's sample peak and clipped samples\n"
           "                   (\"measured\" in JSON); compare them with a bext chunk's\n"
           "                   loudness (loudness-mismatch) and a PEAK chunk's peaks\n"
           "                   (peak-mismatch); implies --check unless --json or --jsonl\n"
           "  -r, --recursive  walk each folder named, and every folder in it, in byte order\n"
           "                   of the names; without it a folder is refused\n"
           "  --all-files      take every regular file of a walked folder, not only those\n"
           "                   named .wav, .wave, .bwf or .rf64 in any case (a file named\n"
           "                   on the command line is always taken)\n"
           "  -j N, --jobs N   report N files at once; by default one per processor, at\n"
           "                   most two per processor. The output is the same whatever N is\n"
           "  --summarise      read FILEs of JSON Lines written by earlier runs (one or\n"
           "                   several joined, or - for standard input), print the summary\n"
           "                   a run with the check over those files ends with, and exit\n"
           "                   as it would\n"
           "  --mend DEST      write a mended copy of FILE to DEST (never FILE itself):\n"
           "                   each change answers a finding of the check; the audio's\n"
           "                   bytes are compared and hashed (SHA-256), and DEST is\n"
           "                   checked again\n"
           "  --mend-plan      print what --mend would change in FILE, writing nothing\n"
           "  --diff A B       print what changed from A to B: chunks added, dropped,\n"
           "                   moved or changed, each changed field with both values and\n"
           "                   where they lie, cue points, loops and labels by their id,\n"
           "                   findings that appear or go, the form, and whether the\n"
           "                   audio is the same (its bytes compared as they are read);\n"
           "                   with -r, A and B are folders: their files of the same\n"
           "                   path are compared, a line each, then a summary\n"
           "  --               end the options: a FILE after it may start with -\n"
           "  -h, --help       show this text and exit\n"
           "  --version        show the version and exit\n"
           "A walk follows no symbolic link inside a folder and enters no folder twice.\n"
           "Over many files, a progress line shows on standard error when it is a terminal.\n"
           "SIGINT (Ctrl+C) or SIGTERM stops cleanly: the files under way are finished and\n"
           "written whole, no more are started; a second signal ends the program at once.\n"
           "Exit status: the worst over all files: 0 when every file was read (with\n"
           "--check: and has no error or warning), 1 otherwise, 3 when a file could not\n"
           "be checked to the end (it changed since it was analysed, or memory ran\n"
           "out): its findings are incomplete; 2 for bad usage; 130 when stopped by a\n"
           "signal.\n"
           "With --mend: 0 when DEST was written and its check finds no error, or when\n"
           "there is nothing to mend (nothing is written then); 1 when errors remain that\n"
           "no mend answers, or FILE cannot be mended, or DEST could not be written\n"
           "(nothing is left there); 2 for bad usage or a DEST that is FILE; 3 when FILE\n"
           "changed since it was analysed.\n"
           "With --diff: 0 when the files are the same, 1 when they differ, 2 when one\n"
           "cannot be read or compared, or for bad usage.\n";
}

std::string DumpVersion() { return std::string("ondulo-dump ") + ondulo::kVersion + "\n"; }
