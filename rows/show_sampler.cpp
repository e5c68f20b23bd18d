// The sampler chunk (header with note name and SMPTE format in words, then a
// numbered block per loop) and the instrument chunk (seven plain numbers).
#include <string>
#include <string_view>

#include "detail_routines.h"
#include "detail_rows.h"
#include "note_text.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/chunk_fields.h"

namespace rows {

namespace {

namespace layout = wavedoc::layout;

// The frame rate of a SMPTE format code; any other value gets the empty text.
std::string_view SmpteFormatName(std::int32_t format) {
    switch (format) {
        case 0:
            return "No SMPTE offset";
        case 24:
            return "24 frames per second";
        case 25:
            return "25 frames per second";
        case 29:
            return "30 frames per second with frame dropping (30 drop)";
        case 30:
            return "30 frames per second";
        default:
            return "";
    }
}

ByteRange LoopPlace(const wavedoc::WaveDocument& document, std::int32_t i) {
    return ByteRange{document.Smpl().SampleLoops().ItemOffset(i), document.Smpl().SampleLoops().RecordSize()};
}

void ShowLoop(const wavedoc::WaveDocument& document, std::int16_t i, RowSink& values) {
    const std::optional<ByteRange> record = LoopPlace(document, i);
    AddHeadingRow(values, "     Loops #" + std::to_string(i), record);
    const auto loop = document.Smpl().SampleLoops().Item(i);
    AddNumberRow(values, "     Cue point ID", loop.CuePointId(),
                 RangeWithin(record, layout::smpl::kLoopIdentifier));
    AddNumberRow(values, "     Type", loop.Type(), RangeWithin(record, layout::smpl::kLoopType));
    AddNumberRow(values, "     Start", loop.Start(), RangeWithin(record, layout::smpl::kLoopStart));
    AddNumberRow(values, "     End", loop.End(), RangeWithin(record, layout::smpl::kLoopEnd));
    AddNumberRow(values, "     Fraction", loop.Fraction(), RangeWithin(record, layout::smpl::kLoopFraction));
    AddNumberRow(values, "     Play count", loop.PlayCount(),
                 RangeWithin(record, layout::smpl::kLoopPlayCount));
}

}  // namespace

void ShowSampler(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::SmplChunk& smpl = document.Smpl();
    AddNumberRow(values, "Manufacturer", smpl.Manufacturer(),
                 ContentRange(smpl, layout::smpl::kManufacturer));
    AddNumberRow(values, "Product", smpl.Product(), ContentRange(smpl, layout::smpl::kProduct));
    AddNumberRow(values, "Sample period", smpl.SamplePeriod(),
                 ContentRange(smpl, layout::smpl::kSamplePeriod));
    AddValueRow(values, "MIDI unity note", NoteText(smpl.MidiUnityNote()),
                ContentRange(smpl, layout::smpl::kUnityNote));
    AddNumberRow(values, "MIDI pitch fraction", smpl.MidiPitchFraction(),
                 ContentRange(smpl, layout::smpl::kPitchFraction));
    AddValueRow(
        values, "SMPTE format",
        std::to_string(smpl.SmpteFormat()) + " (" + std::string(SmpteFormatName(smpl.SmpteFormat())) + ")",
        ContentRange(smpl, layout::smpl::kSmpteFormat));
    AddNumberRow(values, "SMPTE offset", smpl.SmpteOffset(), ContentRange(smpl, layout::smpl::kSmpteOffset));
    AddNumberRow(values, "Number of sample loops", smpl.SampleLoopCount(),
                 ContentRange(smpl, layout::smpl::kLoopCount));
    AddNumberRow(values, "Sampler data", smpl.SamplerData(), ContentRange(smpl, layout::smpl::kSamplerData));

    ShowListedEntries(values, document, smpl.SampleLoopCount(),
                      {"sample loops", 7, smpl.SampleLoops().Count(), LoopPlace, ShowLoop});
}

void ShowInstrument(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::InstChunk& inst = document.Inst();
    AddNumberRow(values, "Unshifted note", inst.UnshiftedNote(),
                 ContentRange(inst, layout::inst::kUnshiftedNote));
    AddNumberRow(values, "Fine tune", inst.FineTune(), ContentRange(inst, layout::inst::kFineTune));
    AddNumberRow(values, "Gain", inst.Gain(), ContentRange(inst, layout::inst::kGain));
    AddNumberRow(values, "Low note", inst.LowNote(), ContentRange(inst, layout::inst::kLowNote));
    AddNumberRow(values, "High note", inst.HighNote(), ContentRange(inst, layout::inst::kHighNote));
    AddNumberRow(values, "Low velocity", inst.LowVelocity(), ContentRange(inst, layout::inst::kLowVelocity));
    AddNumberRow(values, "Hih velocity", inst.HighVelocity(),
                 ContentRange(inst, layout::inst::kHighVelocity));
}

}  // namespace rows
