#include "sound/markers.h"

#include <algorithm>
#include <map>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace sound {
namespace {

namespace layout = wavedoc::layout;

// Where record `index` (from 1) of a chunk with records of `layout` lies.
std::uint64_t RecordAt(const wavedoc::ChunkBase& chunk, const layout::RecordLayout& records,
                       std::int32_t index) {
    return chunk.Offset() + layout::kChunkHeaderSize + records.firstRecord +
           static_cast<std::uint64_t>(index - 1) * records.recordSize;
}

std::int32_t Held(std::int32_t count) {
    return std::min<std::int32_t>(count, static_cast<std::int32_t>(kMostMarkersOfAKind));
}

// Calls read(i) for i from 1 to count, leaving out a record that cannot be read.
template <typename Read>
void EachRecord(std::int32_t count, Read read) {
    for (std::int32_t i = 1; i <= Held(count); ++i) {
        try {
            read(i);
        } catch (const wavedoc::FileChangedError&) {
            throw;
        } catch (const wavedoc::WaveDocError&) {
        }
    }
}

}  // namespace

std::string LoopTypeName(std::int32_t type) {
    switch (type) {
        case 0:
            return "Forward";
        case 1:
            return "Alternating";
        case 2:
            return "Backward";
        default:
            return "Type " + std::to_string(static_cast<std::uint32_t>(type));
    }
}

std::vector<Marker> MarkersOf(const wavedoc::WaveDocument& document) {
    std::vector<Marker> markers;
    const wavedoc::ReadingSession session(document.Source());
    // Each cue id's frame, the first point of an id counting, and its label.
    std::map<std::uint32_t, std::uint64_t> cueFrames;
    std::map<std::uint32_t, std::string> labels;
    const wavedoc::ListChunk& list = document.List();
    if (!list.Name().empty()) {
        EachRecord(list.Labels().Count(), [&](std::int32_t i) {
            const wavedoc::LablEntry label = list.Labels().Item(i);
            labels.emplace(static_cast<std::uint32_t>(label.CuePointId()), label.Text());
        });
    }
    const wavedoc::CueChunk& cue = document.Cue();
    if (!cue.Name().empty()) {
        EachRecord(cue.CuePoints().Count(), [&](std::int32_t i) {
            const wavedoc::CuePoint point = cue.CuePoints().Item(i);
            const auto id = static_cast<std::uint32_t>(point.Id());
            const auto frame = static_cast<std::uint32_t>(point.SampleOffset());
            cueFrames.emplace(id, frame);
            const auto label = labels.find(id);
            markers.push_back({MarkerKind::Cue, frame, std::nullopt,
                               label != labels.end() ? label->second : "Cue " + std::to_string(id),
                               RecordAt(cue, layout::kCuePoints, i)});
        });
    }
    if (!list.Name().empty()) {
        EachRecord(list.LabeledTexts().Count(), [&](std::int32_t i) {
            const wavedoc::LtxtEntry text = list.LabeledTexts().Item(i);
            const auto id = static_cast<std::uint32_t>(text.CuePointId());
            const auto frame = cueFrames.find(id);
            if (frame == cueFrames.end()) return;
            const auto length = static_cast<std::uint32_t>(text.SampleLength());
            std::string label = text.Text();
            if (label.empty() && labels.contains(id)) label = labels[id];
            markers.push_back({MarkerKind::Region, frame->second,
                               frame->second + std::max<std::uint64_t>(length, 1) - 1, label, text.Offset()});
        });
    }
    const wavedoc::SmplChunk& smpl = document.Smpl();
    if (!smpl.Name().empty()) {
        EachRecord(smpl.SampleLoops().Count(), [&](std::int32_t i) {
            const wavedoc::SampleLoop loop = smpl.SampleLoops().Item(i);
            const auto start = static_cast<std::uint32_t>(loop.Start());
            const auto end = static_cast<std::uint32_t>(loop.End());
            markers.push_back({MarkerKind::Loop, std::min(start, end), std::max(start, end),
                               "Loop " + std::to_string(i) + ": " + LoopTypeName(loop.Type()),
                               RecordAt(smpl, layout::kSampleLoops, i)});
        });
    }
    const wavedoc::PlstChunk& plst = document.Plst();
    if (!plst.Name().empty()) {
        EachRecord(plst.Segments().Count(), [&](std::int32_t i) {
            const wavedoc::PlstSegment segment = plst.Segments().Item(i);
            const auto frame = cueFrames.find(static_cast<std::uint32_t>(segment.CuePointId()));
            if (frame == cueFrames.end()) return;
            const auto length = static_cast<std::uint32_t>(segment.Length());
            const auto repeats = static_cast<std::uint32_t>(segment.Repeats());
            markers.push_back(
                {MarkerKind::Segment, frame->second, frame->second + std::max<std::uint64_t>(length, 1) - 1,
                 "Segment " + std::to_string(i) + (repeats > 1 ? " x" + std::to_string(repeats) : ""),
                 RecordAt(plst, layout::kPlaySegments, i)});
        });
    }
    return markers;
}

}  // namespace sound
