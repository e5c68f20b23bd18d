#include "riff_tree.h"

#include <algorithm>
#include <utility>

namespace rifftree {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kListTypeSize = 4;
constexpr std::size_t kRiffHeadSize = 12;

std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

void WriteU32(std::string& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i, value >>= 8) out[at + i] = static_cast<char>(value & 0xFF);
}

bool IsListId(std::string_view id) { return id == "LIST" || id == "list"; }

// Whether a chunk header with four printable id bytes starts at `at` and fits
// before `end`: the reader's test for where the next chunk starts.
bool PlausibleHeaderAt(std::string_view bytes, std::size_t at, std::size_t end) {
    if (at >= end || end - at < kHeaderSize) return false;
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                       [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// The odd-sized content ending at `next` is followed by its pad byte, unless
// the next header starts right after the content and not one byte later.
bool PadByteFollows(std::string_view bytes, std::size_t next, std::size_t end) {
    if (next >= end) return false;
    return !(PlausibleHeaderAt(bytes, next, end) && !PlausibleHeaderAt(bytes, next + 1, end));
}

Node StrayBytes(std::string_view bytes) {
    Node node;
    node.kind = NodeKind::Bytes;
    node.body = std::string(bytes);
    return node;
}

// One chunk header at `at`, with its content and pad byte; sets where its
// content ends and where the next header starts.
Node ChunkAt(std::string_view bytes, std::size_t at, std::size_t end, std::size_t& contentEnd,
             std::size_t& next) {
    Node node;
    node.id = std::string(bytes.substr(at, 4));
    const std::uint32_t stored = ReadU32(bytes, at + 4);
    const std::size_t contentAt = at + kHeaderSize;
    const std::size_t present = std::min<std::size_t>(stored, end - contentAt);
    if (present != stored) node.size = stored;
    contentEnd = contentAt + present;
    next = contentEnd;
    if (present % 2 == 1) {
        if (PadByteFollows(bytes, next, end)) {
            node.padValue = static_cast<unsigned char>(bytes[next]);
            ++next;
        } else {
            node.pad = PadRule::Never;
        }
    }
    if (IsListId(node.id) && present >= kListTypeSize) {
        node.kind = NodeKind::List;
        node.body = std::string(bytes.substr(contentAt, kListTypeSize));
    } else {
        node.kind = NodeKind::Chunk;
        node.body = std::string(bytes.substr(contentAt, present));
    }
    return node;
}

}  // namespace

std::uint32_t Tree::Add(Node node) {
    nodes.push_back(std::move(node));
    return static_cast<std::uint32_t>(nodes.size() - 1);
}

Tree Parse(std::string_view bytes) {
    Tree tree;
    if (bytes.size() < kRiffHeadSize) {
        tree.Add(StrayBytes(bytes));
        return tree;
    }
    Node form;
    form.kind = NodeKind::List;
    form.id = std::string(bytes.substr(0, 4));
    form.body = std::string(bytes.substr(8, kListTypeSize));
    form.pad = PadRule::Never;
    const std::uint32_t stored = ReadU32(bytes, 4);
    if (stored != static_cast<std::uint64_t>(bytes.size()) - kHeaderSize) form.size = stored;
    tree.Add(std::move(form));

    // The lists whose sub-chunks are being read, innermost last: a stack, so
    // that nesting costs memory on the heap and not on the call stack. The
    // file's top level runs to its end whatever the RIFF size says.
    struct Range {
        std::uint32_t list;
        std::size_t at;
        std::size_t end;
    };
    std::vector<Range> open{{tree.Root(), kRiffHeadSize, bytes.size()}};
    while (!open.empty()) {
        Range& range = open.back();
        if (range.at >= range.end) {
            open.pop_back();
            continue;
        }
        const std::uint32_t list = range.list;
        const std::size_t left = range.end - range.at;
        if (left < kHeaderSize || tree.nodes.size() + 2 > kMostNodes) {
            const std::uint32_t rest = tree.Add(StrayBytes(bytes.substr(range.at, left)));
            range.at = range.end;
            tree.nodes[list].children.push_back(rest);
            continue;
        }
        std::size_t contentEnd = 0;
        std::size_t next = 0;
        Node chunk = ChunkAt(bytes, range.at, range.end, contentEnd, next);
        const std::size_t contentAt = range.at + kHeaderSize;
        range.at = next;
        const bool hasSubChunks = chunk.kind == NodeKind::List;
        const std::uint32_t index = tree.Add(std::move(chunk));
        tree.nodes[list].children.push_back(index);
        if (hasSubChunks && contentEnd > contentAt + kListTypeSize) {
            open.push_back({index, contentAt + kListTypeSize, contentEnd});
        }
    }
    return tree;
}

std::string Serialise(const Tree& tree, std::size_t maxSize, std::uint32_t from) {
    std::string out;
    // The header of a chunk or list, its size field left to fill in once
    // what follows it is written; returns where the size field is.
    const auto header = [&out](const Node& node) {
        std::string id = node.id;
        id.resize(4, ' ');
        out += id;
        const std::size_t sizeAt = out.size();
        out.append(4, '\0');
        return sizeAt;
    };
    const auto finish = [&out](const Node& node, std::size_t sizeAt) {
        const std::size_t length = out.size() - sizeAt - 4;
        WriteU32(out, sizeAt, node.size.value_or(static_cast<std::uint32_t>(length)));
        if (node.pad == PadRule::Always || (node.pad == PadRule::IfOdd && length % 2 == 1)) {
            out += static_cast<char>(node.padValue);
        }
    };

    struct Open {
        std::uint32_t list;
        std::size_t next;
        std::size_t sizeAt;
    };
    std::vector<Open> open;
    const auto start = [&](std::uint32_t index) {
        const Node& node = tree.nodes[index];
        if (node.kind == NodeKind::Bytes) {
            out += node.body;
            return;
        }
        const std::size_t sizeAt = header(node);
        if (node.kind == NodeKind::Chunk) {
            out += node.body;
            finish(node, sizeAt);
            return;
        }
        std::string type = node.body;
        type.resize(kListTypeSize, ' ');
        out += type;
        open.push_back({index, 0, sizeAt});
    };

    // The whole tree is written before the cut, so that the size fields of
    // the lists the cut goes through still say what the whole file holds.
    // Edits keep the tree near maxSize: this costs little more.
    start(from);
    while (!open.empty()) {
        Open& top = open.back();
        const Node& list = tree.nodes[top.list];
        if (top.next == list.children.size()) {
            const std::size_t sizeAt = top.sizeAt;
            open.pop_back();
            finish(list, sizeAt);
            continue;
        }
        start(list.children[top.next++]);
    }
    if (out.size() > maxSize) out.resize(maxSize);
    return out;
}

std::vector<Slot> Slots(const Tree& tree) {
    std::vector<Slot> slots;
    if (tree.nodes.empty() || tree.nodes[tree.Root()].kind != NodeKind::List) return slots;
    struct Open {
        std::uint32_t list;
        std::size_t next;
    };
    std::vector<Open> open{{tree.Root(), 0}};
    // A tree has fewer sub-chunks than nodes: the bound only guards the loop.
    while (!open.empty() && slots.size() < tree.nodes.size()) {
        Open& top = open.back();
        if (top.next == tree.nodes[top.list].children.size()) {
            open.pop_back();
            continue;
        }
        const Slot slot{top.list, top.next++};
        slots.push_back(slot);
        const std::uint32_t child = tree.At(slot);
        if (tree.nodes[child].kind == NodeKind::List) open.push_back({child, 0});
    }
    return slots;
}

Extent Measure(const Tree& tree, std::uint32_t node) {
    Extent extent;
    std::vector<std::uint32_t> pending{node};
    while (!pending.empty() && extent.nodes <= tree.nodes.size()) {
        const Node& current = tree.nodes[pending.back()];
        pending.pop_back();
        ++extent.nodes;
        extent.bytes += current.body.size() + (current.kind == NodeKind::Bytes ? 0 : kHeaderSize + 1);
        pending.insert(pending.end(), current.children.begin(), current.children.end());
    }
    return extent;
}

std::uint32_t CopySubtree(const Tree& from, std::uint32_t node, Tree& to) {
    // `to` may be `from`: nodes are copied by value and found again by index
    // after every Add, which may move them.
    const auto clone = [&](std::uint32_t source) {
        Node copy = from.nodes[source];
        copy.children.clear();
        return to.Add(std::move(copy));
    };
    const std::uint32_t top = clone(node);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pending{{node, top}};
    while (!pending.empty()) {
        const auto [source, copy] = pending.back();
        pending.pop_back();
        for (std::size_t i = 0; i < from.nodes[source].children.size(); ++i) {
            const std::uint32_t child = from.nodes[source].children[i];
            const std::uint32_t childCopy = clone(child);
            to.nodes[copy].children.push_back(childCopy);
            pending.emplace_back(child, childCopy);
        }
    }
    return top;
}

}  // namespace rifftree
