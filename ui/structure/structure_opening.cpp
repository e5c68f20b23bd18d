#include "ui/structure/structure_opening.h"

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

report::Analysis AnalysisToShow(const std::string& path, const report::Analysis& analysed) {
    if (analysed.Loaded() && analysed.findings != nullptr && analysed.path == path &&
        Unchanged(*analysed.document)) {
        return analysed;
    }
    return report::Analyse(path);
}
