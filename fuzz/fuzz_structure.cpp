// The in-memory fuzz target for the chunk tree: each input, at most a few
// tens of kilobytes, is loaded once from memory and put through what
// fuzz_wavedoc runs on one load (analyse_input.h): the structure map, which
// must cover every byte, and the check, the chunk list, every listed chunk's
// rows, and the text and JSON writers. Without the file load and the second
// run it does many more inputs a second, which the structure-aware mutator
// spends on deep and wide chunk trees.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "analyse_input.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace {

using fuzzcheck::Require;

void Check(const std::string& bytes) {
    const std::string name(fuzzcheck::kDisplayName);
    wavedoc::WaveDocument document;
    fuzzcheck::LoadPreviousFile(document);
    wavecheck::FileCheck check({.verifyMd5 = false, .progress = {}});
    // Every form the map reads: RIFF, and the RF64, BW64 and RIFX files the
    // chunk list refuses (the file target loads as the chunk list does).
    const std::int16_t status = document.LoadFromMemory(bytes, name, &check, wavedoc::LoadForms::AnyForm);
    if (status != wavedoc::LoadOk) {
        fuzzcheck::CheckRefusal(document, status, name);
        fuzzcheck::WriteOut(document.LoadError());
        return;
    }
    const std::string tag = bytes.substr(0, 4);
    Require((tag == "RIFF" || tag == "RF64" || tag == "BW64" || tag == "RIFX") &&
                bytes.compare(8, 4, "WAVE") == 0,
            "a file without a RIFF WAVE head was accepted");
    Require((tag == "RIFF") == document.FormRefusal().empty(), "a form other than RIFF was not refused");
    // The sound is measured too: the decoders and the meter see every input.
    Require(12 + fuzzcheck::MapAndCheck(document, check, true).covered == bytes.size(),
            "the structure map does not cover the file");
    for (const std::string& note : fuzzcheck::CheckedNotes(document, name)) fuzzcheck::WriteOut(note);
    for (const std::string& row : fuzzcheck::ChunkListRows(document)) {
        fuzzcheck::WriteOut(row);
        fuzzcheck::ShowChunk(document, std::string(rows::SplitRow(row).first), true);
    }
    fuzzcheck::CheckDataChunk(document, bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
