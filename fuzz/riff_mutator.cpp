#include "riff_mutator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "riff_tree.h"

namespace riffmutator {

using rifftree::kMostNodes;
using rifftree::Node;
using rifftree::NodeKind;
using rifftree::PadRule;
using rifftree::Slot;
using rifftree::Tree;

std::uint64_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
}

std::size_t Random::Below(std::size_t bound) {
    return bound == 0 ? 0 : static_cast<std::size_t>(Next() % bound);
}

std::size_t Random::Spread(std::size_t most) {
    if (most <= 1) return most;
    const std::size_t low = std::size_t{1} << Below(static_cast<std::size_t>(std::bit_width(most)));
    const std::size_t high = std::min(most, low * 2 - 1);
    return low + Below(high - low + 1);
}

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kListHeadSize = 12;  // a list's header and type
constexpr std::size_t kMostNesting = 20000;
constexpr std::size_t kMostRepeats = 4096;

// Ids the reader decodes, lists it looks into and a few it only lists.
constexpr std::array<std::string_view, 17> kIds = {"labl", "note", "ltxt", "cue ", "smpl", "fmt ",
                                                   "data", "LIST", "list", "adtl", "INFO", "fact",
                                                   "plst", "inst", "slnt", "wavl", "PAD "};
constexpr std::array<std::string_view, 5> kListTypes = {"adtl", "INFO", "wavl", "WAVE", "labl"};

std::string U32(std::uint32_t value) {
    std::string out(4, '\0');
    for (std::size_t i = 0; i < 4; ++i, value >>= 8) out[i] = static_cast<char>(value & 0xFF);
    return out;
}
std::string U16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

template <std::size_t N>
std::string_view PickFrom(const std::array<std::string_view, N>& choices, Random& random) {
    return choices[random.Below(N)];
}

Node MakeChunk(std::string_view id, std::string body) {
    Node node;
    node.kind = NodeKind::Chunk;
    node.id = std::string(id);
    node.body = std::move(body);
    return node;
}

Node MakeList(std::string_view id, std::string_view type) {
    Node node;
    node.kind = NodeKind::List;
    node.id = std::string(id);
    node.body = std::string(type);
    return node;
}

Node MakeBytes(std::string bytes) {
    Node node;
    node.kind = NodeKind::Bytes;
    node.body = std::move(bytes);
    return node;
}

// A pad byte or stray byte: zero, printable, or any.
unsigned char SomeByte(Random& random) {
    switch (random.Below(3)) {
        case 0:
            return 0;
        case 1:
            return static_cast<unsigned char>(0x20 + random.Below(0x5F));
        default:
            return static_cast<unsigned char>(random.Below(256));
    }
}

// The byte-level change of last resort: libFuzzer's when it is there, else a
// few bytes set to random values (or one byte for an empty input).
std::string MutateBytes(std::string_view input, std::size_t maxSize, Random& random,
                        ByteMutator byteMutator) {
    std::string buffer(input.substr(0, maxSize));
    if (byteMutator != nullptr) {
        const std::size_t size = buffer.size();
        buffer.resize(std::min(maxSize, size * 2 + 64));
        buffer.resize(std::min(
            buffer.size(), byteMutator(reinterpret_cast<std::uint8_t*>(buffer.data()), size, buffer.size())));
    } else if (buffer.empty()) {
        buffer.push_back(static_cast<char>(SomeByte(random)));
    } else {
        for (std::size_t n = 1 + random.Below(4); n-- > 0;) {
            buffer[random.Below(buffer.size())] = static_cast<char>(random.Below(256));
        }
    }
    if (buffer.empty()) buffer.push_back('R');
    return buffer;
}

// One edit of one tree. Each edit picks where it works at random and keeps
// the file within maxSize and the tree within kMostNodes; it returns false
// when the tree holds nothing it can work on.
class Editor {
public:
    Editor(Tree& tree, Random& random, std::size_t size, std::size_t maxSize, ByteMutator byteMutator)
        : tree_(tree),
          random_(random),
          size_(size),
          maxSize_(maxSize),
          byteMutator_(byteMutator),
          slots_(rifftree::Slots(tree)) {}

    bool Apply(Edit edit) {
        switch (edit) {
            case Edit::Nest:
                return Nest();
            case Edit::WrapRun:
                return WrapRun();
            case Edit::Repeat:
                return Repeat();
            case Edit::CutChunk:
                return CutChunk();
            case Edit::Resize:
                return Resize();
            case Edit::Pad:
                return Pad();
            case Edit::SwapId:
                return SwapId();
            case Edit::Stray:
                return Stray();
            case Edit::NewChunk:
                return NewChunk();
            case Edit::MutateContent:
                return MutateContent();
            case Edit::Remove:
                return Remove();
            case Edit::Swap:
                return Swap();
            case Edit::CutFile:
            case Edit::Bytes:
                break;
        }
        return false;
    }

private:
    std::size_t Room() const { return maxSize_ > size_ ? maxSize_ - size_ : 0; }
    std::size_t NodeRoom() const {
        return kMostNodes > tree_.nodes.size() ? kMostNodes - tree_.nodes.size() : 0;
    }
    Node& At(const Slot& slot) { return tree_.nodes[tree_.At(slot)]; }
    bool RootIsList() const { return tree_.nodes[tree_.Root()].kind == NodeKind::List; }

    std::optional<Slot> PickSlot() {
        if (slots_.empty()) return std::nullopt;
        return slots_[random_.Below(slots_.size())];
    }

    // A node with a header (a chunk or a list), the file's own RIFF header
    // among them when withRoot.
    std::optional<std::uint32_t> PickHeaded(bool withRoot) {
        std::vector<std::uint32_t> nodes;
        if (withRoot && RootIsList()) nodes.push_back(tree_.Root());
        for (const Slot& slot : slots_) {
            if (At(slot).kind != NodeKind::Bytes) nodes.push_back(tree_.At(slot));
        }
        if (nodes.empty()) return std::nullopt;
        return nodes[random_.Below(nodes.size())];
    }

    // A list, the whole file among them, holding at least `children` sub-chunks.
    std::optional<std::uint32_t> PickList(std::size_t children) {
        std::vector<std::uint32_t> lists;
        if (RootIsList() && tree_.nodes[tree_.Root()].children.size() >= children) {
            lists.push_back(tree_.Root());
        }
        for (const Slot& slot : slots_) {
            if (At(slot).kind == NodeKind::List && At(slot).children.size() >= children) {
                lists.push_back(tree_.At(slot));
            }
        }
        if (lists.empty()) return std::nullopt;
        return lists[random_.Below(lists.size())];
    }

    std::string_view ListId() { return random_.OneIn(6) ? "list" : "LIST"; }

    // The size field the node's header holds now.
    std::uint32_t StoredSize(std::uint32_t node) const {
        if (tree_.nodes[node].size) return *tree_.nodes[node].size;
        const std::string bytes = rifftree::Serialise(tree_, SIZE_MAX, node);
        std::uint32_t value = 0;
        for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[4 + i]);
        return value;
    }

    // Between one and four levels half of the time, else up to hundreds or
    // up to kMostNesting, as room allows.
    bool Nest() {
        const std::optional<Slot> slot = PickSlot();
        if (!slot) return false;
        std::size_t levels =
            random_.OneIn(2) ? 1 + random_.Below(4) : random_.Spread(random_.OneIn(2) ? 256 : kMostNesting);
        levels = std::min({levels, Room() / kListHeadSize, NodeRoom()});
        if (levels == 0) return false;
        std::string_view id = ListId();
        std::string_view type = PickFrom(kListTypes, random_);
        const bool mixed = random_.OneIn(4);
        std::uint32_t inner = tree_.At(*slot);
        for (std::size_t level = 0; level < levels; ++level) {
            if (mixed) {
                id = ListId();
                type = PickFrom(kListTypes, random_);
            }
            Node list = MakeList(id, type);
            list.children.push_back(inner);
            inner = tree_.Add(std::move(list));
        }
        tree_.nodes[slot->parent].children[slot->index] = inner;
        return true;
    }

    bool WrapRun() {
        const std::optional<std::uint32_t> parent = PickList(1);
        if (!parent || Room() < kListHeadSize || NodeRoom() == 0) return false;
        std::vector<std::uint32_t>& children = tree_.nodes[*parent].children;
        const std::size_t first = random_.Below(children.size());
        const std::size_t count = random_.Spread(children.size() - first);
        Node list = MakeList(ListId(), PickFrom(kListTypes, random_));
        const auto begin = children.begin() + static_cast<std::ptrdiff_t>(first);
        list.children.assign(begin, begin + static_cast<std::ptrdiff_t>(count));
        const std::uint32_t index = tree_.Add(std::move(list));
        // Add may have moved the nodes: find the children again.
        std::vector<std::uint32_t>& siblings = tree_.nodes[*parent].children;
        const auto at = siblings.begin() + static_cast<std::ptrdiff_t>(first);
        siblings.erase(at + 1, at + static_cast<std::ptrdiff_t>(count));
        siblings[first] = index;
        return true;
    }

    // Copies after the chunk; half of the time each copy of a chunk with a
    // four-byte first field (a cue point id, a count) numbers itself there.
    bool Repeat() {
        const std::optional<Slot> slot = PickSlot();
        if (!slot) return false;
        const std::uint32_t node = tree_.At(*slot);
        const rifftree::Extent extent = rifftree::Measure(tree_, node);
        std::size_t copies = random_.OneIn(2) ? 1 + random_.Below(8) : random_.Spread(kMostRepeats);
        copies =
            std::min({copies, Room() / std::max<std::size_t>(extent.bytes, 1), NodeRoom() / extent.nodes});
        if (copies == 0) return false;
        const bool numbered = random_.OneIn(2);
        std::vector<std::uint32_t> made;
        made.reserve(copies);
        for (std::size_t i = 0; i < copies; ++i) {
            const std::uint32_t copy = rifftree::CopySubtree(tree_, node, tree_);
            Node& madeNode = tree_.nodes[copy];
            if (numbered && madeNode.kind == NodeKind::Chunk && madeNode.body.size() >= 4) {
                madeNode.body.replace(0, 4, U32(static_cast<std::uint32_t>(i + 2)));
            }
            made.push_back(copy);
        }
        std::vector<std::uint32_t>& siblings = tree_.nodes[slot->parent].children;
        siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(slot->index + 1), made.begin(),
                        made.end());
        return true;
    }

    // Half of the time the size field keeps what it said before the cut, so
    // that the chunk claims the bytes after it.
    bool CutChunk() {
        std::vector<std::uint32_t> nodes;
        for (const Slot& slot : slots_) {
            const Node& node = At(slot);
            if ((node.kind == NodeKind::Chunk && !node.body.empty()) ||
                (node.kind == NodeKind::List && !node.children.empty())) {
                nodes.push_back(tree_.At(slot));
            }
        }
        if (nodes.empty()) return false;
        const std::uint32_t index = nodes[random_.Below(nodes.size())];
        const std::uint32_t before = StoredSize(index);
        Node& node = tree_.nodes[index];
        if (node.kind == NodeKind::Chunk) {
            node.body.resize(random_.Below(node.body.size()));
        } else {
            node.children.resize(random_.Below(node.children.size()));
        }
        if (random_.OneIn(2)) node.size = before;
        return true;
    }

    bool Resize() {
        const std::optional<std::uint32_t> index = PickHeaded(true);
        if (!index) return false;
        const std::uint32_t now = StoredSize(*index);
        std::optional<std::uint32_t>& size = tree_.nodes[*index].size;
        switch (random_.Below(12)) {
            case 0:
                size = 0;
                break;
            case 1:
                size = now ^ 1;  // odd for even, even for odd: off by one either way
                break;
            case 2:
                size = 0xFFFFFFFF;
                break;
            case 3:
                size = 0x7FFFF000;
                break;
            case 4:  // past the end of the file or the list
                size = now + 1 + static_cast<std::uint32_t>(random_.Spread(1 << 20));
                break;
            case 5:
                size = now + 1;
                break;
            case 6:
                size = now - 1;
                break;
            case 7:
                size = static_cast<std::uint32_t>(random_.Next());
                break;
            case 8:  // what follows the header again
                size.reset();
                break;
            case 9:
                size = 0x80000000;
                break;
            case 10:
                size = 0xFFFFFFFE;
                break;
            default:  // a few bytes short, so the next header is looked for inside the content
                size = now - static_cast<std::uint32_t>(std::min<std::size_t>(now, 1 + random_.Below(8)));
                break;
        }
        return true;
    }

    bool Pad() {
        const std::optional<std::uint32_t> index = PickHeaded(false);
        if (!index) return false;
        Node& node = tree_.nodes[*index];
        switch (random_.Below(4)) {
            case 0:
                node.pad = PadRule::Never;
                break;
            case 1:
                node.pad = PadRule::Always;
                node.padValue = SomeByte(random_);
                break;
            case 2:
                node.pad = PadRule::IfOdd;
                node.padValue = SomeByte(random_);
                break;
            default:  // content of the other parity, so that a pad byte is due or not
                if (node.kind != NodeKind::Chunk) return false;
                if (!node.body.empty() && random_.OneIn(2)) {
                    node.body.pop_back();
                } else {
                    node.body.push_back(static_cast<char>(SomeByte(random_)));
                }
                break;
        }
        return true;
    }

    bool SwapId() {
        const std::optional<std::uint32_t> index = PickHeaded(random_.OneIn(16));
        if (!index) return false;
        switch (random_.Below(4)) {
            case 0: {  // with another chunk of the file
                const std::optional<std::uint32_t> other = PickHeaded(false);
                if (!other) return false;
                std::swap(tree_.nodes[*index].id, tree_.nodes[*other].id);
                break;
            }
            case 1: {  // a list type; or a chunk made a list whose content is its sub-chunks
                Node& node = tree_.nodes[*index];
                if (node.kind == NodeKind::List) {
                    node.body = std::string(PickFrom(kListTypes, random_));
                } else {
                    node.id = std::string(ListId());
                    node.body.insert(0, PickFrom(kListTypes, random_));
                }
                break;
            }
            default:
                tree_.nodes[*index].id = std::string(PickFrom(kIds, random_));
                break;
        }
        return true;
    }

    // Stray bytes: zeros, printable or any bytes, or a header cut short.
    std::string StrayBytes() {
        const std::size_t length = 1 + random_.Below(8);
        switch (random_.Below(4)) {
            case 0:
                return std::string(length, '\0');
            case 1: {
                std::string bytes(length, ' ');
                for (char& c : bytes) c = static_cast<char>(0x20 + random_.Below(0x5F));
                return bytes;
            }
            case 2: {
                std::string bytes(length, ' ');
                for (char& c : bytes) c = static_cast<char>(random_.Below(256));
                return bytes;
            }
            default:
                return (std::string(PickFrom(kIds, random_)) +
                        U32(static_cast<std::uint32_t>(random_.Next())))
                    .substr(0, 1 + random_.Below(7));
        }
    }

    bool Stray() {
        std::string bytes = StrayBytes();
        if (Room() < bytes.size()) return false;
        if (random_.OneIn(3)) {
            const std::optional<std::uint32_t> index = PickHeaded(false);
            if (!index || tree_.nodes[*index].kind != NodeKind::Chunk) return false;
            std::string& body = tree_.nodes[*index].body;
            body.insert(random_.Below(body.size() + 1), bytes);
            return true;
        }
        return Insert(MakeBytes(std::move(bytes)));
    }

    // Puts node into a random list at a random place.
    bool Insert(Node node) {
        const std::optional<std::uint32_t> parent = PickList(0);
        if (!parent || NodeRoom() == 0) return false;
        const std::uint32_t index = tree_.Add(std::move(node));
        std::vector<std::uint32_t>& children = tree_.nodes[*parent].children;
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(random_.Below(children.size() + 1)),
                        index);
        return true;
    }

    // A short text, zero-terminated or not.
    std::string Text() {
        std::string text = std::string("Take ") + static_cast<char>('A' + random_.Below(26));
        if (!random_.OneIn(4)) text.push_back('\0');
        return text;
    }

    // A small chunk as a writer would make it, with a cue point id or count
    // that may be one the file already uses.
    Node Template() {
        const auto id = static_cast<std::uint32_t>(random_.Below(4));
        switch (random_.Below(12)) {
            case 0:
                return MakeChunk("labl", U32(id) + Text());
            case 1:
                return MakeChunk("note", U32(id) + Text());
            case 2:
                return MakeChunk("ltxt",
                                 U32(id) + U32(480) + "rgn " + U16(1) + U16(2) + U16(3) + U16(4) + Text());
            case 3: {
                const std::size_t count = random_.Below(4);
                std::string body = U32(static_cast<std::uint32_t>(count));
                for (std::uint32_t i = 1; i <= count; ++i)
                    body += U32(i) + U32(i * 10) + "data" + U32(0) + U32(0) + U32(i);
                return MakeChunk("cue ", body);
            }
            case 4:
                return MakeChunk("data", std::string(random_.Below(6), '\x01'));
            case 5:
                return MakeChunk("fmt ", U16(1) + U16(1) + U32(8000) + U32(16000) + U16(2) + U16(16));
            case 6:
                return MakeChunk("fact", U32(id));
            case 7: {
                std::string body =
                    U32(0) + U32(0) + U32(22675) + U32(60) + U32(0) + U32(0) + U32(0) + U32(1) + U32(0);
                return MakeChunk("smpl", body + U32(id) + U32(0) + U32(0) + U32(2) + U32(0) + U32(0));
            }
            case 8:
                return MakeChunk("plst", U32(1) + U32(id) + U32(2) + U32(1));
            case 9:
                return MakeChunk("inst", std::string("\x3c\xfd\x06\x00\x7f\x01\x7f", 7));
            case 10:
                return MakeChunk("slnt", U32(id));
            default:
                return MakeChunk("INAM", Text());
        }
    }

    // A new chunk somewhere; sometimes a whole list holding one. An input too
    // short for a RIFF header becomes a RIFF WAVE file holding the chunk.
    bool NewChunk() {
        if (!RootIsList()) {
            Node form = MakeList("RIFF", "WAVE");
            form.pad = PadRule::Never;
            tree_.nodes[tree_.Root()] = std::move(form);
            slots_.clear();
        }
        Node node = Template();
        if (Room() < node.body.size() + kHeaderSize + 1 + kListHeadSize + 1) return false;
        if (random_.OneIn(4)) {
            const bool info = node.id == "INAM";
            const std::uint32_t child = tree_.Add(std::move(node));
            node = MakeList(ListId(), info ? "INFO" : "adtl");
            node.children.push_back(child);
        }
        return Insert(std::move(node));
    }

    bool MutateContent() {
        const std::optional<std::uint32_t> index = PickHeaded(false);
        if (!index || tree_.nodes[*index].kind != NodeKind::Chunk) return false;
        std::string& body = tree_.nodes[*index].body;
        const std::size_t room = body.size() + std::min<std::size_t>(Room(), 64 + body.size());
        if (room == 0) return false;
        body = MutateBytes(body, room, random_, byteMutator_);
        return true;
    }

    bool Remove() {
        const std::optional<Slot> slot = PickSlot();
        if (!slot) return false;
        std::vector<std::uint32_t> lifted;
        if (random_.OneIn(2) && At(*slot).kind == NodeKind::List) lifted = At(*slot).children;
        std::vector<std::uint32_t>& siblings = tree_.nodes[slot->parent].children;
        const auto at = siblings.begin() + static_cast<std::ptrdiff_t>(slot->index);
        siblings.insert(siblings.erase(at), lifted.begin(), lifted.end());
        return true;
    }

    bool Swap() {
        const std::optional<std::uint32_t> parent = PickList(2);
        if (!parent) return false;
        std::vector<std::uint32_t>& children = tree_.nodes[*parent].children;
        std::swap(children[random_.Below(children.size())], children[random_.Below(children.size())]);
        return true;
    }

    Tree& tree_;
    Random& random_;
    std::size_t size_;
    std::size_t maxSize_;
    ByteMutator byteMutator_;
    std::vector<Slot> slots_;
};

// How often Mutate picks each edit: nesting and repeating, which random
// bytes almost never bring about, more often than the rest.
constexpr std::array<std::pair<Edit, std::size_t>, kEditCount> kWeights = {{
    {Edit::Nest, 4},
    {Edit::WrapRun, 2},
    {Edit::Repeat, 3},
    {Edit::CutFile, 1},
    {Edit::CutChunk, 1},
    {Edit::Resize, 2},
    {Edit::Pad, 1},
    {Edit::SwapId, 2},
    {Edit::Stray, 1},
    {Edit::NewChunk, 2},
    {Edit::MutateContent, 2},
    {Edit::Remove, 1},
    {Edit::Swap, 1},
    {Edit::Bytes, 1},
}};

Edit PickEdit(Random& random) {
    std::size_t total = 0;
    for (const auto& [edit, weight] : kWeights) total += weight;
    std::size_t pick = random.Below(total);
    for (const auto& [edit, weight] : kWeights) {
        if (pick < weight) return edit;
        pick -= weight;
    }
    return Edit::Bytes;
}

}  // namespace

std::string ApplyEdit(std::string_view input, Edit edit, std::size_t maxSize, Random& random,
                      ByteMutator byteMutator) {
    if (maxSize == 0) return {};
    input = input.substr(0, maxSize);
    if (edit == Edit::CutFile && input.size() > 1) {
        // Often within the last chunk's few bytes, else anywhere.
        const std::size_t cut = random.OneIn(2)
                                    ? 1 + random.Below(std::min<std::size_t>(16, input.size() - 1))
                                    : 1 + random.Below(input.size() - 1);
        return std::string(input.substr(0, input.size() - cut));
    }
    if (edit != Edit::Bytes && edit != Edit::CutFile) {
        Tree tree = rifftree::Parse(input);
        Editor editor(tree, random, input.size(), maxSize, byteMutator);
        if (editor.Apply(edit)) {
            std::string out = rifftree::Serialise(tree, maxSize);
            if (!out.empty()) return out;
        }
    }
    return MutateBytes(input, maxSize, random, byteMutator);
}

std::size_t Mutate(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed,
                   ByteMutator byteMutator) {
    if (maxSize == 0) return 0;
    Random random(seed);
    if (byteMutator != nullptr && random.OneIn(4)) return byteMutator(data, size, maxSize);
    std::string current(reinterpret_cast<const char*>(data), std::min(size, maxSize));
    const std::size_t edits = random.OneIn(3) ? 2 + random.Below(2) : 1;
    for (std::size_t i = 0; i < edits; ++i) {
        current = ApplyEdit(current, PickEdit(random), maxSize, random, byteMutator);
    }
    std::memcpy(data, current.data(), current.size());
    return current.size();
}

std::size_t CrossOver(std::string_view first, std::string_view second, std::uint8_t* out,
                      std::size_t maxOutSize, unsigned int seed) {
    Random random(seed);
    Tree tree = rifftree::Parse(first.substr(0, maxOutSize));
    const Tree donor = rifftree::Parse(second);
    const std::vector<Slot> given = rifftree::Slots(donor);
    const std::vector<Slot> slots = rifftree::Slots(tree);
    std::string result;
    if (!given.empty() && tree.nodes[tree.Root()].kind == NodeKind::List) {
        const std::uint32_t node = donor.At(given[random.Below(given.size())]);
        const rifftree::Extent extent = rifftree::Measure(donor, node);
        if (first.size() + extent.bytes <= maxOutSize && tree.nodes.size() + extent.nodes <= kMostNodes) {
            const std::uint32_t copy = rifftree::CopySubtree(donor, node, tree);
            if (!slots.empty() && random.OneIn(2)) {
                const Slot& slot = slots[random.Below(slots.size())];
                tree.nodes[slot.parent].children[slot.index] = copy;
            } else {
                // Beside a chunk of the same list, or at the file's top level.
                const std::uint32_t parent =
                    slots.empty() ? tree.Root() : slots[random.Below(slots.size())].parent;
                std::vector<std::uint32_t>& children = tree.nodes[parent].children;
                children.insert(
                    children.begin() + static_cast<std::ptrdiff_t>(random.Below(children.size() + 1)), copy);
            }
            result = rifftree::Serialise(tree, maxOutSize);
        }
    }
    if (result.empty()) {
        // No chunk to take or no room for it: the head of one and the tail of the other.
        result = std::string(first.substr(0, random.Below(first.size() + 1)));
        result += second.substr(random.Below(second.size() + 1));
        result.resize(std::min(result.size(), maxOutSize));
    }
    std::memcpy(out, result.data(), result.size());
    return result.size();
}

}  // namespace riffmutator
