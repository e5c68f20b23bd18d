// Chunks whose size is far beyond what their rows need, in sparse files on
// disk: the rows come from the first bytes, and the rest is never read (the
// time and memory of the same files are measured by bench/chunkinfo_costs.sh).
#include <filesystem>

#include "chunkinfo_test_support.h"
#include "support/scratch_dir.h"

namespace chunkinfotest {
namespace {

// A file of a fmt chunk and then a chunk of `size` bytes that starts with
// `start` and holds zero bytes after it, up to the end of the file, without
// taking the disk space.
std::string SparseFile(const ScratchDir& scratch, std::string_view id, std::uint32_t size,
                       std::string_view start) {
    const std::string head =
        RiffFile(Chunk("fmt ", PcmFormat(2, 48000, 16)) + std::string(id) + U32(size)) + std::string(start);
    const std::string path = scratch.File("sparse.wav", head);
    std::filesystem::resize_file(path, head.size() - start.size() + size);
    return path;
}

Shown ShowSparse(std::string_view id, std::uint32_t size, std::string_view start) {
    const ScratchDir scratch;
    wavedoc::WaveDocument document;
    EXPECT_EQ(document.Load(SparseFile(scratch, id, size, start)), wavedoc::LoadOk) << document.LoadError();
    return ShowEntry(document, id);
}

TEST(HostileSizes, FourGigabytesOfFillerAreCheckedUpToTheCap) {
    const Shown junk = ShowSparse("JUNK", 0xFFFFFFF0, "");
    EXPECT_EQ(junk.rows, (Rows{"Size\t4,294,967,280 bytes",
                               "Content\tthe first 1,048,576 bytes are zero; the rest is not read"}));
    EXPECT_EQ(junk.error, std::nullopt);
}

TEST(HostileSizes, AnId3TagOfAQuarterGigabyteEndsAtItsPadding) {
    const std::uint32_t size = 256u << 20;
    const Shown tag = ShowSparse("ID3 ", size, Id3Tag(3, "", 0, size - 10));
    EXPECT_EQ(tag.rows, (Rows{"Version\tID3v2.3.0", "Flags\t0x00", "Size\t268,435,446 bytes",
                              "Padding\t268,435,446 bytes"}));
    EXPECT_EQ(tag.error, std::nullopt);
}

TEST(HostileSizes, ALongCodingHistoryIsReadUpToItsCap) {
    BextFields fields;
    fields.codingHistory = "A=PCM,F=48000\r\n";
    const Shown bext = ShowSparse("bext", 100u << 20, BextPayload(fields) + std::string(70000, 'x'));
    ASSERT_EQ(bext.rows.size(), 12u);
    EXPECT_EQ(bext.rows[9], "     Line 1\tA=PCM,F=48000");
    EXPECT_EQ(bext.rows[10], "     Line 2\t" + std::string(4096, 'x') + " ... (104,856,983 bytes in all)");
    EXPECT_EQ(bext.rows[11], "Not shown\tthe coding history after line 2");
}

}  // namespace
}  // namespace chunkinfotest
