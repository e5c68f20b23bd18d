// The fuzz targets' structure-aware mutator, driven without libFuzzer: the
// tree it reads gives the input back byte for byte, every edit stays within
// the size it is given and ends quickly on hostile input without deep
// recursion, and the edits that should bring deep or wide trees do.
#include "riff_mutator.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "riff_tree.h"
#include "support/wav_builder.h"

namespace {

using namespace wavtest;
using riffmutator::Edit;
using riffmutator::Random;
using rifftree::NodeKind;
using rifftree::Tree;

// Runs work on a thread with a stack of 256 KB: a walk that recursed once per
// nesting level would overflow it on the deep inputs below.
void OnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 256 * 1024), 0);
    pthread_t thread;
    auto call = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, call, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string Fmt() { return Chunk("fmt ", PcmFormat(1, 8000, 8)); }

// A label inside `depth` nested lists, after a format chunk.
// The list headers are written outermost first, each size counting the
// levels inside it, so that building 20000 levels costs no more than reading them.
std::string Nested(std::size_t depth) {
    const std::string label = Chunk("labl", LabelPayload(1, "x"));
    std::string lists;
    for (std::size_t level = depth; level-- > 0;) {
        lists += "LIST" + U32(static_cast<std::uint32_t>(4 + 12 * level + label.size())) + "adtl";
    }
    return RiffFile(Fmt() + lists + label);
}

// `count` labels in one list.
std::string Wide(std::size_t count) {
    std::string labels;
    for (std::size_t i = 0; i < count; ++i)
        labels += Chunk("labl", LabelPayload(static_cast<std::uint32_t>(i), ""));
    return RiffFile(Fmt() + Chunk("LIST", ListPayload("adtl", labels)));
}

// How deep lists nest in the tree, and the most sub-chunks one list holds.
struct Shape {
    std::size_t depth = 0;
    std::size_t widest = 0;
};
Shape ShapeOf(const Tree& tree) {
    Shape shape;
    std::vector<std::pair<std::uint32_t, std::size_t>> pending{{tree.Root(), 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        shape.depth = std::max(shape.depth, depth);
        shape.widest = std::max(shape.widest, tree.nodes[node].children.size());
        for (const std::uint32_t child : tree.nodes[node].children) pending.emplace_back(child, depth + 1);
    }
    return shape;
}

// Whether every size field of the file says what follows its header.
bool SizesConsistent(const std::string& bytes) {
    const Tree tree = rifftree::Parse(bytes);
    return std::none_of(tree.nodes.begin(), tree.nodes.end(), [](const rifftree::Node& node) {
        return node.kind != NodeKind::Bytes && node.size.has_value();
    });
}

std::string PseudoRandomBytes(std::uint64_t seed, std::size_t length) {
    Random random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random.Below(256));
    return bytes;
}

struct RoundTripCase {
    const char* what;
    std::string bytes;
};

TEST(RiffTree, SerialisingTheParsedTreeGivesTheInputBack) {
    const RoundTripCase cases[] = {
        {"empty", ""},
        {"shorter than a RIFF header", "RIFF\x04"},
        {"minimal", RiffFile(Fmt() + Chunk("data", "ab"))},
        {"odd chunk with its pad byte", RiffFile(Chunk("data", "abc") + Fmt())},
        {"odd chunk without its pad byte", RiffFile(Chunk("data", "abc", std::nullopt, false) + Fmt())},
        {"odd chunk with a non-zero pad byte", RiffFile("note" + U32(1) + "xQ" + Fmt())},
        {"odd chunk last, without its pad byte", RiffFile(Fmt() + Chunk("data", "abc", std::nullopt, false))},
        {"chunk past the end", RiffFile(Fmt() + Chunk("data", "abcd", 0xFFFFFFF0u), "WAVE", 0xFFFFFFFFu)},
        {"RIFF size too small", RiffFile(Fmt() + Chunk("data", "ab"), "WAVE", 4)},
        {"nested lists", Nested(3)},
        {"list holding only its type", RiffFile(Chunk("LIST", "adtl") + Fmt())},
        {"list too short for a type", RiffFile(Chunk("LIST", "ad") + Fmt())},
        {"list sub-chunk past the list's end",
         RiffFile(Chunk("LIST", "adtl" + Chunk("labl", "abcd", 99)) + Fmt())},
        {"cut header at the end", RiffFile(Fmt()) + "dat"},
        {"not RIFF", "RIFX" + U32(4) + "WAVE" + Fmt()},
        {"size 0xFFFFFFFF everywhere", "RIFF" + U32(0xFFFFFFFF) + "WAVE" + "LIST" + U32(0xFFFFFFFF) + "adtl" +
                                           "labl" + U32(0xFFFFFFFF) + "x"},
    };
    for (const RoundTripCase& c : cases) {
        EXPECT_EQ(rifftree::Serialise(rifftree::Parse(c.bytes)), c.bytes) << c.what;
    }
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        std::string bytes = PseudoRandomBytes(seed, seed % 97);
        if (seed % 2 == 0) bytes = RiffFile(bytes);
        EXPECT_EQ(rifftree::Serialise(rifftree::Parse(bytes)), bytes) << "seed " << seed;
    }
}

TEST(RiffTree, ReadsListsAndPadBytesAsTheReaderDoes) {
    const Tree tree =
        rifftree::Parse(RiffFile(Chunk("data", "abc", std::nullopt, false) +
                                 Chunk("LIST", ListPayload("adtl", Chunk("labl", "xyz"))) + Fmt()));
    const rifftree::Node& form = tree.nodes[tree.Root()];
    ASSERT_EQ(form.kind, NodeKind::List);
    EXPECT_EQ(form.body, "WAVE");
    ASSERT_EQ(form.children.size(), 3u);

    const rifftree::Node& data = tree.nodes[form.children[0]];
    EXPECT_EQ(data.body, "abc");
    EXPECT_EQ(data.pad, rifftree::PadRule::Never) << "the next header follows the content directly";

    const rifftree::Node& list = tree.nodes[form.children[1]];
    ASSERT_EQ(list.kind, NodeKind::List);
    EXPECT_EQ(list.body, "adtl");
    ASSERT_EQ(list.children.size(), 1u);
    const rifftree::Node& label = tree.nodes[list.children[0]];
    EXPECT_EQ(label.id, "labl");
    EXPECT_EQ(label.body, "xyz");
    EXPECT_EQ(label.pad, rifftree::PadRule::IfOdd);

    EXPECT_EQ(tree.nodes[form.children[2]].id, "fmt ");
}

TEST(RiffTree, ParsesAndWritesTwentyThousandNestedListsOnASmallStack) {
    const std::string bytes = Nested(20000);
    OnSmallStack([&] {
        const Tree tree = rifftree::Parse(bytes);
        EXPECT_EQ(ShapeOf(tree).depth, 20001u);
        EXPECT_EQ(rifftree::Slots(tree).size(), 20002u);
        EXPECT_EQ(rifftree::Serialise(tree), bytes);
        Tree copy;
        rifftree::CopySubtree(tree, tree.Root(), copy);
        EXPECT_EQ(rifftree::Serialise(copy), bytes);
    });
}

TEST(RiffTree, KeepsTheChunksPastTheNodeCapAsBytes) {
    const std::string bytes = Wide(rifftree::kMostNodes + 100);
    const Tree tree = rifftree::Parse(bytes);
    EXPECT_LE(tree.nodes.size(), rifftree::kMostNodes);
    EXPECT_EQ(tree.nodes.back().kind, NodeKind::Bytes);
    EXPECT_EQ(rifftree::Serialise(tree), bytes);
}

TEST(RiffTree, SerialiseCutsAtMaxSize) {
    const std::string bytes = Nested(50);
    for (const std::size_t most : {std::size_t{0}, std::size_t{1}, std::size_t{13}, bytes.size() - 1}) {
        EXPECT_EQ(rifftree::Serialise(rifftree::Parse(bytes), most), bytes.substr(0, most));
    }
}

// Inputs an edit must survive: thousands of levels, tens of thousands of
// chunks, sizes on their edges, no structure at all.
const std::vector<std::pair<const char*, std::string>>& HostileInputs() {
    static const std::vector<std::pair<const char*, std::string>> inputs = {
        {"empty", ""},
        {"one byte", "R"},
        {"20000 nested lists", Nested(20000)},
        {"20000 labels in one list", Wide(20000)},
        {"every size 0xFFFFFFFF",
         "RIFF" + U32(0xFFFFFFFF) + "WAVE" + "LIST" + U32(0xFFFFFFFF) + "adtl" + "labl" + U32(0xFFFFFFFF)},
        {"all 0xFF", std::string(4096, '\xFF')},
        {"random", PseudoRandomBytes(7, 3000)},
    };
    return inputs;
}

TEST(RiffMutator, EveryEditStaysWithinMaxSizeAndEndsQuicklyOnHostileInput) {
    OnSmallStack([] {
        for (const auto& [what, input] : HostileInputs()) {
            for (int kind = 0; kind < riffmutator::kEditCount; ++kind) {
                const auto edit = static_cast<Edit>(kind);
                const auto start = std::chrono::steady_clock::now();
                for (std::uint64_t seed = 0; seed < 4; ++seed) {
                    for (const std::size_t maxSize :
                         {std::size_t{1}, std::size_t{64}, input.size() + 1, input.size() + 300000}) {
                        Random random(seed);
                        const std::string out = riffmutator::ApplyEdit(input, edit, maxSize, random, nullptr);
                        EXPECT_LE(out.size(), maxSize) << what << ", edit " << kind;
                        EXPECT_FALSE(out.empty()) << what << ", edit " << kind;
                    }
                }
                const auto spent = std::chrono::steady_clock::now() - start;
                EXPECT_LT(spent, std::chrono::seconds(10)) << what << ", edit " << kind;
            }
        }
    });
}

TEST(RiffMutator, MutateFitsTheBufferLibFuzzerGives) {
    for (const auto& [what, input] : HostileInputs()) {
        for (unsigned int seed = 0; seed < 16; ++seed) {
            const std::size_t maxSize = input.size() + seed * 1000;
            std::string buffer = input;
            buffer.resize(std::max<std::size_t>(maxSize, 1));
            const std::size_t size = riffmutator::Mutate(reinterpret_cast<std::uint8_t*>(buffer.data()),
                                                         input.size(), buffer.size(), seed, nullptr);
            EXPECT_LE(size, buffer.size()) << what << ", seed " << seed;
            EXPECT_GT(size, 0u) << what << ", seed " << seed;
        }
    }
}

TEST(RiffMutator, EditsThatMoveChunksKeepEverySizeFieldRight) {
    const std::string input =
        RiffFile(Fmt() + Chunk("data", "abc") +
                 Chunk("LIST", ListPayload("adtl", Chunk("labl", LabelPayload(1, "ab")) +
                                                       Chunk("note", LabelPayload(2, "n")))));
    ASSERT_TRUE(SizesConsistent(input));
    for (const Edit edit :
         {Edit::Nest, Edit::WrapRun, Edit::Repeat, Edit::NewChunk, Edit::Remove, Edit::Swap}) {
        for (std::uint64_t seed = 0; seed < 50; ++seed) {
            Random random(seed);
            const std::string out = riffmutator::ApplyEdit(input, edit, 1 << 20, random, nullptr);
            EXPECT_TRUE(SizesConsistent(out)) << "edit " << static_cast<int>(edit) << ", seed " << seed;
        }
    }
}

TEST(RiffMutator, NestReachesThousandsOfLevelsWithinItsRoom) {
    const std::string input = RiffFile(Fmt() + Chunk("labl", LabelPayload(1, "x")));
    std::size_t deepest = 0;
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        Random random(seed);
        const std::string out = riffmutator::ApplyEdit(input, Edit::Nest, 1 << 20, random, nullptr);
        const std::size_t depth = ShapeOf(rifftree::Parse(out)).depth;
        EXPECT_LE(depth, 20000u + 1);
        deepest = std::max(deepest, depth);
    }
    EXPECT_GE(deepest, 5000u);

    // Twelve bytes a level: room for ten levels at most.
    for (std::uint64_t seed = 0; seed < 50; ++seed) {
        Random random(seed);
        const std::string out =
            riffmutator::ApplyEdit(input, Edit::Nest, input.size() + 120, random, nullptr);
        EXPECT_LE(ShapeOf(rifftree::Parse(out)).depth, 11u) << "seed " << seed;
    }
}

TEST(RiffMutator, RepeatMakesThousandsOfSiblings) {
    const std::string input = Wide(2);
    std::size_t widest = 0;
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        Random random(seed);
        widest = std::max(
            widest,
            ShapeOf(rifftree::Parse(riffmutator::ApplyEdit(input, Edit::Repeat, 1 << 20, random, nullptr)))
                .widest);
    }
    EXPECT_GE(widest, 1000u);
}

TEST(RiffMutator, ResizeReachesTheEdgeValues) {
    const std::string input = RiffFile(Chunk("data", "abcd"));
    std::set<std::uint32_t> sizes;
    for (std::uint64_t seed = 0; seed < 400; ++seed) {
        Random random(seed);
        const std::string out = riffmutator::ApplyEdit(input, Edit::Resize, 1 << 20, random, nullptr);
        ASSERT_EQ(out.size(), input.size()) << "a new size field changes no other byte";
        for (const std::size_t at : {std::size_t{4}, std::size_t{16}}) {
            std::uint32_t value = 0;
            for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(out[at + i]);
            sizes.insert(value);
        }
    }
    for (const std::uint32_t edge : {0u, 3u, 5u, 0xFFFFFFFFu, 0x7FFFF000u, 0x80000000u}) {
        EXPECT_TRUE(sizes.count(edge)) << edge;
    }
}

TEST(RiffMutator, TheSameSeedGivesTheSameMutation) {
    const std::string input = Nested(4);
    std::set<std::string> outputs;
    for (unsigned int seed = 0; seed < 30; ++seed) {
        std::string first = input;
        std::string second = input;
        first.resize(4096);
        second.resize(4096);
        const std::size_t a = riffmutator::Mutate(reinterpret_cast<std::uint8_t*>(first.data()), input.size(),
                                                  4096, seed, nullptr);
        const std::size_t b = riffmutator::Mutate(reinterpret_cast<std::uint8_t*>(second.data()),
                                                  input.size(), 4096, seed, nullptr);
        ASSERT_EQ(first.substr(0, a), second.substr(0, b)) << "seed " << seed;
        outputs.insert(first.substr(0, a));
    }
    EXPECT_GT(outputs.size(), 20u);
}

// Counts its calls and changes the first byte, as a stand-in for libFuzzer's.
std::size_t byteMutations = 0;
std::size_t CountingMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize) {
    ++byteMutations;
    if (size == 0) {
        data[0] = 'x';
        return std::min<std::size_t>(1, maxSize);
    }
    data[0] ^= 0x20;
    return size;
}

TEST(RiffMutator, LeavesAboutOneMutationInFourToTheByteMutator) {
    const std::string input = Nested(2);
    byteMutations = 0;
    for (unsigned int seed = 0; seed < 400; ++seed) {
        std::string buffer = input;
        buffer.resize(8192);
        riffmutator::Mutate(reinterpret_cast<std::uint8_t*>(buffer.data()), input.size(), buffer.size(), seed,
                            &CountingMutator);
    }
    // One in four alone, plus the Bytes and MutateContent edits and fallbacks.
    EXPECT_GE(byteMutations, 80u);
    EXPECT_LE(byteMutations, 250u);
}

TEST(RiffMutator, CrossOverPutsAChunkOfTheSecondInputIntoTheFirst) {
    const std::string first = RiffFile(Fmt() + Chunk("data", "ab"));
    const std::string second = RiffFile(Chunk("zzzz", "donor"));
    bool taken = false;
    for (unsigned int seed = 0; seed < 20; ++seed) {
        std::string out(256, '\0');
        const std::size_t size = riffmutator::CrossOver(
            first, second, reinterpret_cast<std::uint8_t*>(out.data()), out.size(), seed);
        out.resize(size);
        EXPECT_EQ(out.compare(0, 4, "RIFF"), 0);
        taken = taken || (out.find("zzzz") != std::string::npos && SizesConsistent(out));
    }
    EXPECT_TRUE(taken);

    const std::string deep = Nested(20000);
    const std::string wide = Wide(20000);
    std::string small(10, '\0');
    for (unsigned int seed = 0; seed < 20; ++seed) {
        EXPECT_LE(riffmutator::CrossOver(deep, wide, reinterpret_cast<std::uint8_t*>(small.data()),
                                         small.size(), seed),
                  small.size());
    }
}

}  // namespace
