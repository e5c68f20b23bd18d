// The walk of the folders named: which files it takes, in which order, and
// that links and folders reached twice cannot make it loop.
#include "app/dump/collection_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace {

using Strings = std::vector<std::string>;
using wavtest::ScratchDir;

// A tree with files of every kind a walk meets:
//   B.WAV a.wav c.Wave d.bwf e.rf64 noext notes.txt wav   files
//   fifo.wav                 a named pipe
//   link.wav -> a.wav        a link to a file
//   sub/z.wav sub/deeper/y.wav
//   sub/loop -> ..           a link back up the tree
//   sub2 -> sub              a link to a folder
class WalkTree {
public:
    WalkTree() {
        for (const char* name :
             {"B.WAV", "a.wav", "c.Wave", "d.bwf", "e.rf64", "noext", "notes.txt", "wav"}) {
            dir_.File(name, "RIFF");
        }
        dir_.Fifo("fifo.wav");
        ::mkdir(dir_.Path("sub").c_str(), 0700);
        ::mkdir(dir_.Path("sub/deeper").c_str(), 0700);
        dir_.File("sub/z.wav", "RIFF");
        dir_.File("sub/deeper/y.wav", "RIFF");
        EXPECT_EQ(::symlink("a.wav", dir_.Path("link.wav").c_str()), 0);
        EXPECT_EQ(::symlink("..", dir_.Path("sub/loop").c_str()), 0);
        EXPECT_EQ(::symlink("sub", dir_.Path("sub2").c_str()), 0);
    }

    // What the walk yields, paths relative to the tree; a folder it could not
    // read as "! " and its path.
    Strings Walk(const Strings& names, WalkRules rules) const {
        Strings paths;
        for (const std::string& name : names) paths.push_back(name == "." ? dir_.Dir() : dir_.Path(name));
        CollectionWalk walk(paths, rules);
        Strings found;
        while (const std::optional<WalkItem> item = walk.Next()) {
            const std::string path = item->path.substr(dir_.Dir().size() + 1);
            found.push_back(item->problem.empty() ? path : "! " + path);
        }
        return found;
    }
    const ScratchDir& Dir() const { return dir_; }

private:
    ScratchDir dir_;
};

struct WalkCase {
    const char* what;
    Strings names;  // relative to the tree; "." for the tree itself
    WalkRules rules;
    Strings expected;
};

TEST(CollectionWalk, TakesFilesInByteOrderFollowingNoLinkAndNoFolderTwice) {
    const WalkTree tree;
    const Strings wave = {"B.WAV", "a.wav", "c.Wave", "d.bwf", "e.rf64", "sub/deeper/y.wav", "sub/z.wav"};
    const WalkCase cases[] = {
        {"a folder, recursively: the WAV names only, no link, no pipe", {"."}, {true, false}, wave},
        {"every regular file",
         {"."},
         {true, true},
         {"B.WAV", "a.wav", "c.Wave", "d.bwf", "e.rf64", "noext", "notes.txt", "sub/deeper/y.wav",
          "sub/z.wav", "wav"}},
        {"without -r a folder is refused, saying what to give",
         {"sub", "a.wav"},
         {false, false},
         {"! sub", "a.wav"}},
        {"files named are taken whatever their names, in the order given",
         {"notes.txt", "fifo.wav", "a.wav"},
         {true, false},
         {"notes.txt", "fifo.wav", "a.wav"}},
        {"a folder named twice, or inside one named before, is walked once",
         {"sub", ".", "sub"},
         {true, false},
         {"sub/deeper/y.wav", "sub/z.wav", "B.WAV", "a.wav", "c.Wave", "d.bwf", "e.rf64"}},
        {"a link named on the command line is followed",
         {"sub2"},
         {true, false},
         {"sub2/deeper/y.wav", "sub2/z.wav"}},
        {"a missing path is handed on, to be reported as a file", {"none"}, {true, false}, {"none"}},
    };
    for (const WalkCase& c : cases) {
        EXPECT_EQ(tree.Walk(c.names, c.rules), c.expected) << c.what;
    }
    // A folder named with a slash at its end gives paths with one slash.
    CollectionWalk walk({tree.Dir().Path("sub/deeper/")}, {true, false});
    EXPECT_EQ(walk.Next()->path, tree.Dir().Path("sub/deeper/y.wav"));
}

TEST(CollectionWalk, ReportsAFolderItCannotReadAndGoesOn) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any folder";
    const WalkTree tree;
    ::mkdir(tree.Dir().Path("sub/locked").c_str(), 0700);
    tree.Dir().File("sub/locked/x.wav", "RIFF");
    ::chmod(tree.Dir().Path("sub/locked").c_str(), 0);
    CollectionWalk walk({tree.Dir().Path("sub")}, {true, false});
    EXPECT_EQ(walk.Next()->path, tree.Dir().Path("sub/deeper/y.wav"));
    const std::optional<WalkItem> locked = walk.Next();
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->path, tree.Dir().Path("sub/locked"));
    EXPECT_EQ(locked->problem,
              "The folder \"" + locked->path + "\" cannot be read: you do not have permission to read it.");
    EXPECT_EQ(walk.Next()->path, tree.Dir().Path("sub/z.wav"));
    ::chmod(tree.Dir().Path("sub/locked").c_str(), 0700);
}

TEST(CollectionWalk, KnowsTheWaveExtensionsInAnyCase) {
    const std::pair<const char*, bool> cases[] = {
        {"a.wav", true},  {"a.WAV", true},  {"a.Wave", true},     {"a.bwf", true},
        {"a.RF64", true}, {".wav", true},   {"a.wav.txt", false}, {"a.wavx", false},
        {"wav", false},   {"a.mp3", false}, {"a.", false},        {"a.w av", false},
    };
    for (const auto& [name, taken] : cases) EXPECT_EQ(HasWaveExtension(name), taken) << name;
}

}  // namespace
