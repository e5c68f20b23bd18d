#pragma once

// A RIFF file as a tree of chunks that the structure-aware mutator edits:
// parsed tolerantly from any bytes and written back byte for byte, so that
// serialising an unedited tree gives the input again. Nothing here recurses on
// the input's nesting, and the node count is capped, so a file of thousands of
// nested lists costs no more stack than a flat one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rifftree {

enum class NodeKind : std::uint8_t {
    Chunk,  // an 8-byte header and its content
    List,   // an 8-byte header, a four-byte list type and sub-chunks
    Bytes,  // bytes that are no chunk: a cut header, a damaged tail, stray bytes
};

// When a pad byte follows the content of a chunk or list.
enum class PadRule : std::uint8_t {
    IfOdd,   // after odd-sized content, as the format asks
    Never,   // left out, as some writers do
    Always,  // even after even-sized content: one stray byte
};

struct Node {
    NodeKind kind = NodeKind::Bytes;
    std::string id;                       // the four-byte chunk id (chunks and lists)
    std::string body;                     // a chunk's content, a list's type, or the stray bytes
    std::vector<std::uint32_t> children;  // a list's sub-chunks, as indices into Tree::nodes
    // The size field when it is not the length of what follows the header:
    // a file that lies about its sizes keeps its lie through an edit.
    std::optional<std::uint32_t> size;
    PadRule pad = PadRule::IfOdd;
    unsigned char padValue = 0;
};

// No tree grows past this many nodes, parsed or edited: a list of more
// chunks keeps the rest as one Bytes node.
inline constexpr std::size_t kMostNodes = 1 << 16;

inline constexpr std::uint32_t kNoNode = UINT32_MAX;

// A sub-chunk's place: the list that holds it and where in its children.
struct Slot {
    std::uint32_t parent = kNoNode;
    std::size_t index = 0;
};

struct Tree {
    // nodes[0] is the whole file: a list whose id is "RIFF" (or whatever the
    // first four bytes are) and whose type is "WAVE", or Bytes for an input
    // shorter than a RIFF header. An edit may leave nodes no list refers to.
    std::vector<Node> nodes;

    std::uint32_t Add(Node node);
    std::uint32_t Root() const { return 0; }
    std::uint32_t At(const Slot& slot) const { return nodes[slot.parent].children[slot.index]; }
};

// The input as a tree. Chunks are read as the file's reader reads them: the
// content runs for the size field or up to the end of the enclosing list, a
// LIST or list with at least four bytes holds sub-chunks, and the byte after
// odd-sized content is its pad byte unless the next header starts without it.
Tree Parse(std::string_view bytes);

// The tree as bytes, size fields given by what each header is followed by
// (or by Node::size). At most maxSize bytes: the rest is cut off. From a node
// other than the root: that chunk or list alone, as the file holds it.
std::string Serialise(const Tree& tree, std::size_t maxSize = SIZE_MAX, std::uint32_t from = 0);

// Every sub-chunk reachable from the root, in file order.
std::vector<Slot> Slots(const Tree& tree);

// How many nodes, and about how many bytes (never fewer), the subtree from
// node holds.
struct Extent {
    std::size_t nodes = 0;
    std::size_t bytes = 0;
};
Extent Measure(const Tree& tree, std::uint32_t node);

// Copies the subtree from node of `from` into `to`; returns the copy's index.
std::uint32_t CopySubtree(const Tree& from, std::uint32_t node, Tree& to);

}  // namespace rifftree
