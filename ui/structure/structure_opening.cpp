#include "ui/structure/structure_opening.h"

#include <optional>

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace {

// Whether the file on disk is still the one the document was loaded from.
bool Unchanged(const wavedoc::WaveDocument& document) {
    if (document.Source() == nullptr) return false;
    try {
        const wavedoc::ReadingSession session(document.Source());
        return true;
    } catch (const wavedoc::WaveDocError&) {
        return false;
    }
}

}  // namespace

StructureAnalysis LoadForStructure(const std::string& path) {
    auto document = std::make_shared<wavedoc::WaveDocument>();
    wavecheck::FileCheck check;
    StructureAnalysis analysis;
    analysis.path = path;
    // The 64-bit forms the chunk list refuses are mapped and checked here.
    analysis.status = document->Load(path, &check, wavedoc::LoadForms::AnyForm);
    if (analysis.status != wavedoc::LoadOk) {
        analysis.error = document->LoadError();
        return analysis;
    }
    // Like the main window: the audio samples are never shown.
    document->Data().SetData("");
    {
        // The check's reads share one opening of the file; when it can no
        // longer be read, the check says so in its findings.
        std::optional<wavedoc::ReadingSession> reading;
        try {
            reading.emplace(document->Source());
        } catch (const wavedoc::WaveDocError&) {
        }
        analysis.findings = std::make_shared<const wavecheck::Findings>(check.Finish(*document));
    }
    analysis.document = std::move(document);
    return analysis;
}

StructureAnalysis AnalysisToShow(const std::string& path, const StructureAnalysis& analysed) {
    if (analysed.Loaded() && analysed.path == path && Unchanged(*analysed.document)) return analysed;
    return LoadForStructure(path);
}

RefusalMessage RefusalFor(std::int16_t status, const std::string& loadError) {
    switch (status) {
        case wavedoc::LoadNotRiff:
            return {"Not a wav file (RIFF tag)", loadError};
        case wavedoc::LoadNotWave:
            return {"Not a wav file (WAVE tag)", loadError};
        default:
            return {loadError, {}};
    }
}
