// id3 and ID3: an ID3v2 tag (versions 2.2, 2.3 and 2.4) as MP3 files carry
// it. The header (version, flags, size), then each frame: text frames in
// their stated encoding, comments with their language and description,
// pictures by MIME type and size, any other frame by its size. Of each frame
// only what a cell shows is read, and at most kMostFrames frames are shown.
#include <algorithm>
#include <array>
#include <optional>

#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "chunkinfo/id3_text.h"
#include "formats/id3_header.h"
#include "text/cut_text.h"

namespace chunkinfo {
namespace {

constexpr std::size_t kMostFrames = 1024;

// The names of the frames people meet, by their ID3v2.3 and 2.4 ids.
constexpr std::array<IdName, 48> kFrameNames = {{
    {"APIC", "Picture"},
    {"COMM", "Comment"},
    {"GEOB", "Object"},
    {"PCNT", "Play counter"},
    {"POPM", "Popularimeter"},
    {"PRIV", "Private"},
    {"TALB", "Album"},
    {"TBPM", "BPM"},
    {"TCMP", "Compilation"},
    {"TCOM", "Composer"},
    {"TCON", "Genre"},
    {"TCOP", "Copyright"},
    {"TDAT", "Date"},
    {"TDRC", "Recording time"},
    {"TDRL", "Release time"},
    {"TENC", "Encoded by"},
    {"TEXT", "Lyricist"},
    {"TIME", "Time"},
    {"TIT1", "Content group"},
    {"TIT2", "Title"},
    {"TIT3", "Subtitle"},
    {"TKEY", "Initial key"},
    {"TLAN", "Language"},
    {"TLEN", "Length"},
    {"TOAL", "Original album"},
    {"TOWN", "File owner"},
    {"TOPE", "Original artist"},
    {"TORY", "Original year"},
    {"TPE1", "Artist"},
    {"TPE2", "Album artist"},
    {"TPE3", "Conductor"},
    {"TPE4", "Remixed by"},
    {"TPOS", "Disc"},
    {"TPUB", "Publisher"},
    {"TRCK", "Track"},
    {"TSOA", "Album sort order"},
    {"TSOP", "Artist sort order"},
    {"TSOT", "Title sort order"},
    {"TSRC", "ISRC"},
    {"TSSE", "Encoder settings"},
    {"TXXX", "User text"},
    {"TYER", "Year"},
    {"UFID", "Unique file identifier"},
    {"USLT", "Lyrics"},
    {"WCOM", "Commercial information"},
    {"WOAR", "Artist web page"},
    {"WOAS", "Source web page"},
    {"WXXX", "User URL"},
}};

// The ID3v2.2 ids of three letters that have a frame of four above.
constexpr std::array<IdName, 23> kShortIds = {{
    {"COM", "COMM"}, {"GEO", "GEOB"}, {"PIC", "APIC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"},
    {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TEN", "TENC"}, {"TLE", "TLEN"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TPA", "TPOS"}, {"TRK", "TRCK"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"ULT", "USLT"}, {"WXX", "WXXX"},
}};

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char c : bytes) value = value << 8 | static_cast<unsigned char>(c);
    return value;
}

// The bytes as they were before unsynchronisation put a zero after each 0xFF.
std::string Resynchronised(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\xFF' && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
    }
    return out;
}

// The bytes of a tag after its header as a frame walk reads them. An
// ID3v2.2 or 2.3 tag marked unsynchronised had a zero put after each 0xFF
// throughout, and its frame sizes count the bytes before that: the walk reads
// the bytes with those zeros taken out again, in pieces, going forward.
//
// A position the walk counts lies further on in the file by the zeros taken
// out before it. It is found by counting from the nearest known pair of
// positions before it: where the walk is, where its last few reads started
// (a frame's header and content), or the start of the tag. As rows follow
// the walk, that costs no reads beyond those the walk makes anyway, and what
// is kept stays a few numbers whatever the tag's length.
class TagBytes {
public:
    TagBytes(const ChunkInput& input, std::uint64_t storedEnd, bool unsynchronised)
        : input_(input), storedEnd_(storedEnd), unsynchronised_(unsynchronised) {
        if (!unsynchronised_) {
            end_ = storedEnd_;
            return;
        }
        // The end as the walk counts it: the stored bytes less the zeros taken out.
        Rewind();
        Take(storedEnd_, nullptr);
        end_ = cursor_.logical;
    }

    // Where the tag ends, counted as the walk reads.
    std::uint64_t End() const { return end_; }

    // Where `count` bytes from `at` (as the walk counts) lie in the file. In
    // a tag read with its inserted zeros taken out, from where the first of
    // them is stored to where the byte after the last is: a zero inserted
    // after the last belongs to it, and those inside are spanned.
    std::optional<rows::ByteRange> At(std::uint64_t at, std::uint64_t count) {
        if (!unsynchronised_) return input_.At(at, count);
        const std::optional<std::uint64_t> first = StoredAt(at);
        const std::optional<std::uint64_t> end = first ? StoredAt(at + count) : std::nullopt;
        if (!end) return std::nullopt;
        return input_.At(*first, *end - *first);
    }

    // Up to `count` bytes from `at` (counted from the start of the tag, as
    // the walk reads), fewer where the tag ends.
    std::string Read(std::uint64_t at, std::uint64_t count) {
        if (!unsynchronised_) return input_.Read(at, std::min(count, at < storedEnd_ ? storedEnd_ - at : 0));
        if (!MoveTo(at)) return {};
        Remember();
        std::string bytes;
        Take(count, &bytes);
        return bytes;
    }

private:
    static constexpr std::uint64_t kPiece = 64 * 1024;

    // A position of the walk and where it lies in the file.
    struct Position {
        std::uint64_t logical = formats::kId3HeaderSize;  // as the walk counts
        std::uint64_t stored = formats::kId3HeaderSize;   // the stored byte read next
        bool afterFF = false;                             // the byte before it was 0xFF
    };

    void Rewind() { cursor_ = Position{}; }

    // Puts the walk at `at` from the nearest known position at or before it;
    // false past the end of the tag. A position left behind is kept.
    bool MoveTo(std::uint64_t at) {
        Position from = cursor_.logical <= at ? cursor_ : Position{};
        for (const Position& known : remembered_) {
            if (known.logical <= at && known.logical > from.logical) from = known;
        }
        if (from.logical < cursor_.logical) Remember();
        cursor_ = from;
        Take(at - cursor_.logical, nullptr);
        return cursor_.logical == at;
    }

    // Keeps the walk's position, in place of the oldest kept.
    void Remember() {
        for (const Position& known : remembered_) {
            if (known.logical == cursor_.logical) return;
        }
        remembered_[next_] = cursor_;
        next_ = (next_ + 1) % remembered_.size();
    }

    // The stored offset of the byte at `at` as the walk counts it; nothing
    // past the end of the tag.
    std::optional<std::uint64_t> StoredAt(std::uint64_t at) {
        if (!MoveTo(at)) return std::nullopt;
        Remember();
        return cursor_.stored;
    }

    // Goes `count` bytes further (as the walk counts), adding them to `out`
    // when it is given; stops at the end of the tag.
    void Take(std::uint64_t count, std::string* out) {
        while (count > 0 && cursor_.stored < storedEnd_) {
            // No more than the bytes asked for can take: twice as many, and
            // the zero after the last.
            const std::uint64_t most = count < kPiece / 2 ? 2 * count + 1 : kPiece;
            const std::string piece =
                input_.Read(cursor_.stored, std::min(most, storedEnd_ - cursor_.stored));
            if (piece.empty()) {
                cursor_.stored = storedEnd_;
                return;
            }
            std::size_t i = 0;
            for (; i < piece.size() && count > 0; ++i) {
                const char byte = piece[i];
                if (cursor_.afterFF && byte == '\0') {
                    cursor_.afterFF = false;
                    continue;
                }
                cursor_.afterFF = byte == '\xFF';
                if (out != nullptr) *out += byte;
                ++cursor_.logical;
                --count;
            }
            // A zero that follows the last byte taken belongs to it.
            if (i < piece.size() && cursor_.afterFF && piece[i] == '\0') {
                cursor_.afterFF = false;
                ++i;
            }
            cursor_.stored += i;
        }
        // So too when it is the first byte of the next piece: the position
        // reached is that of the next byte the walk counts.
        if (cursor_.afterFF && cursor_.stored < storedEnd_ &&
            input_.Read(cursor_.stored, 1) == std::string(1, '\0')) {
            cursor_.afterFF = false;
            ++cursor_.stored;
        }
    }

    const ChunkInput& input_;
    std::uint64_t storedEnd_;
    bool unsynchronised_;
    std::uint64_t end_ = 0;
    Position cursor_;                       // where the walk is
    std::array<Position, 4> remembered_{};  // where the last reads and ranges started
    std::size_t next_ = 0;                  // the kept position replaced next
};

using wavedoc::Field;

// The header of a frame: its id and its size, most significant byte first;
// ID3v2.3 and 2.4 add two bytes of flags, the second saying how the content
// is stored.
struct FrameHeader {
    Field id;
    Field size;
    std::uint64_t length;
};
constexpr Field kShortFrameId = wavedoc::BytesField("frame id", 0, 3);
constexpr Field kShortFrameSize = wavedoc::BytesField("frame size", 3, 3);
constexpr FrameHeader kShortFrameHeader{kShortFrameId, kShortFrameSize, kShortFrameSize.End()};  // ID3v2.2
constexpr Field kFrameId = wavedoc::BytesField("frame id", 0, 4);
constexpr Field kFrameSize = wavedoc::BytesField("frame size", 4, 4);
constexpr Field kFrameStatusFlags = wavedoc::Unsigned8Field("frame status flags", 8);
constexpr Field kFrameFormatFlags = wavedoc::Unsigned8Field("frame format flags", 9);
constexpr FrameHeader kFrameHeader{kFrameId, kFrameSize, kFrameFormatFlags.End()};
static_assert(wavedoc::FollowOneAnother({kShortFrameId, kShortFrameSize}));
static_assert(wavedoc::FollowOneAnother({kFrameId, kFrameSize, kFrameStatusFlags, kFrameFormatFlags}));

// The size of an extended header, which follows the tag header.
constexpr Field kExtendedHeaderSize = wavedoc::BytesField("extended header size", formats::kId3HeaderSize, 4);

// How a tag of one version lays out its frames.
struct TagLayout {
    int version;          // 2, 3 or 4
    bool unsynchronised;  // the whole tag (2.2, 2.3) or, in 2.4, every frame
    FrameHeader frame;
};

struct Frame {
    std::string id;   // as stored
    std::string key;  // the ID3v2.3 id it stands for
    std::uint32_t size;
    std::string bytes;        // its first bytes, after any unsynchronisation is undone
    bool whole;               // bytes holds the whole frame
    std::uint64_t content;    // the bytes of its content as stored
    bool resynchronised;      // its own unsynchronisation was undone (ID3v2.4)
    std::uint64_t next;       // where the next frame starts
    std::string_view packed;  // "compressed" or "encrypted": its content cannot be read here
};

// The bytes after the first n, none when there are fewer.
std::string_view After(std::string_view bytes, std::size_t n) {
    return bytes.substr(std::min(n, bytes.size()));
}

bool IsFrameId(std::string_view id) {
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// "Title (TIT2)", or the id alone for a frame without a known name.
std::string FrameLabel(const Frame& frame) {
    const std::string_view name = NameOf(kFrameNames, frame.key);
    return name.empty() ? frame.id : std::string(name) + " (" + frame.id + ")";
}

Id3Encoding EncodingOf(std::string_view bytes) {
    const auto code = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    if (code > 3) {
        throw rows::DetailStop("a frame states the text encoding " + std::to_string(code) +
                               ", which ID3 does not define.");
    }
    return static_cast<Id3Encoding>(code);
}

// The strings of a text frame, joined by " / " (ID3v2.4 keeps several values
// apart by terminators).
std::string TextFrame(std::string_view bytes) {
    const Id3Encoding encoding = EncodingOf(bytes);
    std::string_view rest = After(bytes, 1);
    std::string text;
    while (!rest.empty()) {
        const Id3String string = SplitId3String(rest, encoding);
        if (!string.text.empty()) text += (text.empty() ? "" : " / ") + Id3ToUtf8(string.text, encoding);
        rest = string.rest;
    }
    return text;
}

// TXXX and WXXX: "description: value"; the URL of WXXX is ISO-8859-1 whatever the encoding.
std::string DescribedFrame(std::string_view bytes, bool url) {
    const Id3Encoding encoding = EncodingOf(bytes);
    const Id3String description = SplitId3String(After(bytes, 1), encoding);
    const Id3Encoding valueEncoding = url ? Id3Encoding::Latin1 : encoding;
    const std::string value = Id3ToUtf8(SplitId3String(description.rest, valueEncoding).text, valueEncoding);
    const std::string said = Id3ToUtf8(description.text, encoding);
    return said.empty() ? value : said + ": " + value;
}

// A Latin-1 string up to its first zero byte: a language, an image format, a URL.
std::string FixedLatin1(std::string_view bytes) {
    return Id3ToUtf8(bytes.substr(0, bytes.find('\0')), Id3Encoding::Latin1);
}

// COMM and USLT: "eng \"description\": text", the language or description
// left out when the frame leaves it empty.
std::string CommentFrame(std::string_view bytes) {
    const Id3Encoding encoding = EncodingOf(bytes);
    std::string said = FixedLatin1(After(bytes, 1).substr(0, 3));
    const Id3String description = SplitId3String(After(bytes, 4), encoding);
    // A description of a byte order mark alone is as empty as one of no bytes.
    if (const std::string text = Id3ToUtf8(description.text, encoding); !text.empty()) {
        said += (said.empty() ? "\"" : " \"") + text + "\"";
    }
    const std::string text = Id3ToUtf8(SplitId3String(description.rest, encoding).text, encoding);
    return said.empty() ? text : said + ": " + text;
}

// A terminated string at the start of a frame's bytes, as UTF-8, and what
// follows it; `ended` is false when its terminator is not among the bytes read.
struct FrameString {
    std::string text;
    std::string_view rest;
    bool ended;
};
FrameString NextString(std::string_view bytes, Id3Encoding encoding) {
    const Id3String string = SplitId3String(bytes, encoding);
    return {Id3ToUtf8(string.text, encoding), string.rest, string.text.size() < bytes.size()};
}

// The size of what follows a frame's strings (a picture, an object), which
// start its bytes and end where `rest` starts: the frame's size less theirs;
// "N bytes in all" (the frame's) when their end was not read, or when the
// frame's own unsynchronisation leaves the size as stored unknown.
std::string PayloadSize(const Frame& frame, const FrameString& last) {
    if (!last.ended || (!frame.whole && frame.resynchronised)) {
        return GroupedCount(frame.size, "byte", "bytes") + " in all";
    }
    const std::uint64_t strings = frame.bytes.size() - last.rest.size();
    const std::uint64_t payload =
        frame.whole ? last.rest.size() : frame.content - std::min(frame.content, strings);
    return GroupedCount(payload, "byte", "bytes");
}

// "text", quoted, or nothing for an empty one.
std::string Quoted(const std::string& text) { return text.empty() ? "" : ", \"" + text + "\""; }

// APIC (a terminated MIME type) and ID3v2.2's PIC (three letters of image
// format), then the picture type and its description: "image/png, "cover",
// 1,234 bytes", the size being the picture's.
std::string PictureFrame(const Frame& frame, bool shortFormat) {
    const std::string_view bytes = frame.bytes;
    const Id3Encoding encoding = EncodingOf(bytes);
    const std::string_view afterEncoding = After(bytes, 1);
    std::string_view type = afterEncoding.substr(0, 3);
    std::string_view afterType = After(afterEncoding, 3);
    if (!shortFormat) {
        const Id3String mime = SplitId3String(afterEncoding, Id3Encoding::Latin1);
        type = mime.text;
        afterType = mime.rest;
    }
    const FrameString description = NextString(After(afterType, 1), encoding);
    const bool typeEnded = shortFormat ? afterEncoding.size() >= 3 : type.size() < afterEncoding.size();
    const FrameString last{description.text, description.rest,
                           typeEnded && !afterType.empty() && description.ended};
    return FixedLatin1(type) + Quoted(description.text) + ", " + PayloadSize(frame, last);
}

// GEOB: a MIME type, a file name and a description, then the object:
// "text/plain, "notes.txt", "Session notes", 1,234 bytes".
std::string ObjectFrame(const Frame& frame) {
    const std::string_view bytes = frame.bytes;
    const Id3Encoding encoding = EncodingOf(bytes);
    const FrameString mime = NextString(After(bytes, 1), Id3Encoding::Latin1);
    const FrameString file = NextString(mime.rest, encoding);
    const FrameString description = NextString(file.rest, encoding);
    const FrameString last{description.text, description.rest, mime.ended && file.ended && description.ended};
    return mime.text + Quoted(file.text) + Quoted(description.text) + ", " + PayloadSize(frame, last);
}

std::string FrameValue(const Frame& frame) {
    const std::string size = GroupedCount(frame.size, "byte", "bytes");
    if (!frame.packed.empty()) return size + ", " + std::string(frame.packed);
    const std::string_view bytes = frame.bytes;
    if (frame.key == "TXXX") return DescribedFrame(bytes, false);
    if (frame.key == "WXXX") return DescribedFrame(bytes, true);
    if (frame.key[0] == 'T') return TextFrame(bytes);
    if (frame.key[0] == 'W') return FixedLatin1(bytes);
    if (frame.key == "COMM" || frame.key == "USLT") return CommentFrame(bytes);
    if (frame.key == "APIC") return PictureFrame(frame, frame.id == "PIC");
    if (frame.key == "GEOB") return ObjectFrame(frame);
    return size;
}

// "0xC0 (unsynchronisation, extended header)": the tag header's flags and their names.
std::string TagFlagsText(int version, unsigned flags) {
    struct Flag {
        unsigned bit;
        std::string_view name;
    };
    const Flag names[] = {{0x80, "unsynchronisation"},
                          {0x40, version == 2 ? "compression" : "extended header"},
                          {0x20, "experimental"},
                          {0x10, "footer"}};
    std::string text;
    for (const Flag& flag : names) {
        if ((flags & flag.bit) != 0) text += (text.empty() ? "" : ", ") + std::string(flag.name);
    }
    return HexNumber(flags, 2) + (text.empty() ? "" : " (" + text + ")");
}

// Where the frames start after an extended header, whose size ID3v2.3 gives
// without its own four bytes and ID3v2.4 as a syncsafe number with them.
std::uint64_t AfterExtendedHeader(TagBytes& tag, const TagLayout& layout) {
    const std::string field = tag.Read(kExtendedHeaderSize.offset, kExtendedHeaderSize.width);
    if (field.size() < kExtendedHeaderSize.width) {
        throw rows::DetailStop("its tag ends inside the size of its extended header.");
    }
    std::uint64_t first = kExtendedHeaderSize.End() + BigEndian(field);
    if (layout.version == 4) {
        const std::optional<std::uint32_t> size = formats::Syncsafe(field);
        if (!size) throw rows::DetailStop("its extended header size is not a syncsafe number.");
        first = kExtendedHeaderSize.offset + *size;
    }
    return first;
}

std::string TagOffset(std::uint64_t at) { return "byte " + text::GroupedThousands(at) + " of the tag"; }

// The frame whose header starts at `at`: its id, size and first bytes. The
// format flags (ID3v2.3 and 2.4) can add a grouping byte and, in 2.4, a data
// length before the content.
Frame ReadFrame(TagBytes& tag, std::uint64_t limit, const TagLayout& layout, std::uint64_t at,
                std::string_view head) {
    Frame frame;
    frame.id = wavedoc::BytesOf(head, layout.frame.id);
    if (!IsFrameId(frame.id)) throw rows::DetailStop("the bytes at " + TagOffset(at) + " start no frame.");
    const std::string_view sizeBytes = wavedoc::BytesOf(head, layout.frame.size);
    // Some writers put plain sizes in ID3v2.4 tags; a size that is no syncsafe number is read so.
    frame.size = layout.version == 4 ? formats::Syncsafe(sizeBytes).value_or(BigEndian(sizeBytes))
                                     : BigEndian(sizeBytes);
    const std::string_view shortKey =
        layout.version == 2 ? NameOf(kShortIds, frame.id) : std::string_view(frame.id);
    frame.key = shortKey.empty() ? frame.id : std::string(shortKey);
    std::uint64_t extra = 0;
    // ID3v2.4 undoes unsynchronisation frame by frame, its sizes counting the
    // stored bytes; earlier versions had it undone for the whole tag.
    bool unsynchronised = layout.version == 4 && layout.unsynchronised;
    if (layout.version > 2) {
        const auto flags = static_cast<unsigned char>(wavedoc::BytesOf(head, kFrameFormatFlags)[0]);
        const bool v3 = layout.version == 3;
        if ((flags & (v3 ? 0x80 : 0x08)) != 0) frame.packed = "compressed";
        if ((flags & (v3 ? 0x40 : 0x04)) != 0) frame.packed = "encrypted";
        if ((flags & (v3 ? 0x20 : 0x40)) != 0) extra += 1;
        if (!v3 && (flags & 0x01) != 0) extra += 4;
        if (!v3 && (flags & 0x02) != 0) unsynchronised = true;
    }
    frame.next = at + layout.frame.length + frame.size;
    const std::uint64_t content = frame.size > extra ? frame.size - extra : 0;
    const std::uint64_t read = std::min<std::uint64_t>(content, 4 * limit + 256);
    frame.bytes = tag.Read(at + layout.frame.length + extra, read);
    if (unsynchronised) frame.bytes = Resynchronised(frame.bytes);
    frame.whole = read == content;
    frame.content = content;
    frame.resynchronised = unsynchronised;
    return frame;
}

// A frame's value as a cell shows it; a text read only in part is marked
// cut, with the frame's size for its length.
std::string ShownValue(const Frame& frame, std::uint64_t limit) {
    std::string value = FrameValue(frame);
    const bool text = frame.packed.empty() && (frame.key[0] == 'T' || frame.key[0] == 'W' ||
                                               frame.key == "COMM" || frame.key == "USLT");
    if (text && !frame.whole) return text::MarkCut(text::CutAtCharacter(value, limit), frame.size);
    const std::uint64_t length = value.size();
    return rows::ShownText(std::move(value), length, limit);
}

// The frames from `at` up to `end`, then the padding. Returns false when a
// frame runs past `end`, which is where the chunk ends.
bool ShowFrames(TagBytes& tag, rows::RowSink& rows, const TagLayout& layout, std::uint64_t at,
                bool chunkEnds) {
    const std::uint64_t end = tag.End();
    for (std::size_t shown = 0; at < end; ++shown) {
        const std::string head = tag.Read(at, std::min<std::uint64_t>(layout.frame.length, end - at));
        if (!head.empty() && head[0] == '\0') {
            rows::AddValueRow(rows, "Padding", GroupedCount(end - at, "byte", "bytes"), tag.At(at, end - at));
            return true;
        }
        if (shown == kMostFrames) {
            AddNotShownRow(rows, "the frames after the first " + text::GroupedThousands(kMostFrames));
            return true;
        }
        const bool cut = head.size() < layout.frame.length;
        const Frame frame = cut ? Frame{} : ReadFrame(tag, rows.TextLimit(), layout, at, head);
        if (cut || frame.next > end) {
            if (chunkEnds) return false;
            throw rows::DetailStop("the frame at " + TagOffset(at) + " runs past the end of the tag.");
        }
        rows::AddValueRow(rows, FrameLabel(frame), ShownValue(frame, rows.TextLimit()),
                          tag.At(at, frame.next - at));
        at = frame.next;
    }
    return true;
}

}  // namespace

void ShowId3Tag(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader header = input.Fields(0, formats::kId3HeaderSize);
    if (header.Bytes(formats::kId3TagId) != formats::kId3Letters) {
        throw rows::DetailStop("it does not start with an ID3v2 tag header (the letters ID3).");
    }
    const int version = header.Unsigned8(formats::kId3Version);
    const auto flags = static_cast<unsigned>(header.Unsigned8(formats::kId3Flags));
    rows::AddValueRow(
        rows, "Version",
        "ID3v2." + std::to_string(version) + "." + std::to_string(header.Unsigned8(formats::kId3Revision)),
        input.At(wavedoc::Spanning("version", formats::kId3Version, formats::kId3Revision)));
    rows::AddValueRow(rows, "Flags", TagFlagsText(version, flags), input.At(formats::kId3Flags));
    const std::optional<std::uint32_t> size = formats::Syncsafe(header.Bytes(formats::kId3Size));
    if (!size)
        throw rows::DetailStop("its tag size is not a syncsafe number: a byte of it has its top bit set.");
    rows::AddValueRow(rows, "Size", GroupedCount(*size, "byte", "bytes"), input.At(formats::kId3Size));
    if (version < 2 || version > 4) {
        throw rows::DetailStop("its tag is ID3v2." + std::to_string(version) +
                               ", and only versions 2.2, 2.3 and 2.4 are read.");
    }
    if (version == 2 && (flags & 0x40) != 0) {
        throw rows::DetailStop(
            "its ID3v2.2 tag is marked compressed, and ID3v2.2 defines no way to read that.");
    }
    const TagLayout layout{version, (flags & 0x80) != 0, version == 2 ? kShortFrameHeader : kFrameHeader};
    const std::uint64_t claimedEnd = formats::kId3HeaderSize + *size;
    const std::uint64_t end = std::min(claimedEnd, input.Present());
    // ID3v2.4 keeps unsynchronisation to the frames: the tag is walked as stored.
    TagBytes tag(input, end, layout.unsynchronised && version < 4);
    const std::uint64_t first =
        version > 2 && (flags & 0x40) != 0 ? AfterExtendedHeader(tag, layout) : formats::kId3HeaderSize;
    const bool cut = end < claimedEnd;
    if (first > tag.End() && !cut) {
        throw rows::DetailStop("its extended header claims " +
                               GroupedCount(first - formats::kId3HeaderSize, "byte", "bytes") +
                               ", more than the tag holds after its header (" +
                               GroupedCount(tag.End() - formats::kId3HeaderSize, "byte", "bytes") + ").");
    }
    const bool complete = ShowFrames(tag, rows, layout, first, cut);
    if (!complete || cut) {
        throw rows::DetailStop("its tag claims " + GroupedCount(*size, "byte", "bytes") +
                               " after its header, but the chunk holds only " +
                               GroupedCount(input.Present() - formats::kId3HeaderSize, "byte", "bytes") +
                               ".");
    }
}

}  // namespace chunkinfo
