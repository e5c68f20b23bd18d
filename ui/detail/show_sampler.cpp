// The sampler chunk (header with note name and SMPTE format in words, then a
// numbered block per loop) and the instrument chunk (seven plain numbers).
#include <string>
#include <string_view>

#include "detail_routines.h"
#include "detail_rows.h"
#include "note_text.h"
#include "wavedoc/document/wave_document.h"

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

}  // namespace

void ShowSampler(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Manufacturer", document.Smpl().Manufacturer());
    AddNumberRow(values, "Product", document.Smpl().Product());
    AddNumberRow(values, "Sample period", document.Smpl().SamplePeriod());
    AddValueRow(values, "MIDI unity note", NoteText(document.Smpl().MidiUnityNote()));
    AddNumberRow(values, "MIDI pitch fraction", document.Smpl().MidiPitchFraction());
    AddValueRow(values, "SMPTE format",
                std::to_string(document.Smpl().SmpteFormat()) + " (" +
                    std::string(SmpteFormatName(document.Smpl().SmpteFormat())) + ")");
    AddNumberRow(values, "SMPTE offset", document.Smpl().SmpteOffset());
    AddNumberRow(values, "Number of sample loops", document.Smpl().SampleLoopCount());
    AddNumberRow(values, "Sampler data", document.Smpl().SamplerData());

    ForEachListedEntry(document.Smpl().SampleLoopCount(), "sample loops", [&](std::int16_t i) {
        AddHeadingRow(values, "     Loops #" + std::to_string(i));
        const auto loop = document.Smpl().SampleLoops().Item(i);
        AddNumberRow(values, "     Cue point ID", loop.CuePointId());
        AddNumberRow(values, "     Type", loop.Type());
        AddNumberRow(values, "     Start", loop.Start());
        AddNumberRow(values, "     End", loop.End());
        AddNumberRow(values, "     Fraction", loop.Fraction());
        AddNumberRow(values, "     Play count", loop.PlayCount());
    });
}

void ShowInstrument(const wavedoc::WaveDocument& document, RowSink& values) {
    AddNumberRow(values, "Unshifted note", document.Inst().UnshiftedNote());
    AddNumberRow(values, "Fine tune", document.Inst().FineTune());
    AddNumberRow(values, "Gain", document.Inst().Gain());
    AddNumberRow(values, "Low note", document.Inst().LowNote());
    AddNumberRow(values, "High note", document.Inst().HighNote());
    AddNumberRow(values, "Low velocity", document.Inst().LowVelocity());
    AddNumberRow(values, "Hih velocity", document.Inst().HighVelocity());
}
