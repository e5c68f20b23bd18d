#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "report/sound_measuring.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/byte_source.h"

namespace report {

// What an analysis reads beyond the chunks.
struct AnalyseOptions {
    // Riff: the chunk list's form alone; AnyForm: RF64, BW64 and RIFX too,
    // which are mapped and checked but not listed (WaveDocument::FormRefusal).
    wavedoc::LoadForms forms = wavedoc::LoadForms::AnyForm;
    bool check = true;                 // whether the file is checked at all
    wavecheck::CheckOptions checking;  // what the check does beyond its usual findings
    // Decode the audio once and measure it (Analysis::measured), comparing
    // the loudness of a bext chunk and the peaks of a PEAK chunk with it
    // (loudness-mismatch, peak-mismatch); only when the file is checked. Its
    // progress is told through checking.progress, as the hashing's is.
    bool measure = false;
    // How many processors the measuring may keep busy: more than one when a
    // caller has processors to spare (sound::MeasureOptions::threads).
    unsigned measureThreads = 1;
    // Whether the file stays open while the analysis lives, for a caller that
    // reads its chunks at once (ondulo-dump): the check's opening then serves
    // the rows too. A window lets it close, as it reads later, on demand.
    bool keepOpen = false;
};

// One file loaded, mapped and checked, as every caller shows it: the main
// window, the structure window and ondulo-dump. Shared and never changed
// again, so a window can keep showing it whatever the next analysis does.
struct Analysis {
    std::string path;                                       // as given to Load
    std::int16_t status = wavedoc::LoadOk;                  // what Load answered
    std::string error;                                      // why Load refused the file, naming it
    std::shared_ptr<const wavedoc::WaveDocument> document;  // null when the file was refused
    std::shared_ptr<const wavecheck::Findings> findings;    // null when refused or not checked
    // What the file claims about its sound, for measuring it later (the
    // sound view); empty when refused or not checked.
    wavecheck::SoundClaims claims;
    // The sound as measured, when measuring was asked and the pass could run.
    std::shared_ptr<const sound::Measurement> measured;
    // Open while this lives when keepOpen was asked; null otherwise, or when
    // the file could no longer be opened as loaded (its reads then say so).
    std::shared_ptr<const wavedoc::ReadingSession> reading;

    bool Loaded() const { return document != nullptr; }
};

// Loads `path`, and checks it unless told not to. The check's reads share
// one opening of the file (kept for the caller when asked); when the file can no longer be read as loaded,
// the findings say so.
Analysis Analyse(const std::string& path, const AnalyseOptions& options = {});

// The message for a file Load refused, in the main window's words: the text,
// and a second paragraph naming the file and what is wrong with it (empty
// when the text says it all).
struct RefusalMessage {
    std::string text;
    std::string details;
};
RefusalMessage RefusalFor(std::int16_t status, const std::string& loadError);

}  // namespace report
