#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Which files a walk takes.
struct WalkRules {
    bool recursive = false;  // a folder named is walked, and the folders in it
    bool allFiles = false;   // in a walked folder, every regular file, not only .wav, .wave, .bwf, .rf64
};

// What the walk hands on: a file to report, or a folder it could not read.
struct WalkItem {
    std::string path;
    std::string problem;  // why the folder at `path` could not be read; empty for a file
};

// Whether a name ends in .wav, .wave, .bwf or .rf64, in any case.
bool HasWaveExtension(const std::string& name);

// Goes through the paths named, in their order, and yields each in turn; with
// WalkRules::recursive a folder is walked instead: its entries in byte order
// of their names, each folder in it walked where its name comes. In a walked
// folder, symbolic links are not followed (a link named on the command line
// is), nor is any folder entered twice, however it is reached (a bind mount,
// a folder named twice). Files that are neither regular files nor taken by
// the rules are passed over.
//
// The walk is a stream: it holds the sorted entries of the folders it is in,
// from the one named down to the current one, never a list of all files.
class CollectionWalk {
public:
    CollectionWalk(std::vector<std::string> paths, WalkRules rules);
    CollectionWalk(const CollectionWalk&) = delete;
    CollectionWalk& operator=(const CollectionWalk&) = delete;

    // The next file or unreadable folder; nothing once the walk is over.
    std::optional<WalkItem> Next();

private:
    enum class Kind { Folder, File, Other };
    struct Entry {
        std::string name;
        Kind kind;
    };
    // A folder being walked: its sorted entries and how far the walk is.
    struct Listing {
        std::string path;
        std::vector<Entry> entries;
        std::size_t next = 0;
    };

    // What an entry of a folder is; a symbolic link is Other.
    static Kind KindOf(DIR* folder, const dirent& entry);
    // Reads the folder and puts its listing on the stack; the problem when it
    // cannot be read. A folder entered before is passed over.
    std::optional<WalkItem> Enter(const std::string& path, bool followLink);

    std::vector<std::string> paths_;
    std::size_t nextPath_ = 0;
    WalkRules rules_;
    std::vector<Listing> stack_;
    std::set<std::pair<dev_t, ino_t>> entered_;
};
