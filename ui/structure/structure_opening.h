#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"

// One file as the structure window shows it: the loaded document and what
// the check found, shared with whoever loaded it and never changed again.
struct StructureAnalysis {
    std::string path;                                       // as given to Load
    std::shared_ptr<const wavedoc::WaveDocument> document;  // null when the file was refused
    std::shared_ptr<const wavecheck::Findings> findings;
    std::int16_t status = wavedoc::LoadOk;  // what Load answered
    std::string error;                      // why it refused the file, naming it

    bool Loaded() const { return document != nullptr && findings != nullptr; }
};

// Loads and checks `path` for a structure window of its own. Every file the
// window opens goes through here, so what it accepts is decided here alone.
StructureAnalysis LoadForStructure(const std::string& path);

// What a structure window of `path` shows: `analysed` (the main window's
// analysis) when it is of that path and the file is unchanged since, else a
// fresh load.
StructureAnalysis AnalysisToShow(const std::string& path, const StructureAnalysis& analysed);

// The message for a file Load refused, in the main window's words: the text,
// and a second paragraph naming the file and what is wrong with it (empty
// when the text says it all).
struct RefusalMessage {
    std::string text;
    std::string details;
};
RefusalMessage RefusalFor(std::int16_t status, const std::string& loadError);
