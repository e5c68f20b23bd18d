#include "diff_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <ostream>

#include "diff/diff.h"
#include "diff_output.h"
#include "report/json_text.h"
#include "run_summary.h"
#include "text/escaped_text.h"

namespace {

// A file of one folder's walk: its path, and the path below the folder as
// its names, to be put in the walk's order against the other folder's.
struct TreeFile {
    WalkItem item;
    std::vector<std::string> names;
};

std::vector<std::string> NamesBelow(const std::string& root, const std::string& path) {
    std::size_t start = root.size();
    if (root.empty() || root.back() != '/') ++start;
    std::vector<std::string> names;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The next file of a folder's walk, or nothing when it is over.
std::optional<TreeFile> NextOf(CollectionWalk& walk, const std::string& root) {
    std::optional<WalkItem> item = walk.Next();
    if (!item) return std::nullopt;
    std::vector<std::string> names = NamesBelow(root, item->path);
    return TreeFile{std::move(*item), std::move(names)};
}

// How a run over folders came out, file by file.
struct TreeSummary {
    std::uint64_t files = 0;
    std::uint64_t same = 0;
    std::uint64_t different = 0;
    std::uint64_t onlyInA = 0;
    std::uint64_t onlyInB = 0;
    std::uint64_t trouble = 0;

    std::string Json() const {
        return "{\"files\": " + std::to_string(files) + ", \"same\": " + std::to_string(same) +
               ", \"different\": " + std::to_string(different) +
               ", \"only_in_a\": " + std::to_string(onlyInA) + ", \"only_in_b\": " + std::to_string(onlyInB) +
               ", \"trouble\": " + std::to_string(trouble) + "}";
    }
    std::string Text() const {
        return "summary:\n  files\t" + std::to_string(files) + "\n  the same\t" + std::to_string(same) +
               "\n  different\t" + std::to_string(different) + "\n  only in A\t" + std::to_string(onlyInA) +
               "\n  only in B\t" + std::to_string(onlyInB) + "\n  trouble\t" + std::to_string(trouble) + "\n";
    }
};

// A file one folder has and the other has not, or a folder of either that
// could not be read.
int WriteAlone(const TreeFile& file, bool inA, bool jsonl, TreeSummary& summary, std::ostream& out) {
    ++summary.files;
    const bool trouble = !file.item.problem.empty();
    ++(trouble ? summary.trouble : inA ? summary.onlyInA : summary.onlyInB);
    const std::string path = report::JsonString(file.item.path);
    if (jsonl) {
        out << "{\"diff\": {\"a\": " << (inA ? path : "null") << ", \"b\": " << (inA ? "null" : path)
            << ", \"same\": false, \"status\": " << (trouble ? kBadUsage : kFaults)
            << ", \"trouble\": " << (trouble ? report::JsonString(file.item.problem) : "null")
            << ", \"only_in\": \"" << (inA ? "a" : "b") << "\"}}\n";
    } else if (trouble) {
        out << "trouble\t" << text::TerminalPath(file.item.path) << "\t"
            << text::TerminalText(file.item.problem) << "\n";
    } else {
        out << (inA ? "only in A\t" : "only in B\t") << text::TerminalPath(file.item.path) << "\n";
    }
    return trouble ? kBadUsage : kFaults;
}

int WritePair(const TreeFile& a, const TreeFile& b, bool jsonl, TreeSummary& summary, std::ostream& out) {
    ++summary.files;
    if (!a.item.problem.empty() || !b.item.problem.empty()) {
        --summary.files;
        return std::max(WriteAlone(a, true, jsonl, summary, out), WriteAlone(b, false, jsonl, summary, out));
    }
    const diff::Diff diff = diff::CompareFiles(a.item.path, b.item.path);
    const int status = DiffExitStatus(diff);
    ++(diff.Trouble() ? summary.trouble : diff.Same() ? summary.same : summary.different);
    if (jsonl) {
        out << DiffJson(diff) << "\n";
    } else {
        out << DiffOutcome(diff) << "\t" << text::TerminalPath(a.item.path) << "\t"
            << text::TerminalPath(b.item.path);
        if (diff.Trouble()) out << "\t" << text::TerminalText(diff.trouble);
        out << "\n";
    }
    out.flush();
    return status;
}

}  // namespace

int RunDiff(const std::string& a, const std::string& b, bool json, std::ostream& out, std::ostream& errors) {
    const diff::Diff diff = diff::CompareFiles(a, b);
    if (json) {
        out << DiffJson(diff) << "\n";
    } else {
        WriteDiffText(diff, out);
    }
    if (diff.Trouble()) errors << "ondulo-dump: " << text::TerminalText(diff.trouble) << "\n";
    out.flush();
    return out ? DiffExitStatus(diff) : kBadUsage;
}

int RunDiffTree(const std::string& a, const std::string& b, const WalkRules& rules, bool jsonl,
                std::ostream& out, std::ostream& errors) {
    for (const std::string* folder : {&a, &b}) {
        struct stat status {};
        if (::stat(folder->c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
            errors << "ondulo-dump: --diff -r compares two folders, and \"" << text::TerminalPath(*folder)
                   << "\" is no folder that can be read.\n";
            return kBadUsage;
        }
    }
    CollectionWalk walkA({a}, rules);
    CollectionWalk walkB({b}, rules);
    std::optional<TreeFile> fileA = NextOf(walkA, a);
    std::optional<TreeFile> fileB = NextOf(walkB, b);
    TreeSummary summary;
    int worst = 0;
    while (fileA || fileB) {
        // The walks go in byte order of the names at each level: so do their paths.
        const bool aFirst = fileA && (!fileB || fileA->names < fileB->names);
        const bool bFirst = fileB && (!fileA || fileB->names < fileA->names);
        int status = 0;
        if (aFirst) {
            status = WriteAlone(*fileA, true, jsonl, summary, out);
            fileA = NextOf(walkA, a);
        } else if (bFirst) {
            status = WriteAlone(*fileB, false, jsonl, summary, out);
            fileB = NextOf(walkB, b);
        } else {
            status = WritePair(*fileA, *fileB, jsonl, summary, out);
            fileA = NextOf(walkA, a);
            fileB = NextOf(walkB, b);
        }
        worst = std::max(worst, status);
    }
    if (jsonl) {
        out << "{\"summary\": " << summary.Json() << "}\n";
    }
    out.flush();
    if (!out) {
        errors << "ondulo-dump: the output could not be written.\n";
        return kBadUsage;
    }
    if (!jsonl) errors << summary.Text();
    return worst;
}
