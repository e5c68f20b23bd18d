// Seed files for the fuzzer.
//   make_seeds write DIR        writes the generated seeds (fuzz/seeds holds them)
//   make_seeds trim FILE OUT    copies a real WAV file with its data chunk cut to
//                               a few bytes, so that the chunks after the audio
//                               stay within the fuzzer's input length
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/wav_builder.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/chunk_walker.h"

namespace {

using namespace wavtest;

std::string Fmt() { return Chunk("fmt ", PcmFormat(2, 44100, 16)); }
std::string Data() { return Chunk("data", "abcd"); }

std::string EveryChunk() {
    const std::string adtl =
        ListPayload("adtl", Chunk("labl", LabelPayload(1, "Intro")) + Chunk("note", LabelPayload(2, "odd")) +
                                Chunk("ltxt", LtxtPayload({1, 480, "rgn ", 1, 2, 3, 4, "Verse"})));
    return RiffFile(Fmt() + Chunk("fact", U32(2)) + Chunk("wavl", Chunk("slnt", U32(9)) + Data()) +
                    Chunk("slnt", U32(100)) + Chunk("cue ", CuePayload({{1, 0}, {2, 2, "data", 0, 0, 2}})) +
                    Chunk("plst", PlstPayload({{1, 2, 3}})) + Chunk("LIST", adtl) +
                    Chunk("smpl", SmplPayload({1, 2, 22675, 60, 0, 25, 0}, {{1, 0, 0, 2}}, "xyz")) +
                    Chunk("inst", InstPayload(60, -3, 6, 0, 127, 1, 127)) +
                    Chunk("PAD ", std::string(3, '\0')) + Chunk("data", "abc"));
}

// WAVE_FORMAT_EXTENSIBLE with the IEEE float sub-format.
std::string Extensible() {
    const std::string guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    const std::string format = U16(0xFFFE) + U16(2) + U32(48000) + U32(384000) + U16(8) + U16(32) + U16(22) +
                               U16(32) + U32(3) + U16(3) + guidTail;
    return RiffFile(Chunk("fmt ", format) + Chunk("fact", U32(1)) + Chunk("data", std::string(8, '\0')));
}

// RF64: sizes of 0xFFFFFFFF for the RIFF and data chunks, the real ones in
// ds64, whose table sizes a JUNK chunk the same way.
std::string Rf64() {
    const auto u64 = [](std::uint32_t low) { return U32(low) + U32(0); };
    const std::string table = "JUNK" + u64(2);
    const std::string ds64 = Chunk("ds64", u64(98) + u64(4) + u64(2) + U32(1) + table);
    return "RF64" + U32(0xFFFFFFFF) + "WAVE" + ds64 + Fmt() + "data" + U32(0xFFFFFFFF) + "abcd" + "JUNK" +
           U32(0xFFFFFFFF) + "xy";
}

// RIFX: every number most significant byte first.
std::string BigEndian() {
    const auto b32 = [](std::uint32_t v) {
        const std::string bytes = U32(v);
        return std::string(bytes.rbegin(), bytes.rend());
    };
    const auto b16 = [](std::uint16_t v) {
        const std::string bytes = U16(v);
        return std::string(bytes.rbegin(), bytes.rend());
    };
    const std::string format = b16(1) + b16(1) + b32(8000) + b32(16000) + b16(2) + b16(16);
    const std::string cue = b32(1) + b32(1) + b32(0) + "data" + b32(0) + b32(0) + b32(1);
    const std::string body =
        "WAVE" + std::string("fmt ") + b32(16) + format + "cue " + b32(28) + cue + "data" + b32(4) + "abcd";
    return "RIFX" + b32(static_cast<std::uint32_t>(body.size())) + body;
}

std::vector<std::pair<std::string, std::string>> Seeds() {
    return {
        {"minimal.wav", RiffFile(Fmt() + Data())},
        {"every-chunk.wav", EveryChunk()},
        {"extensible.wav", Extensible()},
        {"data-first-no-pad.wav",
         RiffFile(Chunk("data", "abc", std::nullopt, false) + Chunk("fmt ", PcmFormat(1, 8000, 8)))},
        {"two-lists.wav",
         RiffFile(Fmt() + Chunk("LIST", ListPayload("INFO", Chunk("INAM", "Song"))) +
                  Chunk("list", ListPayload("adtl", Chunk("labl", LabelPayload(7, "x")))) + Data())},
        {"counts-too-high.wav",
         RiffFile(Fmt() + Chunk("cue ", CuePayload({{1, 0}}, 0x7FFFFFFF)) +
                  Chunk("smpl", SmplPayload({}, {{1, 0, 0, 2}}, {}, 0x7FFFFFFF)) + Data())},
        {"data-past-end.wav", RiffFile(Fmt() + Chunk("data", "abcd", 0xFFFFFFF0u), "WAVE", 0xFFFFFFFFu)},
        {"rifx.wav", "RIFX" + U32(4) + "WAVE"},
        {"rf64.wav", Rf64()},
        {"rifx-whole.wav", BigEndian()},
    };
}

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The file's RIFF header and top-level chunks, each data chunk cut to 16 bytes;
// whatever the walk does not reach (a damaged tail) is left out.
std::string TrimmedCopy(const std::string& bytes) {
    constexpr std::uint64_t kHeadSize = 12;
    constexpr std::uint64_t kKeptSamples = 16;
    const auto source = wavedoc::MakeMemorySource(bytes, "seed");
    std::string out = bytes.substr(0, kHeadSize);
    wavedoc::ChunkWalker walker(*source, kHeadSize, source->Length());
    while (const std::optional<wavedoc::ChunkHeader> header = walker.Next()) {
        std::string content = source->Read(header->dataOffset, header->presentSize);
        std::uint32_t storedSize = header->storedSize;
        if (header->id == "data" && content.size() > kKeptSamples) {
            content.resize(kKeptSamples);
            storedSize = kKeptSamples;
        }
        out += Chunk(header->id, content, storedSize);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 3) {
        for (const auto& [name, bytes] : Seeds()) {
            if (!WriteAll(std::string(argv[2]) + "/" + name, bytes)) {
                std::cerr << "make_seeds: cannot write " << name << "\n";
                return 1;
            }
        }
        return 0;
    }
    if (command == "trim" && argc == 4) {
        if (WriteAll(argv[3], TrimmedCopy(ReadAll(argv[2])))) return 0;
        std::cerr << "make_seeds: cannot write " << argv[3] << "\n";
        return 1;
    }
    std::cerr << "Usage: make_seeds write DIR | make_seeds trim FILE OUT\n";
    return 2;
}
