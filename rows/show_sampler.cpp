// The sampler chunk (header with note name and SMPTE format in words, then a
// numbered block per loop) and the instrument chunk (seven plain numbers).
#include <string>
#include <string_view>

#include "detail_routines.h"
#include "detail_rows.h"
#include "note_text.h"
#include "wavedoc/document/wave_document.h"

namespace rows {

namespace {

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
    AddNumberRow(values, "     Cue point ID", loop.CuePointId(), RangeWithin(record, 0, 4));
    AddNumberRow(values, "     Type", loop.Type(), RangeWithin(record, 4, 4));
    AddNumberRow(values, "     Start", loop.Start(), RangeWithin(record, 8, 4));
    AddNumberRow(values, "     End", loop.End(), RangeWithin(record, 12, 4));
    AddNumberRow(values, "     Fraction", loop.Fraction(), RangeWithin(record, 16, 4));
    AddNumberRow(values, "     Play count", loop.PlayCount(), RangeWithin(record, 20, 4));
}

}  // namespace

void ShowSampler(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::SmplChunk& smpl = document.Smpl();
    AddNumberRow(values, "Manufacturer", smpl.Manufacturer(), ContentRange(smpl, 0, 4));
    AddNumberRow(values, "Product", smpl.Product(), ContentRange(smpl, 4, 4));
    AddNumberRow(values, "Sample period", smpl.SamplePeriod(), ContentRange(smpl, 8, 4));
    AddValueRow(values, "MIDI unity note", NoteText(smpl.MidiUnityNote()), ContentRange(smpl, 12, 4));
    AddNumberRow(values, "MIDI pitch fraction", smpl.MidiPitchFraction(), ContentRange(smpl, 16, 4));
    AddValueRow(
        values, "SMPTE format",
        std::to_string(smpl.SmpteFormat()) + " (" + std::string(SmpteFormatName(smpl.SmpteFormat())) + ")",
        ContentRange(smpl, 20, 4));
    AddNumberRow(values, "SMPTE offset", smpl.SmpteOffset(), ContentRange(smpl, 24, 4));
    AddNumberRow(values, "Number of sample loops", smpl.SampleLoopCount(), ContentRange(smpl, 28, 4));
    AddNumberRow(values, "Sampler data", smpl.SamplerData(), ContentRange(smpl, 32, 4));

    ShowListedEntries(values, document, smpl.SampleLoopCount(),
                      {"sample loops", 7, smpl.SampleLoops().Count(), LoopPlace, ShowLoop});
}

void ShowInstrument(const wavedoc::WaveDocument& document, RowSink& values) {
    const wavedoc::InstChunk& inst = document.Inst();
    AddNumberRow(values, "Unshifted note", inst.UnshiftedNote(), ContentRange(inst, 0, 1));
    AddNumberRow(values, "Fine tune", inst.FineTune(), ContentRange(inst, 1, 1));
    AddNumberRow(values, "Gain", inst.Gain(), ContentRange(inst, 2, 1));
    AddNumberRow(values, "Low note", inst.LowNote(), ContentRange(inst, 3, 1));
    AddNumberRow(values, "High note", inst.HighNote(), ContentRange(inst, 4, 1));
    AddNumberRow(values, "Low velocity", inst.LowVelocity(), ContentRange(inst, 5, 1));
    AddNumberRow(values, "Hih velocity", inst.HighVelocity(), ContentRange(inst, 6, 1));
}

}  // namespace rows
