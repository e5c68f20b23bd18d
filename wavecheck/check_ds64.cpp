// The 64-bit forms of WAV (RF64, BW64): readers take the sizes over 4 GB from
// a ds64 chunk right after the RIFF header, and look nowhere else.
#include "wavecheck/check_support.h"
#include "wavecheck/checks.h"

namespace wavecheck::detail {

namespace layout = wavedoc::layout;
using wavedoc::MapEntry;

namespace {

bool IsSixtyFourBit(const CheckInput& input) {
    return input.facts.form == wavedoc::FileForm::Rf64 || input.facts.form == wavedoc::FileForm::Bw64;
}

std::string_view FormName(const CheckInput& input) {
    return input.facts.form == wavedoc::FileForm::Bw64 ? "BW64" : "RF64";
}

}  // namespace

void CheckDs64Missing(const CheckInput& input, Report& report) {
    if (!IsSixtyFourBit(input) || input.document.Ds64() || input.facts.ds64Elsewhere) return;
    report.Add(0, "RIFF",
               "The file is " + std::string(FormName(input)) +
                   " but has no \"ds64\" chunk, where its readers look for the sizes of the RIFF and data "
                   "chunks; a size field of 0xFFFFFFFF then gives them no size at all.");
}

void CheckDs64NotFirst(const CheckInput& input, Report& report) {
    if (!IsSixtyFourBit(input) || input.document.Ds64() || !input.facts.ds64Elsewhere) return;
    const MapEntry& ds64 = *input.facts.ds64Elsewhere;
    report.Add(ds64.offset, ds64.id,
               "The " + ChunkAt(ds64) + " is not the first chunk, at offset 12, where readers of " +
                   std::string(FormName(input)) + " look for it, so they do not find the sizes it gives.");
}

void CheckDs64Short(const CheckInput& input, Report& report) {
    const std::optional<wavedoc::Ds64Sizes>& ds64 = input.document.Ds64();
    if (!IsSixtyFourBit(input) || !ds64 || ds64->chunkSize >= layout::kDs64Fields) return;
    report.Add(
        layout::kRiffHeaderSize, std::string(layout::kDs64Id),
        "The \"ds64\" chunk at offset 12 holds only " + CountField(ds64->chunkSize, "byte", "bytes") +
            ", but its fields (the RIFF size, the data size and the sample count, 8 bytes each, and the "
            "table length) take 28" +
            (ds64->HoldsDataSize() ? std::string() : ", so it gives no size for the \"data\" chunk") +
            "; readers that read them all lose their place in the file and refuse it.");
}

void CheckDs64Table(const CheckInput& input, Report& report) {
    const std::optional<wavedoc::Ds64Sizes>& ds64 = input.document.Ds64();
    // A chunk too short to hold the table length is ds64-short's to tell.
    if (!IsSixtyFourBit(input) || !ds64 || ds64->heldFields < layout::kDs64Fields) return;
    const std::uint64_t room =
        ds64->chunkSize > layout::kDs64Fields ? ds64->chunkSize - layout::kDs64Fields : 0;
    const std::uint64_t held = room / layout::kDs64TableEntry;
    if (ds64->tableLength <= held) return;
    report.Add(layout::kRiffHeaderSize, std::string(layout::kDs64Id),
               "The \"ds64\" chunk at offset 12 says its table holds " +
                   CountField(ds64->tableLength, "entry", "entries") + ", but the chunk has room for " +
                   text::Counted(held, "entry", "entries") + "; readers that go by the count read past it.");
}

}  // namespace wavecheck::detail
