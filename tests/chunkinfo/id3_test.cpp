// ID3v2 tags in a WAV chunk: every text encoding into UTF-8, the frames of
// versions 2.2, 2.3 and 2.4 with their flags, and tags that break their own
// sizes.
#include "chunkinfo_test_support.h"

namespace chunkinfotest {
namespace {

std::string Utf16Le(std::u16string_view text) {
    std::string out;
    for (const char16_t unit : text)
        out += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return out;
}
std::string Utf16Be(std::u16string_view text) {
    std::string out;
    for (const char16_t unit : text)
        out += std::string{static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    return out;
}

std::string TagFile(std::string_view id, const std::string& tag) { return WaveWith(Chunk(id, tag)); }

const std::string kPicture = std::string(
                                 "\0image/png\0\x03"
                                 "cover\0",
                                 18) +
                             std::string(100, '\x89');

// clang-format off
const RowsCase kCases[] = {
    {"v23_every_encoding", TagFile("id3 ", Id3Tag(3,
        Id3Frame("TIT2", Raw("\x00" "Caf\xE9")) +
        Id3Frame("TPE1", "\x01\xFF\xFE" + Utf16Le(u"\u00C4rtist") + std::string(2, '\0')) +
        Id3Frame("TALB", "\x01\xFE\xFF" + Utf16Be(u"Album \u266A")) +
        Id3Frame("TCON", "\x01" + Utf16Le(u"Jazz")) +
        Id3Frame("TIT3", "\x01\xFF\xFE" + Utf16Le(u"\U0001F600 \xD800!")) +
        Id3Frame("TYER", "\x03" "2024") +
        std::string(20, '\0'))),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t146 bytes",
      "Title (TIT2)\tCaf\xC3\xA9",
      "Artist (TPE1)\t\xC3\x84rtist",
      "Album (TALB)\tAlbum \xE2\x99\xAA",
      "Genre (TCON)\tJazz",
      "Subtitle (TIT3)\t\xF0\x9F\x98\x80 \xEF\xBF\xBD!",
      "Year (TYER)\t2024",
      "Padding\t20 bytes"}},
    {"v23_described_frames", TagFile("ID3 ", Id3Tag(3,
        Id3Frame("COMM", std::string("\0eng" "desc\0" "Nice", 13)) +
        Id3Frame("COMM", std::string("\0eng\0" "Plain", 10)) +
        Id3Frame("TXXX", std::string("\3MOOD\0" "calm", 10)) +
        Id3Frame("WXXX", std::string("\1\xFF\xFE" "s\0\0\0" "https://x", 16)) +
        Id3Frame("WOAR", "https://artist") +
        Id3Frame("APIC", kPicture) +
        Id3Frame("GEOB", Raw("\0text/plain\0notes.txt\0Session notes\0hello")) +
        Id3Frame("GEOB", Raw("\0text/plain\0\0\0hi")) +
        Id3Frame("COMM", Raw("\1eng\xFF\xFE\0\0\xFF\xFEP\0")) +
        Id3Frame("PRIV", std::string("owner\0\1\2\3", 9)) +
        Id3Frame("TIT2", Raw("\0Packed"), 3, 0x80))),
     "ID3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t376 bytes",
      "Comment (COMM)\teng \"desc\": Nice",
      "Comment (COMM)\teng: Plain",
      "User text (TXXX)\tMOOD: calm",
      "User URL (WXXX)\ts: https://x",
      "Artist web page (WOAR)\thttps://artist",
      "Picture (APIC)\timage/png, \"cover\", 100 bytes",
      "Object (GEOB)\ttext/plain, \"notes.txt\", \"Session notes\", 5 bytes",
      "Object (GEOB)\ttext/plain, 2 bytes",
      "Comment (COMM)\teng: P",
      "Private (PRIV)\t9 bytes",
      "Title (TIT2)\t7 bytes, compressed"}},
    {"v24_several_values_and_unsynchronised_frame", TagFile("id3 ", Id3Tag(4,
        Id3Frame("TDRC", "\x02" + Utf16Be(u"2024"), 4) +
        Id3Frame("TPE1", std::string("\3T\xC3\xABst\0Other\0", 13), 4) +
        Id3Frame("TIT2", std::string("\0\xFF\0\xE9", 4), 4, 0x02) +
        Id3Frame("TCON", std::string("\0\0\0\x01" "\0Rock", 9), 4, 0x01))),
     "id3 ",
     {"Version\tID3v2.4.0", "Flags\t0x00", "Size\t75 bytes",
      "Recording time (TDRC)\t2024",
      "Artist (TPE1)\tT\xC3\xABst / Other",
      "Title (TIT2)\t\xC3\xBF\xC3\xA9",
      "Genre (TCON)\tRock"}},
    {"v22_three_letter_frames", TagFile("id3 ", Id3Tag(2,
        Id3ShortFrame("TT2", std::string("\0Title", 6)) +
        Id3ShortFrame("COM", std::string("\0engd\0text", 10)) +
        Id3ShortFrame("PIC", std::string("\0PNG\3cap\0", 9) + std::string(40, 'p')) +
        Id3ShortFrame("XYZ", "abc"))),
     "id3 ",
     {"Version\tID3v2.2.0", "Flags\t0x00", "Size\t92 bytes",
      "Title (TT2)\tTitle",
      "Comment (COM)\teng \"d\": text",
      "Picture (PIC)\tPNG, \"cap\", 40 bytes",
      "XYZ\t3 bytes"}},
    {"tag_whose_size_runs_past_its_chunk", TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", Raw("\0Song")), 0, 1000)),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t1,000 bytes", "Title (TIT2)\tSong"},
     "The id3 chunk could not be shown in full: its tag claims 1,000 bytes after its header, but the chunk holds only 15 bytes."},
    {"tag_whose_frame_runs_past_the_chunk", TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", Raw("\0Song")).substr(0, 12), 0, 500)),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t500 bytes"},
     "The id3 chunk could not be shown in full: its tag claims 500 bytes after its header, but the chunk holds only 12 bytes."},
    {"frame_that_runs_past_its_tag", TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", Raw("\0Song")), 0, 12) + std::string(20, 'x')),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t12 bytes"},
     "The id3 chunk could not be shown in full: the frame at byte 10 of the tag runs past the end of the tag."},
    {"bytes_that_start_no_frame", TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", Raw("\0a")) + "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A")),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t22 bytes", "Title (TIT2)\ta"},
     "The id3 chunk could not be shown in full: the bytes at byte 22 of the tag start no frame."},
    {"text_encoding_id3_does_not_define", TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", "\x07" "abc"))),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00", "Size\t14 bytes"},
     "The id3 chunk could not be shown in full: a frame states the text encoding 7, which ID3 does not define."},
    {"extended_header_skipped", TagFile("id3 ", Id3Tag(3, BigEndian32(6) + std::string(6, '\0') + Id3Frame("TIT2", Raw("\0x")), 0x40)),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x40 (extended header)", "Size\t22 bytes", "Title (TIT2)\tx"}},
    {"extended_header_past_the_tag", TagFile("id3 ", Id3Tag(3, BigEndian32(100) + std::string(6, '\0'), 0x40)),
     "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x40 (extended header)", "Size\t10 bytes"},
     "The id3 chunk could not be shown in full: its extended header claims 104 bytes, more than the tag holds after its header (10 bytes)."},
    {"not_an_id3v2_tag", TagFile("id3 ", "TAG" + std::string(125, ' ')), "id3 ", {},
     "The id3 chunk could not be shown in full: it does not start with an ID3v2 tag header (the letters ID3)."},
    {"version_not_read", TagFile("id3 ", Id3Tag(5, "")), "id3 ",
     {"Version\tID3v2.5.0", "Flags\t0x00", "Size\t0 bytes"},
     "The id3 chunk could not be shown in full: its tag is ID3v2.5, and only versions 2.2, 2.3 and 2.4 are read."},
    {"size_not_syncsafe", TagFile("id3 ", Raw("ID3\3\0\0\0\0\x80\0")), "id3 ",
     {"Version\tID3v2.3.0", "Flags\t0x00"},
     "The id3 chunk could not be shown in full: its tag size is not a syncsafe number: a byte of it has its top bit set."},
};
// clang-format on

class Id3Tags : public testing::TestWithParam<RowsCase> {};

TEST_P(Id3Tags, ShowTheirFrames) { ExpectRows(GetParam()); }

// Cut or overwritten anywhere, the file still shows every entry: rows up to
// the fault and a sentence, never an exception or a stray zero byte.
TEST_P(Id3Tags, ShowDamagedCopiesSafely) { ExpectDamagedCopiesShowSafely(GetParam().file); }

TEST_P(Id3Tags, RangesHoldWhatTheirRowsShow) { ExpectRangesHoldTheirRows(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Frames, Id3Tags, testing::ValuesIn(kCases), CaseName);

// A text longer than a cell is read only in part and marked with the
// frame's size; past kMostFrames frames the rows say where they stop.
TEST(Id3Tags, LongTagsStopAtTheirCaps) {
    const Shown text =
        ShowBuilt(TagFile("id3 ", Id3Tag(3, Id3Frame("TIT2", Raw("\0") + std::string(20000, 'a')))), "id3 ");
    ASSERT_EQ(text.rows.size(), 4u);
    EXPECT_EQ(text.rows[3], "Title (TIT2)\t" + std::string(4096, 'a') + " ... (20,001 bytes in all)");

    std::string frames;
    for (int i = 0; i < 1030; ++i)
        frames += Id3Frame("TRCK", std::string("\0"
                                               "1",
                                               2));
    const Shown many = ShowBuilt(TagFile("id3 ", Id3Tag(3, frames)), "id3 ");
    ASSERT_EQ(many.rows.size(), 3u + 1024 + 1);
    EXPECT_EQ(many.rows.back(), "Not shown\tthe frames after the first 1,024");
    EXPECT_EQ(many.error, std::nullopt);
}

// What unsynchronisation stores: a zero after each 0xFF.
std::string Unsynchronised(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        out += c;
        if (c == '\xFF') out += '\0';
    }
    return out;
}

// A tag as stored plainly and its twin with the same frames unsynchronised.
struct TwinCase {
    const char* name;
    int version;
    std::string plain;  // the frames (and any extended header) as they read
    std::uint8_t flags = 0;
    // ID3v2.4 unsynchronises frame by frame: its twin's frames are given.
    std::string stored = {};
};

// The test log names a twin by what it is, not by its bytes.
void PrintTo(const TwinCase& twin, std::ostream* out) { *out << twin.name; }

const std::string kJpeg = Raw("\xFF\xD8\xFF\xE0\0\x10JFIF\xFF\0\xFF\xFF\x01\xFF");

// clang-format off
const TwinCase kTwins[] = {
    {"v23_picture_then_text", 3,
     Id3Frame("APIC", Raw("\0image/jpeg\0\3") + Raw("cover\0") + kJpeg) + Id3Frame("TIT2", Raw("\0Song")) +
     Id3Frame("TPE1", Raw("\0Band")) + std::string(8, '\0')},
    {"v23_frame_size_holding_ff", 3,
     Id3Frame("PRIV", std::string(0x1FF, 'a')) + Id3Frame("TIT2", Raw("\0After"))},
    {"v23_extended_header", 3,
     BigEndian32(6) + std::string(6, '\0') + Id3Frame("PRIV", kJpeg) + Id3Frame("TIT2", Raw("\0x")), 0x40},
    {"v23_pieces_of_ff", 3,
     Id3Frame("PRIV", std::string(70000, '\xFF')) + Id3Frame("TIT2", Raw("\0Last"))},
    {"v22_picture_then_text", 2,
     Id3ShortFrame("PIC", Raw("\0JPG\3\0") + kJpeg) + Id3ShortFrame("TT2", Raw("\0Song"))},
    // The walk reads the first 16,640 bytes of the object; counting on to its
    // end takes a piece of 64 KB that ends on its closing 0xFF, and the zero
    // stored after it comes first in the next piece.
    {"v23_zero_after_ff_in_the_next_piece", 3,
     Id3Frame("TIT2", Raw("\0a")) + Id3Frame("PRIV", std::string(16640, 'a') + std::string(65535, 'b') + "\xFF") +
     Id3Frame("TIT2", Raw("\0Last"))},
    {"v23_frame_closing_on_ff", 3,
     Id3Frame("PRIV", Raw("\xFF\xFF")) + Id3Frame("TIT2", Raw("\0\xFF")) + Id3Frame("TPE1", Raw("\0x\xFF"))},
    {"v24_each_frame", 4,
     Id3Frame("TIT2", Raw("\0\xFF\xE9"), 4) + Id3Frame("TPE1", Raw("\0Band"), 4), 0,
     Id3Frame("TIT2", Raw("\0\xFF\0\xE9"), 4) + Id3Frame("TPE1", Raw("\0Band"), 4)},
};
// clang-format on

class UnsynchronisedTags : public testing::TestWithParam<TwinCase> {};

// Past the header's flags and size, an unsynchronised tag shows exactly the
// rows of its plain twin.
TEST_P(UnsynchronisedTags, ReadLikeTheirPlainTwin) {
    const TwinCase& twin = GetParam();
    const std::string stored = twin.version == 4 ? twin.stored : Unsynchronised(twin.plain);
    const Shown plain = ShowBuilt(TagFile("id3 ", Id3Tag(twin.version, twin.plain, twin.flags)), "id3 ");
    const Shown unsynchronised = ShowBuilt(
        TagFile("id3 ", Id3Tag(twin.version, stored, static_cast<std::uint8_t>(twin.flags | 0x80))), "id3 ");
    ASSERT_GT(plain.rows.size(), 4u);
    ASSERT_EQ(unsynchronised.rows.size(), plain.rows.size());
    EXPECT_NE(unsynchronised.rows[1].find("unsynchronisation"), std::string::npos);
    for (std::size_t i = 3; i < plain.rows.size(); ++i) EXPECT_EQ(unsynchronised.rows[i], plain.rows[i]) << i;
    EXPECT_EQ(unsynchronised.error, plain.error);
    EXPECT_EQ(plain.error, std::nullopt);
}

// Each row past the tag header gives the stored bytes of its frame (or the
// padding), zeros put in by unsynchronisation included: they follow one
// another from the first frame to the end of the tag, and the bytes of each,
// alone in a tag of the same version and flags, show the same row. So do the
// plain twin's.
TEST_P(UnsynchronisedTags, RangesHoldTheRowsTheyShow) {
    constexpr std::uint64_t kTagHeader = 10;
    const TwinCase& twin = GetParam();
    const auto ownFlags = static_cast<std::uint8_t>(twin.flags | 0x80);
    const std::string stored = twin.version == 4 ? twin.stored : Unsynchronised(twin.plain);
    for (const auto& [frames, flags] : {std::pair{twin.plain, twin.flags}, std::pair{stored, ownFlags}}) {
        const std::string file = TagFile("id3 ", Id3Tag(twin.version, frames, flags));
        const Shown shown = ShowBuilt(file, "id3 ");
        ASSERT_EQ(shown.ranges.size(), shown.rows.size());
        const std::uint64_t tagStart = file.find("ID3");
        // After the extended header, when there is one (10 bytes in every twin).
        std::uint64_t next = tagStart + kTagHeader + ((flags & 0x40) != 0 ? 10 : 0);
        const auto alone = static_cast<std::uint8_t>(flags & ~0x40);
        for (std::size_t i = 3; i < shown.rows.size(); ++i) {
            ASSERT_TRUE(shown.ranges[i].has_value()) << shown.rows[i];
            const rows::ByteRange at = *shown.ranges[i];
            EXPECT_EQ(at.offset, next) << shown.rows[i];
            next = at.offset + at.length;
            const Shown own = ShowBuilt(
                TagFile("id3 ", Id3Tag(twin.version, file.substr(at.offset, at.length), alone)), "id3 ");
            ASSERT_EQ(own.rows.size(), 4u) << shown.rows[i];
            EXPECT_EQ(own.rows[3], shown.rows[i]);
        }
        EXPECT_EQ(next, tagStart + kTagHeader + frames.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Twins, UnsynchronisedTags, testing::ValuesIn(kTwins),
                         [](const testing::TestParamInfo<TwinCase>& twin) {
                             return std::string(twin.param.name);
                         });

}  // namespace
}  // namespace chunkinfotest
