#include "chunk_details.h"

#include <array>
#include <string_view>

#include "detail_routines.h"
#include "detail_rows.h"
#include "wavedoc/wave_error.h"

namespace {

using DetailRoutine = void (*)(const wavedoc::WaveDocument&, RowSink&);

struct DetailEntry {
    std::string_view chunkName;
    DetailRoutine routine;
};

// Chunk names as the chunk list writes them, trailing spaces included; the
// associated data list comes under both spellings of its id.
constexpr std::array<DetailEntry, 13> kDetailRoutines = {{
    {"RIFF", ShowRiffType},
    {"fmt ", ShowFormat},
    {"fact", ShowFact},
    {"wavl", ShowWaveList},
    {"slnt", ShowSilence},
    {"cue ", ShowCuePoints},
    {"plst", ShowPlaylist},
    {"list", ShowAssociatedData},
    {"LIST", ShowAssociatedData},
    {"smpl", ShowSampler},
    {"inst", ShowInstrument},
    {"PAD ", ShowPadByte},
    {"data", ShowDataChunk},
}};

// "The cue chunk could not be shown in full: " followed by the reason, which
// starts in lower case when it is an ordinary capitalised sentence.
std::string IncompleteSentence(std::string_view chunkName, std::string reason) {
    const std::size_t end = chunkName.find_last_not_of(' ');
    const std::string_view shownName = chunkName.substr(0, end == std::string_view::npos ? 0 : end + 1);
    if (reason.size() >= 2 && reason[0] >= 'A' && reason[0] <= 'Z' && reason[1] >= 'a' && reason[1] <= 'z') {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    if (reason.empty() || reason.back() != '.') reason += '.';
    return "The " + std::string(shownName) + " chunk could not be shown in full: " + reason;
}

}  // namespace

std::optional<std::string> ShowChunkDetails(const wavedoc::WaveDocument& document,
                                            const std::string& chunkName, RowSink& values) {
    values.ClearRows();
    for (const DetailEntry& entry : kDetailRoutines) {
        if (entry.chunkName != chunkName) continue;
        try {
            entry.routine(document, values);
        } catch (const wavedoc::WaveDocError& error) {
            return IncompleteSentence(chunkName, error.what());
        } catch (const DetailStop& stop) {
            return IncompleteSentence(chunkName, stop.what());
        }
        return std::nullopt;
    }
    return std::nullopt;
}
