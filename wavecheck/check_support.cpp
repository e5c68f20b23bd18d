#include "wavecheck/check_support.h"

namespace wavecheck::detail {
namespace {

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kFormatFields = 16;
// The extensible format keeps its sub-format GUID at offset 24 of the fmt
// content; a GUID that stands for a plain format code is
// xxxxxxxx-0000-0010-8000-00AA00389B71, the code in its first two bytes.
constexpr std::uint64_t kSubFormatOffset = 24;
constexpr std::uint64_t kGuidSize = 16;
constexpr std::string_view kCodeGuidTail{"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14};

}  // namespace

void FirstFault::AddTo(Report& report, std::string_view noun, std::string_view nounPlural) const {
    if (count == 0) return;
    std::string text = message;
    if (count > 1) {
        text += " " + Count(count - 1, "more " + std::string(noun), "more " + std::string(nounPlural)) +
                (count == 2 ? " does" : " do") + " the same.";
    }
    report.Add(offset, chunk, std::move(text));
}

const wavedoc::MapEntry* EntryAt(const CheckInput& input, std::uint64_t offset) {
    for (const wavedoc::MapEntry& entry : input.map) {
        if (entry.IsChunk() && entry.offset == offset) return &entry;
    }
    return nullptr;
}

std::optional<std::uint64_t> Present(const CheckInput& input, const wavedoc::ChunkBase& chunk) {
    if (chunk.Name().empty()) return std::nullopt;
    const wavedoc::MapEntry* entry = EntryAt(input, chunk.Offset());
    if (entry == nullptr) return std::nullopt;
    return entry->present;
}

bool HasFormatFields(const CheckInput& input) {
    const std::optional<std::uint64_t> present = Present(input, input.document.Fmt());
    return present && *present >= kFormatFields;
}

std::optional<std::uint32_t> FormatCode(const CheckInput& input) {
    if (!HasFormatFields(input)) return std::nullopt;
    const wavedoc::FmtChunk& fmt = input.document.Fmt();
    const auto tag = static_cast<std::uint32_t>(fmt.CompressionCode());
    if (tag != kExtensible) return tag;
    if (*Present(input, fmt) < kSubFormatOffset + kGuidSize) return std::nullopt;
    const std::string guid =
        input.document.Source()->Read(fmt.Offset() + kHeaderSize + kSubFormatOffset, kGuidSize);
    if (guid.size() != kGuidSize || std::string_view(guid).substr(2) != kCodeGuidTail) return std::nullopt;
    const std::uint32_t code = static_cast<unsigned char>(guid[0]) |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(guid[1])) << 8;
    if (code == kExtensible) return std::nullopt;
    return code;
}

std::optional<std::uint64_t> DataFrames(const CheckInput& input) {
    const std::optional<std::uint64_t> bytes = Present(input, input.document.Data());
    if (!bytes || !HasFormatFields(input)) return std::nullopt;
    const auto blockAlign = static_cast<std::uint64_t>(input.document.Fmt().BytesPerSample());
    if (blockAlign == 0) return std::nullopt;
    return *bytes / blockAlign;
}

std::optional<std::unordered_map<std::uint32_t, std::uint32_t>> CueOffsets(const CheckInput& input) {
    const wavedoc::CueChunk& cue = input.document.Cue();
    if (cue.Name().empty()) return std::nullopt;
    std::unordered_map<std::uint32_t, std::uint32_t> offsets;
    const wavedoc::CuePointCollection& points = cue.CuePoints();
    const std::int64_t held = std::min<std::int64_t>(points.Count(), kMostRecords);
    for (std::int32_t i = 1; i <= held; ++i) {
        const wavedoc::CuePoint point = points.Item(i);
        offsets.emplace(Stored(point.Id()), Stored(point.SampleOffset()));
    }
    return offsets;
}

std::uint32_t RiffSize(const CheckInput& input) { return Stored(input.document.RiffHeader().Size()); }

bool RiffSizeIsPlaceholder(const CheckInput& input) {
    const std::uint32_t size = RiffSize(input);
    return size == 0 || size == 0xFFFFFFFF;
}

std::string Quoted(std::string_view id) { return "\"" + std::string(id) + "\""; }

std::string Count(std::uint64_t n, std::string_view noun, std::string_view nounPlural) {
    return std::to_string(n) + " " + std::string(n == 1 ? noun : nounPlural);
}

}  // namespace wavecheck::detail
