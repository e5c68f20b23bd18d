#include "wavecheck/check_support.h"

#include <algorithm>
#include <cassert>
#include <numeric>

#include "wavedoc/reading/riff_layout.h"

namespace wavecheck::detail {

namespace layout = wavedoc::layout;

// dwSampleLength, the fact chunk's one field.
constexpr std::uint64_t kFactFields = 4;

bool Report::Count(Level level) {
    // A check that gives an error where its table row says it never does
    // would be left out where only errors are asked for.
    assert(level != Level::Error || bucket_->mayBeError);
    ++bucket_->total;
    ++bucket_->byLevel[static_cast<std::size_t>(level)];
    return bucket_->kept.size() < Findings::kMostShownPerCode;
}

void Report::Keep(Finding finding) {
    if (Count(finding.level)) bucket_->kept.push_back(std::move(finding));
}

bool WalkFacts::RiffSizeIsPlaceholder() const {
    return riffSize == 0 ||
           (riffSize <= UINT32_MAX && layout::IsStreamingPlaceholder(static_cast<std::uint32_t>(riffSize)) &&
            RiffEnd() > fileLength);
}

bool WalkFacts::LastChunkSizeIsPlaceholder() const {
    // In a 64-bit file 0xFFFFFFFF leaves the size to ds64: where ds64 gives
    // none, ds64-missing or ds64-short says so.
    const bool sixtyFour = form == wavedoc::FileForm::Rf64 || form == wavedoc::FileForm::Bw64;
    if (sixtyFour && lastTopLevel && lastTopLevel->size == layout::kSizeInDs64) return false;
    return lastTopLevel && lastTopLevel->id == "data" && !lastTopLevel->ds64Size &&
           (layout::IsStreamingPlaceholder(lastTopLevel->size) || IsBogusDataSize(*lastTopLevel)) &&
           lastTopLevel->present < lastTopLevel->size;
}

bool WalkFacts::IsBogusDataSize(const wavedoc::MapEntry& chunk) const {
    constexpr std::uint32_t kNegative = 0x80000000;
    return chunk.depth == 0 && chunk.id == "data" && !chunk.ds64Size && chunk.size >= kNegative &&
           chunk.size != layout::kSizeInDs64 && chunk.present < chunk.size && RiffEnd() == fileLength;
}

void FirstFault::AddTo(Report& report, std::string_view noun, std::string_view nounPlural,
                       std::optional<Level> level) const {
    if (count == 0) return;
    std::string text = message;
    if (count > 1) {
        text += " " +
                text::Counted(count - 1, "more " + std::string(noun) + " does",
                              "more " + std::string(nounPlural) + " do") +
                " the same.";
    }
    if (level) {
        report.AddRecord(offset, chunkOffset, chunk, std::move(text), *level);
    } else {
        report.AddRecord(offset, chunkOffset, chunk, std::move(text));
    }
}

std::optional<std::uint64_t> Present(const wavedoc::ChunkBase& chunk) {
    if (chunk.Name().empty()) return std::nullopt;
    return chunk.Present();
}

bool SizeTakesInMore(const CheckInput& input, const wavedoc::ChunkBase& chunk) {
    if (chunk.Name().empty()) return false;
    if (chunk.Present() < Stored(chunk.Size())) return true;
    const std::uint64_t end = chunk.Offset() + layout::kChunkHeaderSize + chunk.Present();
    const std::optional<std::uint64_t>& stray = input.facts.topLevelStray;
    return stray && (*stray == end || *stray == end + 1);
}

bool HasFormatFields(const CheckInput& input) {
    const std::optional<std::uint64_t> present = Present(input.document.Fmt());
    return present && *present >= layout::kFormatFields;
}

std::optional<std::uint32_t> FormatCode(const CheckInput& input) {
    if (!HasFormatFields(input)) return std::nullopt;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const auto tag = static_cast<std::uint32_t>(fmt.CompressionCode());
    if (tag != layout::kExtensibleTag) return tag;
    if (fmt.Present() < layout::kSubFormatOffset + layout::kGuidSize) return std::nullopt;
    const std::string guid = input.document.Source()->Read(
        fmt.Offset() + layout::kChunkHeaderSize + layout::kSubFormatOffset, layout::kGuidSize);
    const std::optional<std::uint32_t> code = layout::SubFormatCode(guid);
    if (code == layout::kExtensibleTag) return std::nullopt;
    return code;
}

bool FrameIsBlock(const CheckInput& input) {
    const std::optional<std::uint32_t> code = FormatCode(input);
    return code && (*code == kPcm || *code == kFloat || *code == kALaw || *code == kMuLaw);
}

std::optional<std::uint64_t> FrameSize(const CheckInput& input) {
    if (!HasFormatFields(input)) return std::nullopt;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    std::uint64_t size = static_cast<std::uint16_t>(fmt.BytesPerSample());
    if (FrameIsBlock(input)) {
        const std::uint64_t channels = static_cast<std::uint16_t>(fmt.ChannelCount());
        const std::uint64_t bits = static_cast<std::uint16_t>(fmt.BitsPerSample());
        if (channels * bits != 0) size = channels * ((bits + 7) / 8);
    }
    if (size == 0) return std::nullopt;
    return size;
}

bool StrayFollowsEmptyData(const WalkFacts& facts) {
    const std::optional<wavedoc::MapEntry>& before = facts.lastTopLevelChunk;
    return facts.strayAfterAudio && before && before->id == "data" && before->size == 0 &&
           before->offset + before->Covered() == facts.strayAfterAudio->offset;
}

std::optional<std::uint64_t> WrappedAudio(const CheckInput& input) {
    const WalkFacts& facts = input.facts;
    const std::optional<wavedoc::MapEntry>& data = facts.lastTopLevelChunk;
    const std::optional<wavedoc::MapEntry>& stray = facts.lastTopLevel;
    if (facts.form != wavedoc::FileForm::Riff || !data || !stray || data->id != "data" || data->ds64Size ||
        stray->IsChunk() || stray->depth != 0 || data->offset + data->Covered() != stray->offset ||
        stray->offset + stray->length != facts.fileLength) {
        return std::nullopt;
    }
    const std::uint64_t audio = facts.fileLength - (data->offset + layout::kChunkHeaderSize);
    constexpr std::uint64_t kMost32 = 0xFFFFFFFF;
    if (audio <= kMost32 || (audio & kMost32) != data->size) return std::nullopt;
    return audio;
}

std::optional<std::uint64_t> DataFrames(const CheckInput& input) {
    if (StrayFollowsEmptyData(input.facts)) return std::nullopt;
    const std::optional<std::uint64_t> bytes = Present(input.document.Data());
    const std::optional<std::uint64_t> frame = FrameSize(input);
    if (!bytes || !frame) return std::nullopt;
    return *bytes / *frame;
}

std::optional<AudioLength> LengthOfAudio(const CheckInput& input) {
    if (FrameIsBlock(input)) {
        const std::optional<std::uint64_t> frames = DataFrames(input);
        if (!frames) return std::nullopt;
        return AudioLength{*frames, "the \"data\" chunk's " + text::Counted(*frames, "frame", "frames")};
    }
    const wavedoc::FactChunk& fact = input.document.Fact();
    const std::optional<std::uint64_t> present = Present(fact);
    if (!present || *present < kFactFields || input.document.Data().Name().empty()) return std::nullopt;
    const std::uint64_t samples = FactSamples(input);
    const bool fromDs64 = samples != Stored(fact.SampleCount());
    return AudioLength{samples,
                       "the audio's " + CountSize(samples, "sample", "samples") +
                           (fromDs64 ? " (as its ds64 chunk gives)" : " (as its \"fact\" chunk gives)")};
}

std::uint64_t FactSamples(const CheckInput& input) {
    const std::uint32_t stored = Stored(input.document.Fact().SampleCount());
    const std::optional<wavedoc::Ds64Sizes>& ds64 = input.document.Ds64();
    return stored == layout::kSizeInDs64 && ds64 && ds64->HoldsSampleCount() ? ds64->sampleCount : stored;
}

namespace {

// The table Cues keeps.
std::optional<CueTable> ReadCues(const wavedoc::CueChunk& cue) {
    if (cue.Name().empty()) return std::nullopt;
    CueTable table;
    const wavedoc::CuePointCollection& points = cue.CuePoints();
    const std::int64_t held = std::min<std::int64_t>(points.Count(), kMostRecords);
    table.points.reserve(static_cast<std::size_t>(std::max<std::int64_t>(held, 0)));
    for (std::int32_t i = 1; i <= held; ++i) {
        const wavedoc::CuePoint point = points.Item(i);
        table.points.push_back({Stored(point.Id()), Stored(point.SampleOffset())});
    }
    table.repeatedIds = table.offsets.Build(table.points);
    return table;
}

}  // namespace

std::vector<std::size_t> CueOffsets::Build(const std::vector<CuePointFields>& points) {
    std::vector<std::size_t> repeated;
    const auto notAscending = [](const CuePointFields& a, const CuePointFields& b) { return a.id >= b.id; };
    if (std::adjacent_find(points.begin(), points.end(), notAscending) == points.end()) {
        // Writers number their points 1, 2, 3 … in file order: the points are
        // then the table as they stand, with no id repeated.
        byId_ = points;
    } else {
        std::vector<std::size_t> order(points.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return points[a].id < points[b].id; });
        byId_.clear();
        byId_.reserve(points.size());
        for (const std::size_t index : order) {
            if (!byId_.empty() && byId_.back().id == points[index].id) {
                repeated.push_back(index);
            } else {
                byId_.push_back(points[index]);
            }
        }
        std::sort(repeated.begin(), repeated.end());
    }
    idsRun_ = !byId_.empty() && byId_.back().id - byId_.front().id == byId_.size() - 1;
    return repeated;
}

std::optional<std::uint32_t> CueOffsets::Find(std::uint32_t id) const {
    if (idsRun_) {
        if (id < byId_.front().id || id > byId_.back().id) return std::nullopt;
        return byId_[id - byId_.front().id].sampleOffset;
    }
    const auto found =
        std::lower_bound(byId_.begin(), byId_.end(), id,
                         [](const CuePointFields& point, std::uint32_t key) { return point.id < key; });
    if (found == byId_.end() || found->id != id) return std::nullopt;
    return found->sampleOffset;
}

const std::optional<CueTable>& Cues(const CheckInput& input) {
    if (!input.cues) input.cues = ReadCues(input.document.Cue());
    return *input.cues;
}

std::string FieldValue(std::uint32_t value) {
    const std::string text = std::to_string(value);
    if (value <= 0x7FFFFFFF) return text;
    return text + " (shown as " + std::to_string(static_cast<std::int32_t>(value)) + ")";
}

std::string Quoted(std::string_view id) { return "\"" + std::string(id) + "\""; }

std::string Hex(std::uint32_t value, int digits) {
    std::string text = "0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}

std::string ChunkAt(const wavedoc::MapEntry& entry) {
    return Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset);
}

std::string QuotedText(std::string_view text) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += kDigits[byte >> 4];
            quoted += kDigits[byte & 0xF];
        }
    }
    return quoted + "\"";
}

std::string ReadContent(const CheckInput& input, const wavedoc::MapEntry& entry, std::uint64_t from,
                        std::uint64_t count) {
    if (from >= entry.present) return {};
    return input.document.Source()->Read(entry.offset + layout::kChunkHeaderSize + from,
                                         std::min(count, entry.present - from));
}

wavedoc::FieldReader ContentFields(const CheckInput& input, const wavedoc::MapEntry& entry,
                                   std::uint64_t count) {
    return wavedoc::FieldReader(ReadContent(input, entry, 0, count), wavedoc::OwnerName{entry.id},
                                input.document.Order());
}

std::string RecordPlace(std::uint64_t offset, const wavedoc::ChunkBase& chunk) {
    return "at offset " + std::to_string(offset) + " (in the " + Quoted(chunk.Name()) + " chunk at offset " +
           std::to_string(chunk.Offset()) + ")";
}

std::string CountField(std::uint32_t n, std::string_view noun, std::string_view nounPlural) {
    return FieldValue(n) + " " + std::string(text::Agreeing(n, noun, nounPlural));
}

std::string CountSize(std::uint64_t n, std::string_view noun, std::string_view nounPlural) {
    if (n <= UINT32_MAX) return CountField(static_cast<std::uint32_t>(n), noun, nounPlural);
    return text::Counted(n, noun, nounPlural);
}

}  // namespace wavecheck::detail
