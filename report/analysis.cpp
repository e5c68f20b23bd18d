#include "report/analysis.h"

#include <optional>

#include "wavedoc/reading/wave_error.h"

namespace report {

Analysis Analyse(const std::string& path, const AnalyseOptions& options) {
    auto document = std::make_shared<wavedoc::WaveDocument>();
    std::optional<wavecheck::FileCheck> check;
    if (options.check) check.emplace(options.checking);
    Analysis analysis;
    analysis.path = path;
    analysis.status = document->Load(path, check ? &*check : nullptr, options.forms);
    if (analysis.status != wavedoc::LoadOk) {
        analysis.error = document->LoadError();
        // A status without a reason still gets a sentence that names the file.
        if (analysis.error.empty()) {
            analysis.error =
                "\"" + path + "\" could not be read (status " + std::to_string(analysis.status) + ").";
        }
        return analysis;
    }
    // The audio samples are never shown.
    document->Data().SetData("");
    if (check || options.keepOpen) {
        try {
            analysis.reading = std::make_shared<const wavedoc::ReadingSession>(document->Source());
        } catch (const wavedoc::WaveDocError&) {
        }
        if (check) {
            analysis.claims = check->Claims();
            MeasureWatch watch;
            watch.progress = options.checking.progress;
            watch.threads = options.measureThreads;
            CheckedFile checked = FinishCheck(*check, *document, options.measure ? &watch : nullptr);
            analysis.findings = std::make_shared<const wavecheck::Findings>(std::move(checked.findings));
            analysis.measured = std::move(checked.measured);
        }
        if (!options.keepOpen) analysis.reading.reset();
    }
    analysis.document = std::move(document);
    return analysis;
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

}  // namespace report
