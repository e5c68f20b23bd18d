// The smpl chunk's loops and the inst chunk's ranges.
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

namespace layout = wavedoc::layout;
constexpr std::uint64_t kSmplFields = layout::kSampleLoops.firstRecord;
constexpr std::uint64_t kLoopSize = layout::kSampleLoops.recordSize;
constexpr std::uint64_t kInstFields = 7;
constexpr int kHighestMidi = 127;

// What the smpl chunk's size leaves after its fields, and what its two counts
// claim of it. Nothing without a smpl chunk that holds its fields.
struct SmplLayout {
    std::uint64_t after = 0;        // stored size less the fields
    std::uint64_t loopBytes = 0;    // cSampleLoops records
    std::uint64_t samplerData = 0;  // cbSamplerData
    bool zerosAfterLoops = false;   // the bytes after the counted loops are zeros (as far as read)
    // The count claims more loops than the size makes room for.
    bool TooManyLoops() const { return loopBytes > after; }
    // No sampler data, and whole loop records beyond the counted ones: the
    // count is too low.
    bool TooFewLoops() const {
        return samplerData == 0 && after > loopBytes && (after - loopBytes) % kLoopSize == 0 &&
               !zerosAfterLoops;
    }
};

// The bytes after the counted loops are looked through for anything but
// zeros up to this many.
constexpr std::uint64_t kMostFillerRead = 4096;

// Nothing, too, for a chunk that runs past its end: what its size claims
// lies beyond the file, past-end says so.
std::optional<SmplLayout> LayoutOf(const CheckInput& input) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    const std::optional<std::uint64_t> present = Present(smpl);
    const std::uint64_t size = Stored(smpl.Size());
    if (!present || *present < kSmplFields || size < kSmplFields || *present < size) return std::nullopt;
    SmplLayout held{size - kSmplFields, std::uint64_t{Stored(smpl.SampleLoopCount())} * kLoopSize,
                    Stored(smpl.SamplerData())};
    // Bytes after the counted loops that are all zeros are a writer's unused
    // room, neither loops nor sampler data.
    if (held.after > held.loopBytes) {
        const std::uint64_t from = smpl.Offset() + layout::kChunkHeaderSize + kSmplFields + held.loopBytes;
        const std::string rest =
            input.document.Source()->Read(from, std::min(held.after - held.loopBytes, kMostFillerRead));
        held.zerosAfterLoops = rest.find_first_not_of('\0') == std::string::npos;
    }
    return held;
}

std::uint64_t LoopOffset(const wavedoc::SmplChunk& smpl, std::int32_t index) {
    return smpl.Offset() + layout::kChunkHeaderSize + kSmplFields +
           static_cast<std::uint64_t>(index - 1) * kLoopSize;
}

// Calls visit(index, loop) for the first kMostRecords loops the chunk holds.
template <typename Visit>
void EachLoop(const wavedoc::SmplChunk& smpl, Visit visit) {
    const std::int64_t held = std::min<std::int64_t>(smpl.SampleLoops().Count(), kMostRecords);
    for (std::int32_t i = 1; i <= held; ++i) visit(i, smpl.SampleLoops().Item(i));
}

// "Sample loop 2 at offset 128 (in the "smpl" chunk at offset 36)".
std::string LoopName(const wavedoc::SmplChunk& smpl, std::int32_t index) {
    return "Sample loop " + std::to_string(index) + " " + RecordPlace(LoopOffset(smpl, index), smpl);
}

}  // namespace

void CheckLoopCount(const CheckInput& input, Report& report) {
    const std::optional<SmplLayout> layout = LayoutOf(input);
    if (!layout || (!layout->TooManyLoops() && !layout->TooFewLoops())) return;
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    const std::uint64_t count = layout->loopBytes / kLoopSize;
    const std::string says = "The \"smpl\" chunk's loop count says " +
                             CountField(static_cast<std::uint32_t>(count), "sample loop", "sample loops");
    if (layout->TooManyLoops()) {
        report.Add(smpl.Offset(), smpl.Name(),
                   says + ", but its size makes room for " + std::to_string(layout->after / kLoopSize) + ".");
    } else {
        report.Add(smpl.Offset(), smpl.Name(),
                   says + ", but it holds " + std::to_string(layout->after / kLoopSize) + ".");
    }
}

void CheckSamplerData(const CheckInput& input, Report& report) {
    const std::optional<SmplLayout> layout = LayoutOf(input);
    if (!layout || layout->TooManyLoops() || layout->TooFewLoops()) return;  // loop-count
    const std::uint64_t rest = layout->after - layout->loopBytes;
    if (layout->samplerData == rest) return;
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    if (layout->samplerData == 0 && layout->zerosAfterLoops) {
        // libsndfile takes whole records of zeros after counted loops for
        // more loops (loops from sample 0 to 0 that were never set).
        const bool takenForLoops = layout->loopBytes > 0 && rest % kLoopSize == 0;
        report.Add(smpl.Offset(), smpl.Name(),
                   "The \"smpl\" chunk holds " + text::Counted(rest, "byte", "bytes") +
                       " of zeros after its loops that its sampler data size of 0 does not count" +
                       (takenForLoops ? "; readers that go by the chunk's size take them for more loops."
                                      : "; readers that go by the chunk's size complain of them."),
                   takenForLoops ? Level::Error : Level::Warning);
        return;
    }
    report.Add(
        smpl.Offset(), smpl.Name(),
        "The \"smpl\" chunk's sampler data size says " +
            CountField(static_cast<std::uint32_t>(layout->samplerData), "byte follows", "bytes follow") +
            " its loops, but the chunk holds " + std::to_string(rest) + " after them.");
}

void CheckLoopOrder(const CheckInput& input, Report& report) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    if (smpl.Name().empty()) return;
    FirstFault fault;
    EachLoop(smpl, [&](std::int32_t i, const wavedoc::SampleLoop& loop) {
        const std::uint32_t start = Stored(loop.Start());
        const std::uint32_t end = Stored(loop.End());
        if (start <= end) return;
        fault.Note(LoopOffset(smpl, i), smpl, [&] {
            return LoopName(smpl, i) + " starts at sample " + FieldValue(start) +
                   ", after its end at sample " + FieldValue(end) + ".";
        });
    });
    fault.AddTo(report, "sample loop", "sample loops");
}

void CheckLoopPastData(const CheckInput& input, Report& report) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    const std::optional<AudioLength> length = LengthOfAudio(input);
    if (smpl.Name().empty() || !length) return;
    FirstFault fault;
    EachLoop(smpl, [&](std::int32_t i, const wavedoc::SampleLoop& loop) {
        const std::uint32_t end = Stored(loop.End());
        // Some writers store the end as the frame after the loop, so an end
        // at the frame count is allowed.
        if (end <= length->frames) return;
        fault.Note(LoopOffset(smpl, i), smpl, [&] {
            return LoopName(smpl, i) + " ends at sample " + FieldValue(end) + ", past the end of " +
                   length->words + ".";
        });
    });
    fault.AddTo(report, "sample loop", "sample loops");
}

void CheckLoopType(const CheckInput& input, Report& report) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    if (smpl.Name().empty()) return;
    FirstFault fault;
    EachLoop(smpl, [&](std::int32_t i, const wavedoc::SampleLoop& loop) {
        const std::uint32_t type = Stored(loop.Type());
        if (type <= 2) return;
        fault.Note(LoopOffset(smpl, i), smpl, [&] {
            return LoopName(smpl, i) + " has type " + FieldValue(type) +
                   "; the loop types are 0 (forward), 1 (alternating) and 2 (backward), so samplers may "
                   "ignore "
                   "the loop or play it as they guess.";
        });
    });
    fault.AddTo(report, "sample loop", "sample loops");
}

void CheckLoopCueId(const CheckInput& input, Report& report) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    // Without a cue chunk a loop's identifier is only a number of its own.
    const auto& cues = Cues(input);
    if (smpl.Name().empty() || !cues) return;
    FirstFault fault;
    EachLoop(smpl, [&](std::int32_t i, const wavedoc::SampleLoop& loop) {
        const std::uint32_t id = Stored(loop.CuePointId());
        if (cues->offsets.Contains(id)) return;
        fault.Note(LoopOffset(smpl, i), smpl, [&] {
            return LoopName(smpl, i) + " names cue point id " + FieldValue(id) +
                   ", which the \"cue \" chunk does not hold, so no label or note can be tied to it.";
        });
    });
    fault.AddTo(report, "sample loop", "sample loops");
}

void CheckUnityNote(const CheckInput& input, Report& report) {
    const wavedoc::SmplChunk& smpl = input.document.Smpl();
    const std::optional<std::uint64_t> present = Present(smpl);
    if (!present || *present < kSmplFields) return;
    const std::uint32_t note = Stored(smpl.MidiUnityNote());
    if (note <= kHighestMidi) return;
    report.Add(
        smpl.Offset(), smpl.Name(),
        "The \"smpl\" chunk's MIDI unity note is " + FieldValue(note) + "; MIDI notes go from 0 to 127.");
}

void CheckInstRange(const CheckInput& input, Report& report) {
    const wavedoc::InstChunk& inst = input.document.Inst();
    const std::optional<std::uint64_t> present = Present(inst);
    if (!present || *present < kInstFields) return;
    std::vector<std::string> faults;
    const auto above = [&](std::int16_t value, const char* field) {
        if (value > kHighestMidi) faults.push_back(std::string(field) + " is " + std::to_string(value));
    };
    above(inst.UnshiftedNote(), "the unshifted note");
    above(inst.LowNote(), "the low note");
    above(inst.HighNote(), "the high note");
    above(inst.LowVelocity(), "the low velocity");
    above(inst.HighVelocity(), "the high velocity");
    if (inst.LowNote() > inst.HighNote()) {
        faults.push_back("the low note " + std::to_string(inst.LowNote()) + " is above the high note " +
                         std::to_string(inst.HighNote()));
    }
    if (inst.LowVelocity() > inst.HighVelocity()) {
        faults.push_back("the low velocity " + std::to_string(inst.LowVelocity()) +
                         " is above the high velocity " + std::to_string(inst.HighVelocity()));
    }
    if (faults.empty()) return;
    std::string list;
    for (std::size_t i = 0; i < faults.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == faults.size() ? " and " : ", ") + faults[i];
    }
    report.Add(inst.Offset(), inst.Name(),
               "In the \"inst\" chunk " + list + "; notes and velocities go from 0 to 127, low to high.");
}

}  // namespace wavecheck::detail
