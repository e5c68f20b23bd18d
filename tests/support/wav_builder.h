#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Builds WAV files byte by byte for tests, so that every field, size and
// padding choice is explicit.
namespace wavtest {

inline std::string U32(std::uint32_t v) {
    std::string s(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}
inline std::string U16(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U64(std::uint64_t v) {
    return U32(static_cast<std::uint32_t>(v)) + U32(static_cast<std::uint32_t>(v >> 32));
}
inline std::string U8(std::uint8_t v) { return std::string(1, static_cast<char>(v)); }
// The same numbers most significant byte first, as a RIFX file stores them.
inline std::string BigU32(std::uint32_t v) {
    const std::string little = U32(v);
    return std::string(little.rbegin(), little.rend());
}
inline std::string BigU16(std::uint16_t v) {
    const std::string little = U16(v);
    return std::string(little.rbegin(), little.rend());
}

// `frames` frames of 16-bit stereo, no two neighbouring bytes alike, so
// that a byte moved or changed in a copy shows.
inline std::string PatternAudio(std::size_t frames) {
    std::string audio(frames * 4, '\0');
    for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<char>((i * 7 + i / 256) % 251);
    return audio;
}

// A chunk: id, stored size (the payload's length unless given), payload, and a
// pad byte after an odd payload unless told not to write it.
inline std::string Chunk(std::string_view id, std::string_view payload,
                         std::optional<std::uint32_t> storedSize = std::nullopt, bool writePad = true) {
    std::string out(id);
    out += U32(storedSize.value_or(static_cast<std::uint32_t>(payload.size())));
    out += payload;
    if (writePad && payload.size() % 2 == 1) out += '\0';
    return out;
}

// A whole RIFF file around the given chunks; the RIFF size is computed unless given.
inline std::string RiffFile(std::string_view chunks, std::string_view form = "WAVE",
                            std::optional<std::uint32_t> riffSize = std::nullopt) {
    std::string body(form);
    body += chunks;
    return "RIFF" + U32(riffSize.value_or(static_cast<std::uint32_t>(body.size()))) + body;
}

// The 16-byte PCM format payload.
inline std::string PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    return U16(1) + U16(channels) + U32(rate) + U32(rate * blockAlign) + U16(blockAlign) + U16(bits);
}

// A RIFX file: its chunks' sizes and fields most significant byte first.
inline std::string BigChunk(std::string_view id, std::string_view payload) {
    std::string out(id);
    out += BigU32(static_cast<std::uint32_t>(payload.size()));
    out += payload;
    if (payload.size() % 2 == 1) out += '\0';
    return out;
}
inline std::string RifxFile(std::string_view chunks) {
    return "RIFX" + BigU32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + std::string(chunks);
}
inline std::string BigPcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
    return BigU16(1) + BigU16(channels) + BigU32(rate) + BigU32(rate * blockAlign) + BigU16(blockAlign) +
           BigU16(bits);
}

// Payloads of the chunks that hold repeated records. Where a count field is
// written, it is the number of records unless given, so tests can make the
// count and the records disagree.

struct CuePointRecord {
    std::uint32_t id;
    std::uint32_t position;
    std::string dataChunkId = "data";
    std::uint32_t chunkStart = 0;
    std::uint32_t blockStart = 0;
    std::uint32_t sampleOffset = 0;
};

inline std::string CuePayload(const std::vector<CuePointRecord>& points,
                              std::optional<std::uint32_t> storedCount = std::nullopt) {
    std::string out = U32(storedCount.value_or(static_cast<std::uint32_t>(points.size())));
    for (const CuePointRecord& p : points) {
        out += U32(p.id) + U32(p.position) + p.dataChunkId + U32(p.chunkStart) + U32(p.blockStart) +
               U32(p.sampleOffset);
    }
    return out;
}

struct PlaySegmentRecord {
    std::uint32_t cuePointId;
    std::uint32_t length;
    std::uint32_t loops;
};

inline std::string PlstPayload(const std::vector<PlaySegmentRecord>& segments,
                               std::optional<std::uint32_t> storedCount = std::nullopt) {
    std::string out = U32(storedCount.value_or(static_cast<std::uint32_t>(segments.size())));
    for (const PlaySegmentRecord& s : segments) out += U32(s.cuePointId) + U32(s.length) + U32(s.loops);
    return out;
}

// A labl or note payload: cue point id, then the text and its terminating zero.
inline std::string LabelPayload(std::uint32_t cuePointId, std::string_view text) {
    return U32(cuePointId) + std::string(text) + '\0';
}

struct LabeledTextRecord {
    std::uint32_t cuePointId;
    std::uint32_t sampleLength;
    std::string purpose = "rgn ";
    std::uint16_t country = 0;
    std::uint16_t language = 0;
    std::uint16_t dialect = 0;
    std::uint16_t codePage = 0;
    std::string text;  // written with a terminating zero
};

inline std::string LtxtPayload(const LabeledTextRecord& t) {
    return U32(t.cuePointId) + U32(t.sampleLength) + t.purpose + U16(t.country) + U16(t.language) +
           U16(t.dialect) + U16(t.codePage) + t.text + '\0';
}

// A LIST payload: the list type, then sub-chunks built with Chunk().
inline std::string ListPayload(std::string_view listType, std::string_view subChunks) {
    return std::string(listType) + std::string(subChunks);
}

// `depth` LIST (adtl) chunks, each holding the next, the innermost holding
// `inner`; built outside in, so a deep nesting costs no more than its bytes.
inline std::string NestedLists(std::size_t depth, std::string_view inner) {
    std::string file;
    file.reserve(depth * 12 + inner.size());
    for (std::size_t level = 0; level < depth; ++level) {
        file += "LIST";
        const std::uint64_t size = 4 + (depth - level - 1) * 12 + inner.size();
        for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((size >> shift) & 0xFF);
        file += "adtl";
    }
    file += inner;
    return file;
}

struct SmplHeaderFields {
    std::uint32_t manufacturer = 0;
    std::uint32_t product = 0;
    std::uint32_t samplePeriod = 0;
    std::uint32_t midiUnityNote = 60;
    std::uint32_t midiPitchFraction = 0;
    std::uint32_t smpteFormat = 0;
    std::uint32_t smpteOffset = 0;
};

struct SampleLoopRecord {
    std::uint32_t cuePointId;
    std::uint32_t type;
    std::uint32_t start;
    std::uint32_t end;
    std::uint32_t fraction = 0;
    std::uint32_t playCount = 0;
};

// cbSamplerData is the length of samplerData.
inline std::string SmplPayload(const SmplHeaderFields& h, const std::vector<SampleLoopRecord>& loops,
                               std::string_view samplerData = {},
                               std::optional<std::uint32_t> storedLoopCount = std::nullopt) {
    std::string out = U32(h.manufacturer) + U32(h.product) + U32(h.samplePeriod) + U32(h.midiUnityNote) +
                      U32(h.midiPitchFraction) + U32(h.smpteFormat) + U32(h.smpteOffset) +
                      U32(storedLoopCount.value_or(static_cast<std::uint32_t>(loops.size()))) +
                      U32(static_cast<std::uint32_t>(samplerData.size()));
    for (const SampleLoopRecord& l : loops) {
        out +=
            U32(l.cuePointId) + U32(l.type) + U32(l.start) + U32(l.end) + U32(l.fraction) + U32(l.playCount);
    }
    return out + std::string(samplerData);
}

// The seven bytes of an inst chunk; fineTune and gain are signed.
inline std::string InstPayload(std::uint8_t unshiftedNote, std::int8_t fineTune, std::int8_t gain,
                               std::uint8_t lowNote, std::uint8_t highNote, std::uint8_t lowVelocity,
                               std::uint8_t highVelocity) {
    return U8(unshiftedNote) + U8(static_cast<std::uint8_t>(fineTune)) + U8(static_cast<std::uint8_t>(gain)) +
           U8(lowNote) + U8(highNote) + U8(lowVelocity) + U8(highVelocity);
}

}  // namespace wavtest
