#include "mend/mend_plan.h"

#include <algorithm>
#include <new>
#include <optional>
#include <set>
#include <string_view>

#include "wavecheck/trailer_ids.h"
#include "wavedoc/reading/field_reader.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace mend {
namespace {

using wavedoc::ByteOrder;
using wavedoc::MapEntry;
namespace layout = wavedoc::layout;

constexpr std::uint64_t kMost32 = 0xFFFFFFFF;
// How far back from the end of the audio (or of stray bytes) chunks written
// after it are looked for, as the check looks.
constexpr std::uint64_t kChainWindow = 64 * 1024;

std::string Quoted(std::string_view id) { return "\"" + std::string(id) + "\""; }

std::string Bytes(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// A number of `width` bytes in the given order.
std::string Number(std::uint64_t value, std::size_t width, ByteOrder order) {
    std::string out(width, '\0');
    for (std::size_t i = 0; i < width; ++i) {
        const std::size_t shift = order == ByteOrder::Little ? 8 * i : 8 * (width - 1 - i);
        out[i] = static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

// The fields of the fmt chunk the mend reads: the frame size follows from them.
struct Format {
    bool present = false;
    std::uint32_t tag = 0;  // wFormatTag, or for the extensible format the sub-format's code
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t byteRate = 0;
    std::uint32_t blockAlign = 0;
    std::uint32_t bits = 0;
    // PCM or IEEE float: a frame is channels × whole bytes of a sample.
    bool Linear() const { return tag == 1 || tag == 3; }
    std::uint32_t LinearBlockAlign() const { return channels * ((bits + 7) / 8); }
};

// A patch of made bytes over a chunk's copied content.
struct Patch {
    std::uint64_t at = 0;  // within the content
    std::string bytes;
};

// One chunk of the copy.
struct OutChunk {
    std::string id;
    std::optional<MapEntry> source;  // the entry of FILE it comes from; none for a made chunk
    std::uint64_t from = 0;          // its content's copy in FILE
    std::uint64_t length = 0;        // its content's length in the copy
    std::uint64_t copied = 0;        // of which copied from FILE (the rest are made zero bytes, in `made`)
    std::string made;                // made content after the copied part (ds64 fields, a table length)
    std::vector<Patch> patches;      // made bytes over the copied part
    bool audio = false;
    bool ds64 = false;
    std::optional<std::uint32_t> sizeField;  // set for a size field other than the length
};

class Planner {
public:
    explicit Planner(const report::Analysis& analysis)
        : analysis_(analysis),
          document_(*analysis.document),
          findings_(*analysis.findings),
          order_(analysis.document->Order()) {}

    Plan Make();

private:
    std::string Read(std::uint64_t at, std::uint64_t count) const {
        return document_.Source()->Read(at, count);
    }
    bool Has(std::string_view code) const {
        return std::any_of(findings_.counts.begin(), findings_.counts.end(),
                           [&](const wavecheck::CodeCount& c) { return c.code == code; });
    }
    // The first of these codes the check found, or the last given.
    std::string FirstFound(std::initializer_list<std::string_view> codes) const {
        for (const std::string_view code : codes) {
            if (Has(code)) return std::string(code);
        }
        return std::string(*(codes.end() - 1));
    }
    void AddChange(std::string code, std::uint64_t at, std::uint64_t length, std::string sentence) {
        plan_.changes.push_back({std::move(code), at, length, std::move(sentence)});
    }
    void LeaveAlone(std::string code, std::uint64_t at, std::string reason) {
        plan_.leftAlone.push_back({std::move(code), at, std::move(reason)});
    }

    // Whether the entry runs to the end of the file as bytes that start no
    // chunk, or as a chunk cut off by the end (bytes that may only look like
    // a header): the rest of the file after a chunk whose size may take in the
    // start of the chunks there.
    bool IsRestOfFile(const MapEntry& entry) const {
        const bool stray = !entry.IsChunk() && entry.stray == wavedoc::Stray::NotAChunk &&
                           entry.offset + entry.length == plan_.sourceLength;
        const bool cut = entry.IsChunk() && entry.present < entry.DeclaredSize();
        return stray || cut;
    }
    Format ReadFormat(const MapEntry& fmt) const;
    std::optional<std::uint64_t> ChainStart(std::uint64_t lo, std::uint64_t hi, std::uint64_t end,
                                            bool audioIds) const;
    std::vector<MapEntry> ChainChunks(std::uint64_t start, std::uint64_t end) const;
    void KeepChunk(const MapEntry& entry);
    void KeepStray(std::uint64_t offset, std::uint64_t length, const std::string& code, bool afterAudio);
    void KeepData(const MapEntry& data, std::size_t& next);
    void Write();

    const report::Analysis& analysis_;
    const wavedoc::WaveDocument& document_;
    const wavecheck::Findings& findings_;
    ByteOrder order_;
    std::vector<MapEntry> top_;
    Format format_;
    std::uint32_t frame_ = 1;
    bool framesJudged_ = false;
    std::vector<OutChunk> out_;
    bool wrapped_ = false;  // a plain RIFF recording over 4 GB whose 32-bit sizes wrapped
    Plan plan_;
};

Format Planner::ReadFormat(const MapEntry& fmt) const {
    Format format;
    const std::string head =
        Read(fmt.offset + layout::kChunkHeaderSize, std::min<std::uint64_t>(fmt.present, 40));
    if (head.size() < layout::kFormatFields) return format;
    const auto at = [&](std::size_t offset, std::size_t width) {
        return static_cast<std::uint32_t>(
            wavedoc::NumberIn(std::string_view(head).substr(offset, width), order_));
    };
    format.present = true;
    format.tag = at(0, 2);
    format.channels = at(2, 2);
    format.rate = at(4, 4);
    format.byteRate = at(8, 4);
    format.blockAlign = at(12, 2);
    format.bits = at(14, 2);
    if (format.tag == layout::kExtensibleTag && head.size() >= layout::kSubFormatOffset + layout::kGuidSize) {
        const std::optional<std::uint32_t> code =
            layout::SubFormatCode(std::string_view(head).substr(layout::kSubFormatOffset, layout::kGuidSize));
        format.tag = code.value_or(layout::kExtensibleTag);
    }
    return format;
}

// Where a run of chunks starts that follow one another exactly to `end`, each
// of an id writers put after the audio (or "fmt " and "data" too, for bytes
// before the audio), the first starting in [lo, hi) within the last
// kChainWindow bytes before `end`; nothing when there is none.
std::optional<std::uint64_t> Planner::ChainStart(std::uint64_t lo, std::uint64_t hi, std::uint64_t end,
                                                 bool audioIds) const {
    if (end <= lo) return std::nullopt;
    const std::uint64_t start = std::max(lo, end > kChainWindow ? end - kChainWindow : 0);
    const std::string bytes = Read(start, end - start);
    if (bytes.size() != end - start) return std::nullopt;
    const auto known = [&](std::size_t at) {
        const std::string_view id = std::string_view(bytes).substr(at, 4);
        return wavecheck::IsTrailerId(id) || (audioIds && (id == "fmt " || id == "data"));
    };
    std::vector<bool> fails(bytes.size(), false);
    std::vector<std::size_t> passed;
    const std::uint64_t limit = std::min(hi, end) - std::min(std::min(hi, end), start);
    for (std::size_t first = 0; first < limit && first + layout::kChunkHeaderSize <= bytes.size(); ++first) {
        if (fails[first] || !known(first)) continue;
        std::uint64_t at = first;
        passed.clear();
        while (at + layout::kChunkHeaderSize <= bytes.size() && !fails[at] && known(at)) {
            passed.push_back(at);
            const std::uint64_t size = wavedoc::NumberIn(std::string_view(bytes).substr(at + 4, 4), order_);
            const std::uint64_t next = at + layout::kChunkHeaderSize + size;
            if (next == bytes.size() || (size % 2 == 1 && next + 1 == bytes.size())) return start + first;
            at = next + size % 2;
        }
        for (const std::size_t place : passed) fails[place] = true;
    }
    return std::nullopt;
}

// The chunks of a run ChainStart found, as entries of the map.
std::vector<MapEntry> Planner::ChainChunks(std::uint64_t start, std::uint64_t end) const {
    std::vector<MapEntry> chunks;
    std::uint64_t at = start;
    while (at + layout::kChunkHeaderSize <= end) {
        const std::string header = Read(at, layout::kChunkHeaderSize);
        MapEntry entry;
        entry.offset = at;
        entry.id = header.substr(0, 4);
        entry.size =
            static_cast<std::uint32_t>(wavedoc::NumberIn(std::string_view(header).substr(4, 4), order_));
        entry.present = std::min<std::uint64_t>(entry.size, end - at - layout::kChunkHeaderSize);
        const std::uint64_t next = at + layout::kChunkHeaderSize + entry.size;
        if (entry.size % 2 == 1 && next < end) {
            entry.pad = wavedoc::PadByte::Present;
            const std::string pad = Read(next, 1);
            if (!pad.empty()) entry.padValue = static_cast<unsigned char>(pad[0]);
        } else if (entry.size % 2 == 1) {
            entry.pad = wavedoc::PadByte::Missing;
        }
        entry.last = next + entry.size % 2 >= end;
        chunks.push_back(entry);
        at = next + entry.size % 2;
    }
    return chunks;
}

// A chunk of FILE that the copy keeps as it is, but for its pad byte and the
// few fields that follow from others.
void Planner::KeepChunk(const MapEntry& entry) {
    OutChunk chunk;
    chunk.id = entry.id;
    chunk.source = entry;
    chunk.from = entry.offset + layout::kChunkHeaderSize;
    chunk.length = entry.present;
    chunk.copied = entry.present;
    if (entry.ds64Size && entry.size == layout::kSizeInDs64) chunk.sizeField = entry.size;
    if (entry.id == layout::kDs64Id && entry.offset == layout::kRiffHeaderSize &&
        entry.present < layout::kDs64Fields) {
        // Too short for its fields: the copy's holds all of them, made anew.
        chunk.length = layout::kDs64Fields;
        chunk.copied = 0;
        chunk.made = std::string(layout::kDs64Fields, '\0');
    }
    if (entry.present % 2 == 1 && entry.pad == wavedoc::PadByte::Missing) {
        AddChange("pad-missing", entry.offset, layout::kChunkHeaderSize + entry.present,
                  "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) + " holds " +
                      Bytes(entry.present) + ", an odd number: the copy puts the pad byte after it.");
    } else if (entry.present % 2 == 1 && entry.pad == wavedoc::PadByte::Present && entry.padValue &&
               *entry.padValue != 0) {
        AddChange("pad-not-zero", entry.offset + layout::kChunkHeaderSize + entry.present, 1,
                  "The pad byte after the " + Quoted(entry.id) + " chunk at offset " +
                      std::to_string(entry.offset) + " is not zero: the copy writes it as zero.");
    }
    if (entry.afterRiffEnd) {
        AddChange(FirstFound({"trailing-bytes", "riff-size"}), entry.offset, entry.Covered(),
                  "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) +
                      " lies after the end the RIFF size gives: the copy takes it inside the RIFF chunk.");
    }
    if (entry.id == "fmt " && format_.present && format_.Linear() && chunk.length >= layout::kFormatFields &&
        format_.channels > 0 && format_.bits > 0) {
        const std::uint32_t align = format_.LinearBlockAlign();
        const std::uint64_t rate = static_cast<std::uint64_t>(format_.rate) * align;
        if (Has("block-align") && align != format_.blockAlign && align <= 0xFFFF) {
            chunk.patches.push_back({12, Number(align, 2, order_)});
            AddChange("block-align", entry.offset + layout::kChunkHeaderSize + 12, 2,
                      "The block align of the \"fmt \" chunk at offset " + std::to_string(entry.offset) +
                          " becomes " + std::to_string(align) + " (it held " +
                          std::to_string(format_.blockAlign) +
                          "), the channels times the bytes of a sample.");
        }
        if (Has("byte-rate") && rate != format_.byteRate && rate <= kMost32) {
            chunk.patches.push_back({8, Number(rate, 4, order_)});
            AddChange("byte-rate", entry.offset + layout::kChunkHeaderSize + 8, 4,
                      "The byte rate of the \"fmt \" chunk at offset " + std::to_string(entry.offset) +
                          " becomes " + std::to_string(rate) + " (it held " +
                          std::to_string(format_.byteRate) + "), the sample rate times the block align.");
        }
    }
    out_.push_back(std::move(chunk));
}

// Bytes that start no chunk, from `offset`: a run of known chunks at their
// end is kept as chunks; what comes before them is kept as a JUNK chunk
// when it is not all zeros, or dropped and said when it is.
void Planner::KeepStray(std::uint64_t offset, std::uint64_t length, const std::string& code,
                        bool afterAudio) {
    const std::uint64_t end = offset + length;
    std::uint64_t strayEnd = end;
    std::vector<MapEntry> chain;
    if (length > layout::kChunkHeaderSize) {
        if (const std::optional<std::uint64_t> start = ChainStart(offset + 1, end, end, !afterAudio)) {
            strayEnd = *start;
            chain = ChainChunks(*start, end);
        }
    }
    const std::uint64_t stray = strayEnd - offset;
    // A run longer than a few MB is kept whatever it holds: the plan reads
    // no more than that of it, so that it is made in well under a second.
    constexpr std::uint64_t kMostScanned = 4 << 20;
    bool zeros = stray <= kMostScanned;
    for (std::uint64_t at = offset; at < strayEnd && zeros; at += 1 << 20) {
        const std::string bytes = Read(at, std::min<std::uint64_t>(strayEnd - at, 1 << 20));
        zeros = bytes.find_first_not_of('\0') == std::string::npos;
    }
    if (zeros) {
        plan_.dropped.push_back({offset, stray,
                                 "The " + Bytes(stray) + " from offset " + std::to_string(offset) +
                                     " start no chunk and are all zeros."});
        AddChange(code, offset, stray,
                  "The " + Bytes(stray) + " of zeros from offset " + std::to_string(offset) +
                      ", which start no chunk, are left out of the copy.");
    } else {
        OutChunk junk;
        junk.id = "JUNK";
        junk.from = offset;
        junk.length = stray;
        junk.copied = stray;
        out_.push_back(junk);
        AddChange(code, offset, stray,
                  "The " + Bytes(stray) + " from offset " + std::to_string(offset) +
                      ", which start no chunk, are kept in the copy as the content of a \"JUNK\" chunk, so "
                      "readers skip them and no byte is lost.");
    }
    for (const MapEntry& chunk : chain) {
        AddChange(code, chunk.offset, layout::kChunkHeaderSize + chunk.present,
                  "The " + Quoted(chunk.id) + " chunk at offset " + std::to_string(chunk.offset) +
                      ", hidden behind those bytes, is kept as a chunk of its own.");
        KeepChunk(chunk);
    }
}

// The data chunk: its audio as whole frames, wherever the sizes say it ends;
// chunks written after it kept as chunks. `next` is the index of the entry
// after it, moved past what the audio takes in.
void Planner::KeepData(const MapEntry& data, std::size_t& next) {
    const std::uint64_t start = data.offset + layout::kChunkHeaderSize;
    const std::uint64_t presentEnd = start + data.present;
    const bool cut = data.present < data.DeclaredSize();
    const bool placeholder = !data.ds64Size && cut && layout::IsStreamingPlaceholder(data.size);
    // What follows the data chunk to the end of the file: bytes that start no
    // chunk, or a chunk cut off by the end (bytes that only look like a header).
    const MapEntry* stray = next < top_.size() && IsRestOfFile(top_[next]) ? &top_[next] : nullptr;
    const bool strayToEnd = stray != nullptr;
    const std::uint64_t fileEnd = document_.Source()->Length();
    // Where the bytes the audio may run to end.
    std::uint64_t regionEnd = presentEnd;
    std::string code;
    std::string why;
    if (cut) {
        regionEnd = fileEnd;
        code = placeholder ? FirstFound({"unfinished", "past-end"}) : FirstFound({"past-end", "unfinished"});
        why = placeholder ? "its size field holds " + std::to_string(data.size) +
                                ", a placeholder a streaming writer never went back to fill in"
                          : "its size says " + Bytes(data.DeclaredSize()) + ", but the file ends after " +
                                std::to_string(data.present) + " of them";
    } else if (stray != nullptr && strayToEnd && data.size == 0) {
        regionEnd = fileEnd;
        code = FirstFound({"unfinished", "not-a-chunk"});
        why =
            "its size field holds 0, a placeholder a streaming writer never went back to fill in, and its "
            "audio follows it";
    } else if (stray != nullptr && strayToEnd && document_.Form() == wavedoc::FileForm::Riff &&
               !data.ds64Size && fileEnd - start > kMost32 && ((fileEnd - start) & kMost32) == data.size) {
        regionEnd = fileEnd;
        wrapped_ = true;
        code = FirstFound({"size-wrapped", "trailing-bytes", "not-a-chunk", "riff-size"});
        why = "its size field holds " + std::to_string(data.size) + ", the true size of " +
              Bytes(fileEnd - start) + " less a multiple of 4 GiB: a 32-bit size that wrapped";
    } else if (stray != nullptr && strayToEnd) {
        // A size that takes in the start of chunks written after the audio.
        if (const std::optional<std::uint64_t> chain = ChainStart(start, presentEnd, fileEnd, false)) {
            regionEnd = fileEnd;
            code = FirstFound({"not-a-chunk", "past-end", "trailing-bytes"});
            why = "its size takes in the start of the chunks written after its audio";
        }
    }
    std::vector<MapEntry> after;
    if (cut || regionEnd != presentEnd || placeholder) {
        // The audio runs on to regionEnd: chunks written after it there end it.
        const std::uint64_t lookFrom =
            std::max(start, regionEnd > kChainWindow ? regionEnd - kChainWindow : 0);
        if (const std::optional<std::uint64_t> chain = ChainStart(lookFrom, regionEnd, regionEnd, false)) {
            after = ChainChunks(*chain, regionEnd);
            regionEnd = *chain;
        }
        while (next < top_.size() && top_[next].offset < fileEnd &&
               top_[next].offset < std::max(regionEnd, fileEnd)) {
            if (top_[next].offset + top_[next].Covered() > fileEnd) break;
            ++next;
        }
    }
    const std::uint64_t region = regionEnd - start;
    const std::uint64_t audio = region / frame_ * frame_;
    plan_.audioOffset = start;
    plan_.audioBytes = audio;
    OutChunk chunk;
    chunk.id = data.id;
    chunk.source = data;
    chunk.from = start;
    chunk.length = audio;
    chunk.copied = audio;
    chunk.audio = true;
    const bool sizeChanges = data.DeclaredSize() != audio && (framesJudged_ || !code.empty());
    if (!framesJudged_ && sizeChanges) {
        LeaveAlone(
            "partial-frame", data.offset,
            "Ondulo does not judge the frames of this codec, so the copy keeps the audio to its last byte; "
            "a player may find part of a frame at its end.");
    }
    if (sizeChanges && !code.empty()) {
        AddChange(code, data.offset + 4, 4,
                  "The \"data\" chunk at offset " + std::to_string(data.offset) + " gets the size " +
                      std::to_string(audio) + ", the whole frames the file holds: " + why + ".");
    } else if (sizeChanges && framesJudged_) {
        // The size is right but for a part of a frame at its end.
        AddChange("partial-frame", data.offset + 4, 4,
                  "The \"data\" chunk at offset " + std::to_string(data.offset) + " gets the size " +
                      std::to_string(audio) + ", its whole frames of " + Bytes(frame_) + ".");
    }
    if (audio < region) {
        plan_.dropped.push_back({start + audio, region - audio,
                                 "The last " + Bytes(region - audio) + " of the audio, from offset " +
                                     std::to_string(start + audio) + ", are part of a frame of " +
                                     Bytes(frame_) + ", which no reader plays."});
    }
    if (!sizeChanges && data.present % 2 == 1) {
        // An odd size whose pad byte is missing or not zero, as any chunk's.
        if (data.pad == wavedoc::PadByte::Missing) {
            AddChange("pad-missing", data.offset, layout::kChunkHeaderSize + data.present,
                      "The \"data\" chunk at offset " + std::to_string(data.offset) + " holds " +
                          Bytes(data.present) + ", an odd number: the copy puts the pad byte after it.");
        } else if (data.pad == wavedoc::PadByte::Present && data.padValue && *data.padValue != 0) {
            AddChange("pad-not-zero", data.offset + layout::kChunkHeaderSize + data.present, 1,
                      "The pad byte after the \"data\" chunk at offset " + std::to_string(data.offset) +
                          " is not zero: the copy writes it as zero.");
        }
    }
    if (data.afterRiffEnd) {
        AddChange(FirstFound({"trailing-bytes", "riff-size"}), data.offset, data.Covered(),
                  "The \"data\" chunk at offset " + std::to_string(data.offset) +
                      " lies after the end the RIFF size gives: the copy takes it inside the RIFF chunk.");
    }
    out_.push_back(std::move(chunk));
    for (const MapEntry& trailer : after) {
        AddChange(code.empty() ? "unfinished" : code, trailer.offset,
                  layout::kChunkHeaderSize + trailer.present,
                  "The " + Quoted(trailer.id) + " chunk at offset " + std::to_string(trailer.offset) +
                      ", written after the audio, ends the audio and is kept as a chunk.");
        KeepChunk(trailer);
    }
}

Plan Planner::Make() {
    plan_.path = analysis_.path;
    plan_.sourceLength = document_.Source()->Length();
    for (const MapEntry& entry : document_.Structure().entries) {
        if (entry.depth == 0) top_.push_back(entry);
    }
    const wavedoc::FileForm form = document_.Form();
    const bool sixtyFour = form == wavedoc::FileForm::Rf64 || form == wavedoc::FileForm::Bw64;
    if (std::any_of(top_.begin(), top_.end(),
                    [](const MapEntry& e) { return e.stray == wavedoc::Stray::Unmapped; })) {
        plan_.refusal = "\"" + analysis_.path +
                        "\" holds more chunks than Ondulo maps one by one, so it cannot be mended whole.";
        return plan_;
    }
    if (form != wavedoc::FileForm::Rifx && document_.OrderSwapped()) {
        plan_.refusal =
            "\"" + analysis_.path + "\" starts with \"" +
            std::string(form == wavedoc::FileForm::Riff ? "RIFF" : "RF64") +
            "\" but stores its numbers most significant byte first; Ondulo does not write RIFX files.";
        return plan_;
    }
    if (form == wavedoc::FileForm::Rifx && !document_.OrderSwapped()) {
        plan_.refusal =
            "\"" + analysis_.path +
            "\" is a RIFX file (its numbers stored most significant byte first); Ondulo mends RIFF, RF64 "
            "and BW64 files.";
        return plan_;
    }
    if (sixtyFour && (top_.empty() || top_.front().id != layout::kDs64Id || !document_.Ds64())) {
        plan_.refusal =
            "\"" + analysis_.path +
            "\" is an RF64 or BW64 file without a ds64 chunk first, where readers look for its sizes; "
            "Ondulo does not make up the sizes it would hold.";
        return plan_;
    }
    const wavedoc::GenericChunk& dataChunk = document_.Data();
    const wavedoc::FmtChunk& fmtChunk = document_.Fmt();
    const auto fmtAt = std::find_if(top_.begin(), top_.end(), [&](const MapEntry& e) {
        return e.IsChunk() && !fmtChunk.Name().empty() && e.offset == fmtChunk.Offset();
    });
    const auto dataAt = std::find_if(top_.begin(), top_.end(), [&](const MapEntry& e) {
        return e.IsChunk() && !dataChunk.Name().empty() && e.offset == dataChunk.Offset();
    });
    if (fmtAt != top_.end()) format_ = ReadFormat(*fmtAt);
    // The frame the audio is kept in whole: PCM and float by the channels
    // and bits (the block align where the check finds nothing wrong with
    // it), A-law and µ-law by the channels; any other codec's frame Ondulo
    // does not judge, and its audio is kept to its last byte.
    if (format_.present && format_.Linear() && format_.LinearBlockAlign() > 0) {
        frame_ =
            Has("block-align") || format_.blockAlign == 0 ? format_.LinearBlockAlign() : format_.blockAlign;
        framesJudged_ = true;
    } else if (format_.present && (format_.tag == 6 || format_.tag == 7) && format_.channels > 0) {
        frame_ = format_.channels;
        framesJudged_ = true;
    }
    if (fmtAt == top_.end() || dataAt == top_.end() || !format_.present) {
        plan_.refusal = "\"" + analysis_.path +
                        "\" has no whole \"fmt \" or no \"data\" chunk where readers find "
                        "it, so Ondulo cannot tell which bytes are its audio.";
        return plan_;
    }
    if (fmtAt->present < fmtAt->DeclaredSize()) {
        plan_.refusal = "The \"fmt \" chunk of \"" + analysis_.path + "\" is cut off by the end of the file.";
        return plan_;
    }
    if (!format_.Linear() && format_.blockAlign == 0) {
        LeaveAlone(
            "block-align", fmtAt->offset,
            "The format's block align is 0 and its codec is not PCM: Ondulo cannot judge its frame size, "
            "so the audio is kept to its last byte.");
    }
    // The chunks in file order, the format moved before the audio, and
    // before a fact chunk ahead of it, which readers read after the format.
    const bool moveFmt = dataAt < fmtAt;
    bool fmtMoved = false;
    for (std::size_t i = 0; i < top_.size(); ++i) {
        const MapEntry& entry = top_[i];
        if (moveFmt && i == static_cast<std::size_t>(fmtAt - top_.begin())) continue;
        if (moveFmt && !fmtMoved && entry.IsChunk() &&
            (entry.id == "fact" || entry.offset == dataAt->offset)) {
            KeepChunk(*fmtAt);
            AddChange("data-before-fmt", fmtAt->offset, fmtAt->Covered(),
                      "The \"fmt \" chunk at offset " + std::to_string(fmtAt->offset) +
                          " is moved before the " + Quoted(entry.id) + " chunk at offset " +
                          std::to_string(entry.offset) + "; every other chunk keeps its order.");
            fmtMoved = true;
        }
        if (entry.IsChunk() && entry.offset == dataAt->offset) {
            std::size_t next = i + 1;
            KeepData(entry, next);
            i = next - 1;
            continue;
        }
        if (!entry.IsChunk()) {
            const bool afterAudio = entry.offset > dataAt->offset && entry.offset > fmtAt->offset;
            const std::string code = entry.stray == wavedoc::Stray::CutHeader
                                         ? FirstFound({"cut-header", "trailing-bytes", "not-a-chunk"})
                                     : entry.afterRiffEnd ? FirstFound({"trailing-bytes", "not-a-chunk"})
                                                          : FirstFound({"not-a-chunk", "trailing-bytes"});
            KeepStray(entry.offset, entry.length, code, afterAudio);
            continue;
        }
        if (entry.present < entry.DeclaredSize() && entry.present > layout::kChunkHeaderSize &&
            ChainStart(entry.offset + 1, plan_.sourceLength, plan_.sourceLength, false)) {
            // Bytes that only look like a header, with chunks hidden behind them.
            KeepStray(entry.offset, plan_.sourceLength - entry.offset,
                      FirstFound({"past-end", "not-a-chunk"}),
                      entry.offset > dataAt->offset && entry.offset > fmtAt->offset);
            continue;
        }
        if (entry.present < entry.DeclaredSize()) {
            // Cut by the end of the file: nothing after it.
            plan_.dropped.push_back(
                {entry.offset, entry.Covered(),
                 "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) +
                     " is cut off by the end of the file after " + std::to_string(entry.present) +
                     " of its " + std::to_string(entry.DeclaredSize()) + " bytes; FILE keeps it."});
            AddChange(FirstFound({"past-end", "riff-size"}), entry.offset, entry.Covered(),
                      "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) +
                          ", cut off by the end of the file, is left out of the copy.");
            continue;
        }
        // A chunk whose size takes in the start of the chunks after it, whose
        // rest are stray bytes to the end of the file: it ends where they begin.
        if (i + 1 < top_.size() && IsRestOfFile(top_[i + 1]) && entry.present == entry.DeclaredSize()) {
            const std::uint64_t end = plan_.sourceLength;
            const std::uint64_t start = entry.offset + layout::kChunkHeaderSize;
            if (const std::optional<std::uint64_t> chain =
                    ChainStart(start + 1, start + entry.present, end, false)) {
                MapEntry shortened = entry;
                shortened.size = static_cast<std::uint32_t>(*chain - start);
                shortened.present = *chain - start;
                shortened.pad = wavedoc::PadByte::None;
                if (shortened.present % 2 == 1) {
                    shortened.present -= 1;  // the pad byte before the chunk after it
                    shortened.size -= 1;
                    const std::string pad = Read(*chain - 1, 1);
                    shortened.pad = wavedoc::PadByte::Present;
                    if (!pad.empty()) shortened.padValue = static_cast<unsigned char>(pad[0]);
                }
                const std::string code = FirstFound({"not-a-chunk", "past-end", "trailing-bytes"});
                AddChange(code, entry.offset + 4, 4,
                          "The " + Quoted(entry.id) + " chunk at offset " + std::to_string(entry.offset) +
                              " gets the size " + std::to_string(shortened.size) + " (it held " +
                              std::to_string(entry.size) +
                              "): its size takes in the start of the chunk after it.");
                KeepChunk(shortened);
                for (const MapEntry& chunk : ChainChunks(*chain, end)) {
                    AddChange(
                        code, chunk.offset, layout::kChunkHeaderSize + chunk.present,
                        "The " + Quoted(chunk.id) + " chunk at offset " + std::to_string(chunk.offset) +
                            ", whose start the chunk before it took in, is kept as a chunk of its own.");
                    KeepChunk(chunk);
                }
                i = top_.size();
                break;
            }
        }
        KeepChunk(entry);
    }
    Write();
    // What the check found that no change answers.
    // The mend works at the top level: a finding inside a list is never one
    // it answers.
    std::set<std::string> answered;
    for (const Change& change : plan_.changes) answered.insert(change.code);
    for (const wavecheck::Finding& finding : findings_.shown) {
        if (answered.count(finding.code) != 0 && AtTopLevel(finding, document_)) continue;
        if (finding.level == wavecheck::Level::Error) {
            plan_.unanswered.push_back(finding.code + " at offset " + std::to_string(finding.offset));
        }
        if (finding.level != wavecheck::Level::Note) {
            LeaveAlone(finding.code, finding.offset, "The mend does not answer this: " + finding.message);
        }
    }
    return plan_;
}

// The copy's bytes, as pieces, and the changes to its heads and sizes.
void Planner::Write() {
    const wavedoc::FileForm form = document_.Form();
    const bool sixtyFour = form == wavedoc::FileForm::Rf64 || form == wavedoc::FileForm::Bw64;
    const auto covered = [](const OutChunk& c) { return layout::kChunkHeaderSize + c.length + c.length % 2; };
    std::uint64_t riffSize = 4;
    for (const OutChunk& chunk : out_) riffSize += covered(chunk);
    const bool toSixtyFour = !sixtyFour && (riffSize > kMost32 || plan_.audioBytes > kMost32);
    if (toSixtyFour) {
        // The ds64 chunk takes the place of a JUNK chunk first, held for it, or comes first.
        OutChunk ds64;
        ds64.id = std::string(layout::kDs64Id);
        ds64.ds64 = true;
        ds64.length = layout::kDs64Fields;
        ds64.made = std::string(layout::kDs64Fields, '\0');
        const std::string code = FirstFound({"size-wrapped", "trailing-bytes", "not-a-chunk", "riff-size"});
        if (!out_.empty() && (out_.front().id == "JUNK" || out_.front().id == "junk") &&
            out_.front().source && out_.front().source->offset == layout::kRiffHeaderSize &&
            (out_.front().length == layout::kDs64Fields ||
             out_.front().length >= layout::kDs64Fields + layout::kChunkHeaderSize)) {
            OutChunk junk = out_.front();
            AddChange(
                code, junk.source->offset, layout::kChunkHeaderSize + junk.length,
                "The \"JUNK\" chunk at offset 12, held for it, becomes the ds64 chunk of the copy, an RF64 "
                "file: its sizes are over 4 GiB.");
            if (junk.length == layout::kDs64Fields) {
                out_.front() = ds64;
            } else {
                junk.from += layout::kDs64Fields + layout::kChunkHeaderSize;
                junk.length -= layout::kDs64Fields + layout::kChunkHeaderSize;
                junk.copied = junk.length;
                junk.source.reset();
                out_.front() = junk;
                out_.insert(out_.begin(), ds64);
            }
        } else {
            out_.insert(out_.begin(), ds64);
            AddChange(
                code, 0, layout::kRiffHeaderSize,
                "The copy is an RF64 file, its sizes being over 4 GiB: a ds64 chunk after its head gives "
                "them.");
        }
        riffSize = 4;
        for (const OutChunk& chunk : out_) riffSize += covered(chunk);
    }
    const bool out64 = sixtyFour || toSixtyFour;
    const ByteOrder order = ByteOrder::Little;
    const std::string head = Read(0, layout::kRiffHeaderSize);
    // The form and RIFF size.
    std::string formId = head.substr(0, 4);
    if (toSixtyFour) formId = "RF64";
    if (form == wavedoc::FileForm::Rifx) {
        formId = "RIFF";
        AddChange(
            FirstFound({"byte-order"}), 0, 4,
            "The file starts with \"RIFX\", but its numbers are stored least significant byte first: the "
            "copy starts with \"RIFF\".");
    }
    std::uint64_t riffField = out64 ? kMost32 : riffSize;
    if (sixtyFour && riffSize <= kMost32 && head.size() >= 8 &&
        wavedoc::NumberIn(std::string_view(head).substr(4, 4), order_) == riffSize) {
        riffField = riffSize;  // an RF64 writer that gives the size where it fits
    }
    const std::uint64_t storedRiff = wavedoc::NumberIn(std::string_view(head).substr(4, 4), order_);
    if (!out64 && storedRiff != riffSize) {
        const bool placeholder =
            storedRiff == 0 || layout::IsStreamingPlaceholder(static_cast<std::uint32_t>(storedRiff));
        // A size the check finds wrong, or one that follows from another change.
        const std::string cause =
            Has("riff-size") || plan_.changes.empty() ? "riff-size" : plan_.changes.front().code;
        AddChange(placeholder ? FirstFound({"unfinished", "riff-size", "not-a-chunk"}) : cause, 4, 4,
                  "The RIFF size becomes " + std::to_string(riffSize) + " (it held " +
                      std::to_string(storedRiff) + "), the bytes that follow it in the copy.");
    } else if (out64 && !toSixtyFour && storedRiff != kMost32 && storedRiff != riffSize) {
        AddChange("riff-size", 4, 4,
                  "The RIFF size field becomes 0xFFFFFFFF: the ds64 chunk holds the size.");
    }
    // The ds64 fields.
    std::uint64_t sampleCount = 0;
    if (sixtyFour && document_.Ds64()) sampleCount = document_.Ds64()->sampleCount;
    for (OutChunk& chunk : out_) {
        if (chunk.id == "fact" && chunk.source && chunk.length >= 4 && format_.Linear() && frame_ > 0) {
            const std::uint64_t frames = plan_.audioBytes / frame_;
            const std::string stored = Read(chunk.from, 4);
            const std::uint64_t count = wavedoc::NumberIn(stored, order_);
            const std::uint64_t field = out64 && frames > kMost32 ? kMost32 : frames;
            if (out64 && count == kMost32) {
                if (sampleCount != frames) sampleCount = frames;
            } else if (count != field) {
                chunk.patches.push_back({0, Number(field, 4, order)});
                AddChange("fact-length", chunk.from, 4,
                          "The sample count of the \"fact\" chunk at offset " +
                              std::to_string(chunk.source->offset) + " becomes " + std::to_string(field) +
                              " (it held " + std::to_string(count) + "), the frames of the audio.");
                if (out64) sampleCount = frames;
            }
        }
    }
    // A ds64 chunk too short to hold a sample count gives none: the frames of
    // linear audio are its count.
    if (out64 && sampleCount == 0 && format_.Linear() && frame_ > 0) sampleCount = plan_.audioBytes / frame_;
    for (OutChunk& chunk : out_) {
        const bool sourceDs64 =
            chunk.source && chunk.source->id == layout::kDs64Id && chunk.source->offset == 12;
        if (!chunk.ds64 && !sourceDs64) continue;
        std::string fields =
            Number(riffSize, 8, order) + Number(plan_.audioBytes, 8, order) + Number(sampleCount, 8, order);
        if (sourceDs64) {
            const std::string stored =
                Read(chunk.from, std::min<std::uint64_t>(chunk.source->present, layout::kDs64Fields));
            const std::uint64_t tableLength =
                stored.size() >= 28 ? wavedoc::NumberIn(stored.substr(24, 4), order) : 0;
            fields += Number(tableLength, 4, order);
            if (chunk.copied < layout::kDs64Fields) {
                AddChange(FirstFound({"ds64-short"}), chunk.source->offset,
                          layout::kChunkHeaderSize + chunk.source->present,
                          "The ds64 chunk at offset 12 holds " + Bytes(chunk.source->present) +
                              ", too few for its fields: the copy's is 28 bytes, its table length 0.");
                chunk.made = fields;
            } else {
                const std::string storedFields = stored.substr(0, 24);
                if (storedFields != fields.substr(0, 24)) {
                    AddChange(FirstFound({"riff-size", "past-end", "unfinished"}), chunk.from, 24,
                              "The sizes of the ds64 chunk become those of the copy: RIFF size " +
                                  std::to_string(riffSize) + ", data size " +
                                  std::to_string(plan_.audioBytes) + ".");
                }
                chunk.patches.push_back({0, fields.substr(0, 24)});
            }
        } else {
            chunk.made = fields + Number(0, 4, order);
        }
    }
    // The pieces.
    std::vector<Piece>& pieces = plan_.pieces;
    const auto made = [&](std::string bytes) {
        if (bytes.empty()) return;
        if (!pieces.empty() && !pieces.back().copy) {
            pieces.back().bytes += bytes;
            pieces.back().length = pieces.back().bytes.size();
            return;
        }
        Piece piece;
        piece.length = bytes.size();
        piece.bytes = std::move(bytes);
        pieces.push_back(std::move(piece));
    };
    const auto copy = [&](std::uint64_t from, std::uint64_t length, bool audio) {
        if (length == 0) return;
        Piece piece;
        piece.copy = true;
        piece.from = from;
        piece.length = length;
        piece.audio = audio;
        pieces.push_back(piece);
    };
    made(formId + Number(riffField, 4, order) + head.substr(8, 4));
    for (const OutChunk& chunk : out_) {
        std::uint64_t sizeField = chunk.sizeField.value_or(chunk.length);
        if (chunk.audio && out64 &&
            (plan_.audioBytes > kMost32 || (chunk.source && chunk.source->size == kMost32))) {
            sizeField = kMost32;
        }
        if (chunk.audio && chunk.source && out64 && chunk.source->size != sizeField && !toSixtyFour &&
            chunk.source->size != plan_.audioBytes) {
            // An RF64 data size field that gives neither the size nor 0xFFFFFFFF.
            sizeField = kMost32;
        }
        if (chunk.audio && toSixtyFour) sizeField = kMost32;
        made(chunk.id + Number(std::min(sizeField, kMost32), 4, order));
        std::vector<Patch> patches = chunk.patches;
        std::sort(patches.begin(), patches.end(), [](const Patch& a, const Patch& b) { return a.at < b.at; });
        std::uint64_t at = 0;
        for (const Patch& patch : patches) {
            if (patch.at < at || patch.at + patch.bytes.size() > chunk.copied) continue;
            copy(chunk.from + at, patch.at - at, chunk.audio);
            made(patch.bytes);
            at = patch.at + patch.bytes.size();
        }
        copy(chunk.from + at, chunk.copied - at, chunk.audio);
        made(chunk.made);
        if (chunk.length % 2 == 1) made(std::string(1, '\0'));
    }
    plan_.destLength = 0;
    for (const Piece& piece : pieces) plan_.destLength += piece.length;
}

}  // namespace

bool AtTopLevel(const wavecheck::Finding& finding, const wavedoc::WaveDocument& document) {
    if (finding.chunkOffset < layout::kRiffHeaderSize) return true;
    const std::vector<MapEntry>& entries = document.Structure().entries;
    return std::any_of(entries.begin(), entries.end(), [&](const MapEntry& entry) {
        return entry.depth == 0 && entry.offset == finding.chunkOffset;
    });
}

Plan MakePlan(const report::Analysis& analysis) {
    Plan plan;
    plan.path = analysis.path;
    if (!analysis.Loaded()) {
        plan.refusal =
            analysis.error.empty() ? "\"" + analysis.path + "\" is not a WAV file." : analysis.error;
        return plan;
    }
    if (!analysis.findings) {
        plan.refusal =
            "\"" + analysis.path + "\" was not checked, and the mend answers the check's findings.";
        return plan;
    }
    if (!analysis.findings->Finished()) {
        plan.refusal = analysis.findings->unfinished;
        return plan;
    }
    try {
        const wavedoc::ReadingSession session(analysis.document->Source());
        Planner planner(analysis);
        return planner.Make();
    } catch (const wavedoc::WaveDocError& error) {
        plan.refusal = error.what();
    } catch (const std::bad_alloc&) {
        plan.refusal = "\"" + analysis.path + "\" could not be planned: memory ran out.";
    }
    return plan;
}

}  // namespace mend
