#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/wav_builder.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/chunk_walker.h"
#include "wavedoc/reading/wave_error.h"

using namespace wavtest;

namespace {

// Bytes in memory whose read number `failingRead` (counted from 0) fails once,
// as a disk or network read can, and then reads on as before.
class FlakySource : public wavedoc::ByteSource {
public:
    FlakySource(std::string bytes, int failingRead)
        : inner_(wavedoc::MakeMemorySource(std::move(bytes), "flaky.wav")), failingRead_(failingRead) {}

    std::uint64_t Length() const override { return inner_->Length(); }
    std::string Read(std::uint64_t offset, std::uint64_t count) const override {
        if (reads_++ == failingRead_) throw wavedoc::WaveDocError("The read failed.");
        return inner_->Read(offset, count);
    }
    const std::string& DisplayName() const override { return inner_->DisplayName(); }
    int Reads() const { return reads_; }

private:
    std::shared_ptr<const wavedoc::ByteSource> inner_;
    int failingRead_;
    mutable int reads_ = 0;
};

// What a walk found, one line per chunk, and how it ended.
struct WalkRecord {
    std::vector<std::string> chunks;
    wavedoc::WalkEnd end = wavedoc::WalkEnd::Running;
    std::uint64_t position = 0;
    int failures = 0;
};

std::string Describe(const wavedoc::ChunkHeader& chunk) {
    return chunk.id + "@" + std::to_string(chunk.headerOffset) + " size " + std::to_string(chunk.storedSize) +
           " present " + std::to_string(chunk.presentSize) + " pad " +
           std::to_string(static_cast<int>(chunk.pad)) + " value " +
           (chunk.padValue ? std::to_string(*chunk.padValue) : "-") + (chunk.endsRange ? " last" : "");
}

// Walks every chunk after the RIFF header; a failed read is counted and the
// walk asked for the same chunk again.
WalkRecord Walk(const wavedoc::ByteSource& source) {
    WalkRecord record;
    wavedoc::ChunkWalker walker(source, 12, source.Length(), source.Length());
    for (;;) {
        try {
            const std::optional<wavedoc::ChunkHeader> chunk = walker.Next();
            if (!chunk) break;
            record.chunks.push_back(Describe(*chunk));
        } catch (const wavedoc::WaveDocError&) {
            ++record.failures;
        }
    }
    record.end = walker.End();
    record.position = walker.Position();
    return record;
}

// Many small chunks across several read windows: odd sizes with and without
// their pad byte, printable pad bytes that look like the start of a header,
// and a header cut off at the end.
std::string ManySmallChunks() {
    std::string chunks = Chunk("fmt ", PcmFormat(1, 8000, 8));
    for (int i = 0; i < 700; ++i) {
        const std::string text(static_cast<std::size_t>(1 + i % 9), 'a');
        switch (i % 3) {
            case 0:
                chunks += Chunk("labl", text);
                break;
            case 1:
                chunks += Chunk("note", text, {}, false);
                break;
            default:
                chunks += Chunk("ltxt", text + (text.size() % 2 == 1 ? "L" : ""));
                break;
        }
    }
    return RiffFile(chunks + Chunk("data", "dd") + "\x01\x02\x03");
}

TEST(ReadFault, AWalkResumesAfterAFailedReadAsIfNothingHadFailed) {
    const std::string file = ManySmallChunks();
    const FlakySource sound(file, -1);
    const WalkRecord expected = Walk(sound);
    ASSERT_EQ(expected.failures, 0);
    ASSERT_EQ(expected.chunks.size(), 702u);  // fmt, 700 sub-chunks, data
    ASSERT_EQ(expected.end, wavedoc::WalkEnd::CutHeader);
    ASSERT_GT(sound.Reads(), 3) << "the file should take several read windows";

    for (int failing = 0; failing < sound.Reads(); ++failing) {
        SCOPED_TRACE("read " + std::to_string(failing) + " fails");
        const FlakySource flaky(file, failing);
        const WalkRecord walked = Walk(flaky);
        EXPECT_EQ(walked.failures, 1);
        EXPECT_EQ(walked.chunks, expected.chunks);
        EXPECT_EQ(walked.end, expected.end);
        EXPECT_EQ(walked.position, expected.position);
    }
}

}  // namespace
