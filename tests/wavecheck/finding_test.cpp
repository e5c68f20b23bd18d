#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "report/sound_measuring.h"
#include "support/corpus.h"
#include "support/metadata_builder.h"
#include "support/scratch_dir.h"
#include "support/wav_builder.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"
#include "wavedoc/document/wave_document.h"

namespace {

using namespace wavtest;
using wavecheck::Finding;
using wavecheck::Level;

wavecheck::Findings CheckAll(const std::string& bytes) {
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check({.verifyMd5 = true, .progress = {}});
    EXPECT_EQ(document.LoadFromMemory(bytes, "test.wav", &check, wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk);
    const report::MeasureWatch measuring;
    return report::FinishCheck(check, document, &measuring).findings;
}

std::vector<Finding> Check(const std::string& bytes) { return CheckAll(bytes).shown; }

std::string Describe(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings) {
        out += std::string(wavecheck::LevelName(f.level)) + " " + f.code + " @" + std::to_string(f.offset) +
               " [" + f.chunk + "] " + f.message + "\n";
    }
    return out;
}

// Mono 16-bit PCM at offset 12, then 8 bytes of audio (4 frames) at offset 36;
// what a test adds starts at offset 52.
const std::string kFmt = Chunk("fmt ", PcmFormat(1, 8000, 16));
const std::string kData = Chunk("data", std::string(8, '\0'));

std::string Wav(const std::string& more) { return RiffFile(kFmt + kData + more); }

// The same chunks in an RF64 file: its RIFF size is the real one.
std::string Rf64(const std::string& chunks) { return "RF64" + RiffFile(chunks).substr(4); }
// A ds64 chunk with the sizes of a small file and `tableLength` as stored.
std::string Ds64(std::uint32_t tableLength, const std::string& table = {}, std::uint32_t riffSize = 1000) {
    const auto u64 = [](std::uint32_t low) { return U32(low) + U32(0); };
    return Chunk("ds64", u64(riffSize) + u64(8) + u64(4) + U32(tableLength) + table);
}
// An RF64 file whose RIFF size field leaves the size to ds64.
std::string Rf64SizeInDs64(const std::string& chunks) { return "RF64" + U32(0xFFFFFFFF) + "WAVE" + chunks; }

std::string Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint32_t byteRate,
                   std::uint16_t blockAlign, std::uint16_t bits) {
    return U16(tag) + U16(channels) + U32(rate) + U32(byteRate) + U16(blockAlign) + U16(bits);
}
std::string WithFormat(const std::string& payload) { return RiffFile(Chunk("fmt ", payload) + kData); }

// Stereo 16-bit extensible, 40 bytes, with the plain format code subTag as its sub-format.
struct Extensible {
    std::uint16_t blockAlign = 4;
    std::uint16_t cbSize = 22;
    std::uint16_t validBits = 16;
    std::uint32_t mask = 0x3;
    std::uint16_t subTag = 1;
    std::string Bytes() const {
        return Format(0xFFFE, 2, 8000, 8000u * blockAlign, blockAlign, 16) + U16(cbSize) + U16(validBits) +
               U32(mask) + U16(subTag) +
               std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
};

// IMA ADPCM: 256-byte blocks, cbSize 2 and samples per block.
const std::string kImaFormat = Format(0x11, 1, 8000, 4055, 256, 4) + U16(2) + U16(505);

// One cue point, id 1, 36 bytes at offset 52: what follows starts at 88.
std::string CueAt(std::uint32_t sampleOffset) {
    return Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, sampleOffset}}));
}
const std::string kCue1 = CueAt(0);
// An associated data list at 88 after kCue1: its first sub-chunk starts at 100.
std::string Adtl(const std::string& subChunks) { return Chunk("LIST", ListPayload("adtl", subChunks)); }

std::string Smpl(std::uint32_t unityNote, std::vector<SampleLoopRecord> loops, std::string samplerData = {},
                 std::optional<std::uint32_t> loopCount = std::nullopt) {
    SmplHeaderFields fields;
    fields.midiUnityNote = unityNote;
    return Chunk("smpl", SmplPayload(fields, loops, samplerData, loopCount));
}

std::string WithSamplerDataSize(std::string payload, std::uint32_t size) {
    payload.replace(32, 4, U32(size));
    return payload;
}

// An INFO list at offset 52: its first item starts at 64.
std::string Info(const std::string& items) { return Wav(Chunk("LIST", ListPayload("INFO", items))); }

// A bext chunk at offset 52.
std::string Bext(const BextFields& fields) { return Wav(Chunk("bext", BextPayload(fields))); }
// The same in a RIFX file: mono 16-bit PCM, 4 frames of silence, then the
// bext chunk at offset 52, every number most significant byte first.
std::string RifxBext(BextFields fields) {
    fields.bigEndian = true;
    return RifxFile(BigChunk("fmt ", BigPcmFormat(1, 8000, 16)) + BigChunk("data", std::string(8, '\0')) +
                    BigChunk("bext", BextPayload(fields)));
}

struct Case {
    std::string code;
    std::string what;       // what the raising file shows
    std::uint64_t offset;   // where its finding points
    std::string raises;     // the smallest file that raises the code
    std::string nearMiss;   // the file next to it that does not
    Level level;            // the level it is raised at
    std::string says = {};  // words its sentence holds, where the wording counts something
};

std::string Repeated(const std::string& part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += part;
    return out;
}

std::vector<Case> Cases() {
    const SmplHeaderFields plain;
    return {
        {"riff-size", "size field too large", 0, RiffFile(kFmt + kData, "WAVE", 1000), Wav(""),
         Level::Warning},
        {"riff-size", "RIFF end inside the data chunk", 0, RiffFile(kFmt + kData, "WAVE", 36),
         RiffFile(kFmt + kData, "WAVE", 36 + 8), Level::Error},
        {"riff-size", "ends before the data chunk: readers that go by it find no audio", 0,
         RiffFile(kFmt + kData, "WAVE", 28), Wav(""), Level::Error,
         "so the RIFF chunk ends at offset 36, before the \"data\" chunk at offset 36; readers that go by it "
         "find "
         "no audio."},
        {"riff-size", "over by fewer bytes than a header after whole chunks", 0,
         RiffFile(kFmt + kData, "WAVE", 47), RiffFile(kFmt + kData + "abc", "WAVE", 52), Level::Warning,
         "3 bytes more than there are, too few for a chunk header, so no chunk is missing"},
        {"riff-size", "one byte more than the missing pad byte", 0,
         RiffFile(kFmt + Chunk("data", "abc", std::nullopt, false), "WAVE", 41),
         RiffFile(kFmt + Chunk("data", "abc", std::nullopt, false), "WAVE", 40), Level::Warning},
        {"unfinished", "FFmpeg's placeholders", 36,
         RiffFile(kFmt + Chunk("data", "dd", 0xFFFFFFFF), "WAVE", 0xFFFFFFFF),
         RiffFile(kFmt + Chunk("data", "dd", 1000), "WAVE", 1000), Level::Warning},
        {"unfinished", "RF64 whose ds64 chunk leaves the RIFF size 0", 0,
         Rf64SizeInDs64(Ds64(0, {}, 0) + kFmt + kData), Rf64SizeInDs64(Ds64(0, {}, 80) + kFmt + kData),
         Level::Warning, "never finished: the RIFF size in its ds64 chunk holds 0, a placeholder its writer"},
        {"unfinished", "chunks after the audio of a placeholder data chunk", 36,
         RiffFile(kFmt + Chunk("data",
                               std::string(8, '\0') + Chunk("LIST", ListPayload("INFO", Chunk("INAM", "ab"))),
                               0xFFFFFFFF),
                  "WAVE", 0xFFFFFFFF),
         Wav(""), Level::Error,
         "Its last 22 bytes, from offset 52, are 1 chunk written after the audio, the first a \"LIST\" "
         "chunk;"},
        {"unfinished", "chunks after the audio of a RIFX file, sizes most significant byte first", 36,
         "RIFX" + std::string("\xFF\xFF\xFF\xFF", 4) + "WAVE" + "fmt " + std::string("\0\0\0\x10", 4) +
             std::string("\0\x01\0\x01\0\0\x1F\x40\0\0\x3E\x80\0\x02\0\x10", 16) + "data" +
             std::string("\xFF\xFF\xFF\xFF", 4) + std::string(8, '\0') + "JUNK" +
             std::string("\0\0\0\x02", 4) + "ab",
         Wav(""), Level::Error, "the first a \"JUNK\" chunk;"},
        {"byte-order", "a RIFX head on a file written least significant byte first", 0,
         "RIFX" + Wav("").substr(4), Wav(""), Level::Error,
         "but its sizes fit the file only the other way round"},
        {"unfinished", "SoX's sizes on a pipe", 36,
         RiffFile(kFmt + Chunk("data", "dd", 0x7FFFF000), "WAVE", 0x7FFFF024), Wav(""), Level::Warning},
        {"past-end", "data size past the end", 36, RiffFile(kFmt + Chunk("data", std::string(8, '\0'), 100)),
         Wav(""), Level::Error},
        {"past-end", "a file cut short: its RIFF size past the end too", 36,
         RiffFile(kFmt + Chunk("data", std::string(8, '\0'), 0xFFFFFF9B), "WAVE", 1000),
         RiffFile(kFmt + Chunk("data", std::string(8, '\0'), 0xFFFFFF9B)), Level::Error},
        {"unfinished", "a bogus data size (-101) where the RIFF size fits the file", 36,
         RiffFile(kFmt + Chunk("data", std::string(8, '\0'), 0xFFFFFF9B)), Wav(""), Level::Warning,
         "never given the size of its audio: its \"data\" chunk's size field holds 0xFFFFFF9B"},
        {"cut-header", "three bytes after the last chunk: too few for a header, skipped", 52, Wav("abc"),
         Wav(Chunk("abcd", "")), Level::Warning,
         "are too few for a chunk header, so no chunk starts there; readers skip them, though some "
         "complain."},
        {"cut-header", "the file ends inside a header the RIFF size counts", 52,
         RiffFile(kFmt + kData + "abc", "WAVE", 52), Wav(Chunk("abcd", "")), Level::Error,
         "The file ends 3 bytes into a chunk header at offset 52, though the RIFF size says 5 bytes follow"},
        {"not-a-chunk", "unprintable id before the data chunk", 36,
         RiffFile(kFmt + "\x01\x02\x03\x04" + U32(0) + Chunk("junk", "") + kData), Wav(Chunk("junk", "")),
         Level::Error, "readers stop there too and find no \"data\" chunk, so they play nothing."},
        {"not-a-chunk", "stray bytes hiding a chunk after them", 52,
         Wav("\x01\x02\x03" + Chunk("smpl", SmplPayload({}, {}))), Wav(Chunk("smpl", SmplPayload({}, {}))),
         Level::Error, "but a \"smpl\" chunk id stands among them at offset 55: readers stop before it"},
        {"unfinished", "audio after a data chunk of size 0, a streaming placeholder", 44,
         RiffFile(kFmt + Chunk("data", "", 0) + std::string(8, '\x01')), Wav(""), Level::Error,
         "whose size of 0 a streaming writer likely never filled in, so they are likely its audio;"},
        {"not-a-chunk", "a data chunk whose size takes in the start of the chunk after it", 56,
         RiffFile(kFmt +
                  Chunk("data",
                        std::string(8, '\0') +
                            Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcd"))).substr(0, 4),
                        12) +
                  Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcd"))).substr(4)),
         Wav(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcd")))), Level::Error,
         "takes in the start of the \"LIST\" chunk at offset 52, whose rest they are;"},
        {"not-a-chunk", "stray bytes after the fmt and data chunks", 52,
         Wav("\x01\x02\x03\x04" + U32(7) + "x"), Wav(Chunk("junk", "")), Level::Warning,
         "readers that take them for a chunk find it too big and complain."},
        {"not-a-chunk", "one chunk with an unprintable id, nothing after it", 52,
         Wav("\x01\x02\x03\x04" + U32(0)), Wav(Chunk("junk", "")), Level::Warning,
         "are a chunk whose id \"\\x01\\x02\\x03\\x04\" is not four printable"},
        {"pad-missing", "odd chunk without pad before another", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) +
             Chunk("LIST", ListPayload("INFO", Chunk("INAM", "ab")))),
         Wav(Chunk("xtra", "abc") + Chunk("LIST", ListPayload("INFO", Chunk("INAM", "ab")))), Level::Error,
         "readers that expect one miss the \"LIST\" chunk after it and all after it."},
        {"pad-missing", "before a last list of no items: nothing lost", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + Chunk("LIST", "INFO")),
         Wav(Chunk("xtra", "abc") + Chunk("LIST", "INFO")), Level::Warning, "which holds nothing they show;"},
        {"pad-missing", "before a last chunk no reader reads", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + Chunk("iXTC", "1234")),
         Wav(Chunk("xtra", "abc") + Chunk("iXTC", "1234")), Level::Warning},
        {"pad-missing", "before a chunk no reader reads, with a list after it", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + Chunk("iXTC", "1234") + Chunk("LIST", "INFO")),
         Wav(Chunk("xtra", "abc") + Chunk("iXTC", "1234") + Chunk("LIST", "INFO")), Level::Error},
        {"pad-missing", "odd chunk without pad before filler", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + Chunk("JUNK", "")),
         Wav(Chunk("xtra", "abc") + Chunk("JUNK", "")), Level::Warning},
        {"pad-missing", "nothing follows the last chunk", 52, Wav(Chunk("xtra", "abc", std::nullopt, false)),
         Wav(Chunk("xtra", "abc")), Level::Note},
        {"pad-not-zero", "pad byte 'A'", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + "A" + Chunk("more", "")),
         Wav(Chunk("xtra", "abc") + Chunk("more", "")), Level::Note},
        {"pad-not-zero", "not where the content was cut out and the next id follows", 52,
         Wav(Chunk("xtra", "abc", std::nullopt, false) + "A" + Chunk("more", "")),
         Wav(Chunk("xtra", "", 3) + Chunk("more", "")), Level::Note},
        {"pad-missing", "before the data chunk: no reader finds the audio", 36,
         RiffFile(kFmt + Chunk("xtra", "abc", std::nullopt, false) + kData), Wav(""), Level::Error,
         "readers that expect one miss the \"data\" chunk after it and find no audio."},
        {"pad-missing", "before the fmt chunk", 12,
         RiffFile(Chunk("xtra", "abc", std::nullopt, false) + kFmt + kData), Wav(""), Level::Error,
         "and find no format."},
        {"list-size-odd", "stray bytes make a list odd, a smpl chunk after it", 52,
         Wav(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcd")) + std::string(3, '\0')) + Smpl(60, {})),
         Wav(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcd")) + std::string(3, '\0'))), Level::Error,
         "(libsndfile) read the \"smpl\" chunk at offset 80 one byte early and lose it."},
        {"fmt-size-odd", "a 17-byte fmt chunk and its pad byte", 12,
         RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16) + std::string(1, '\0')) + kData),
         RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16) + std::string(2, '\0')) + kData), Level::Error,
         "(SoX) miss the \"data\" chunk at offset 38 and what follows, and find no audio."},
        {"fmt-rifx", "an 18-byte fmt chunk in a RIFX file", 12,
         RifxFile(BigChunk("fmt ", BigPcmFormat(1, 8000, 16) + std::string(2, '\0')) +
                  BigChunk("data", std::string(8, '\0'))),
         RifxFile(BigChunk("fmt ", BigPcmFormat(1, 8000, 16)) + BigChunk("data", std::string(8, '\0'))),
         Level::Error, "(FFmpeg) refuse it."},
        {"chunk-id", "a leading space", 52, Wav(Chunk(" abc", "")), Wav(Chunk("ab  ", "")), Level::Note,
         "The id of the chunk at offset 52, \" abc\", has a space before another character;"},
        {"chunk-id", "an embedded space", 52, Wav(Chunk("a bc", "")), Wav(Chunk("abc ", "")), Level::Note},
        {"duplicate", "second fmt: libsndfile refuses the file", 52, Wav(kFmt),
         Wav(Chunk("LIST", "INFO") + Chunk("LIST", "INFO")), Level::Error, "(libsndfile) refuse the file"},
        {"duplicate", "second cue chunk", 88, Wav(kCue1 + kCue1), Wav(kCue1), Level::Warning,
         "readers (Ondulo too) take the first"},
        {"duplicate", "second MD5 chunk", 76,
         Wav(Chunk("MD5 ", std::string(16, 'x')) + Chunk("MD5 ", std::string(16, 'x'))),
         Wav(Chunk("MD5 ", std::string(16, 'x'))), Level::Note},
        {"duplicate", "second ds64 chunk", 72, Rf64(Ds64(0) + kFmt + Ds64(0) + kData),
         Rf64(Ds64(0) + kFmt + kData), Level::Error, "and some readers refuse a file with two."},
        {"fmt-missing", "data alone", 0, RiffFile(kData), Wav(""), Level::Error},
        {"data-missing", "fmt alone", 0, RiffFile(kFmt), Wav(""), Level::Error},
        {"data-before-fmt", "data first: most readers refuse the file", 12, RiffFile(kData + kFmt), Wav(""),
         Level::Error, "(libsndfile, SoX, Python's wave, SciPy) refuse the file."},
        {"trailing-bytes", "an ID3 tag after the RIFF end, which tag readers do not find", 52,
         Wav("") + Chunk("id3 ", "ID3"), Wav(Chunk("id3 ", "ID3")), Level::Error,
         "they hold the \"id3 \" chunk at offset 52, whose ID3 tag readers that stop at the RIFF size "
         "(mutagen)"},
        {"trailing-bytes", "a list after the RIFF end, which libsndfile and FFmpeg read all the same", 52,
         Wav("") + Chunk("LIST", ListPayload("INFO", Chunk("INAM", "ab"))),
         Wav(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "ab")))), Level::Note,
         "which readers that stop at the RIFF size miss, though libsndfile and FFmpeg read it."},
        {"trailing-bytes", "stray bytes after the RIFF end", 52, Wav("") + "\x01\x02\x03", Wav(""),
         Level::Note, "they hold no whole chunk, so nothing is lost."},
        {"trailing-bytes", "placeholder RIFF size", 52, Wav("") + Chunk("junk", ""),
         RiffFile(kFmt + kData, "WAVE", 0) + Chunk("junk", ""), Level::Note},
        {"fmt-short", "14-byte fmt", 12, WithFormat(PcmFormat(1, 8000, 16).substr(0, 14)), Wav(""),
         Level::Error},
        {"fmt-zero", "no channels", 12, WithFormat(Format(1, 0, 8000, 16000, 2, 16)), Wav(""), Level::Error},
        {"fmt-zero", "no sample rate", 12, WithFormat(Format(1, 1, 0, 0, 2, 16)), Wav(""), Level::Error},
        {"sample-size", "7-bit PCM", 12, WithFormat(Format(1, 1, 8000, 8000, 1, 7)),
         WithFormat(Format(1, 1, 8000, 8000, 1, 8)), Level::Error, "gives 7-bit PCM samples, a size"},
        {"sample-size", "64-bit PCM", 12, WithFormat(Format(1, 1, 8000, 64000, 8, 64)),
         WithFormat(Format(1, 1, 8000, 32000, 4, 32)), Level::Error},
        {"sample-size", "24-bit float", 12, WithFormat(Format(3, 1, 8000, 24000, 3, 24)),
         WithFormat(Format(3, 1, 8000, 64000, 8, 64)), Level::Error},
        {"sample-rate", "8 Hz", 12, WithFormat(Format(1, 1, 8, 16, 2, 16)),
         WithFormat(Format(1, 1, 8000, 16000, 2, 16)), Level::Warning, "a sample rate of 8 Hz (0x00000008)"},
        {"sample-rate", "a stray high byte above 44100 Hz, the byte rate right for 44100", 12,
         WithFormat(Format(1, 1, 0x1000AC44, 88200, 2, 16)), WithFormat(Format(1, 1, 44100, 88200, 2, 16)),
         Level::Error, "its byte rate fits 44100 Hz, the rate without its high byte"},
        {"byte-rate", "not where the sample rate holds the stray byte", 12,
         WithFormat(Format(1, 1, 44100, 44100, 2, 16)), WithFormat(Format(1, 1, 0x1000AC44, 88200, 2, 16)),
         Level::Error},
        {"byte-rate", "0 beside a block align of 0", 12, WithFormat(Format(1, 1, 8000, 0, 0, 16)),
         WithFormat(Format(1, 1, 8000, 16000, 0, 16)), Level::Error,
         "gives 0 bytes per second, but 8000 frames per second of 2 bytes each make 16000 bytes per second;"},
        {"byte-rate", "not from a wrong block align when right for the channels and bits", 12,
         WithFormat(Format(1, 2, 8000, 16000, 2, 16)), WithFormat(Format(1, 2, 8000, 32000, 2, 16)),
         Level::Error},
        {"block-align", "stereo in 2 bytes", 12, WithFormat(Format(1, 2, 8000, 16000, 2, 16)),
         WithFormat(Format(1, 1, 8000, 16000, 2, 12)), Level::Error,
         "block align of 2 bytes, but a frame of 16-bit samples in 2 channels takes 4 bytes; most readers "
         "work "
         "the "
         "frame out from those, but some (SciPy) refuse the file."},
        {"block-align", "3 for 4-byte frames: FFmpeg's packets split frames", 12,
         RiffFile(Chunk("fmt ", Format(1, 2, 8000, 32000, 3, 16)) + Chunk("data", std::string(8192, '\0'))),
         WithFormat(Format(1, 2, 8000, 32000, 4, 16)), Level::Error,
         "readers that read by blocks split frames and lose samples."},
        {
            "block-align",
            "8-bit mono in 2 bytes",
            12,
            WithFormat(Format(1, 1, 8000, 16000, 2, 8)),
            WithFormat(Format(1, 1, 8000, 8000, 1, 8)),
            Level::Error,
            "block align of 2 bytes, but a frame of 8-bit samples in 1 channel takes 1 byte; most readers "
            "work "
            "the frame out",
        },
        {"block-align", "0: readers work the frame out", 12, WithFormat(Format(1, 1, 8000, 16000, 0, 16)),
         WithFormat(Format(1, 1, 8000, 16000, 2, 16)), Level::Error, "but some (SciPy) refuse the file."},
        {"block-align", "extensible PCM", 12, WithFormat(Extensible{.blockAlign = 2}.Bytes()),
         WithFormat(Extensible{.blockAlign = 2, .subTag = 0x11}.Bytes()), Level::Error},
        {"byte-rate", "half the byte rate", 12, WithFormat(Format(1, 1, 8000, 8000, 2, 16)),
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(0)) + kData), Level::Error,
         "gives 8000 bytes per second, but 8000 frames per second of 2 bytes each make 16000 bytes per "
         "second; readers that hold the fields to each other (SciPy) refuse the file."},
        {"byte-rate", "one frame per second", 12, WithFormat(Format(1, 1, 1, 1, 2, 16)),
         WithFormat(Format(1, 1, 1, 2, 2, 16)), Level::Error,
         "gives 1 byte per second, but 1 frame per second of 2 bytes makes 2 bytes per second;"},
        {"cb-size", "extension past the chunk", 12, WithFormat(Format(1, 1, 8000, 16000, 2, 16) + U16(4)),
         WithFormat(Format(1, 1, 8000, 16000, 2, 16) + U16(4) + "abcd"), Level::Warning},
        {"cb-size", "extensible with a short extension", 12, WithFormat(Extensible{.cbSize = 10}.Bytes()),
         WithFormat(Extensible{}.Bytes()), Level::Warning},
        {"cb-size", "not from the bytes of a chunk the fmt chunk swallows", 12,
         WithFormat(Format(1, 1, 8000, 16000, 2, 16) + U16(4)),
         RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16), 100) + kData), Level::Warning},
        {"fmt-extra", "bytes after the extension", 12, WithFormat(PcmFormat(1, 8000, 16) + U16(0) + "abcd"),
         WithFormat(PcmFormat(1, 8000, 16) + U16(0)), Level::Note,
         "holds 4 bytes after its extension, which its extension size (cbSize) of 0 does not count;"},
        {"valid-bits", "17 valid bits in 16", 12, WithFormat(Extensible{.validBits = 17}.Bytes()),
         WithFormat(Extensible{.validBits = 16}.Bytes()), Level::Warning,
         "says 17 bits of each sample are valid, but its samples are only 16 bits wide."},
        {"channel-mask", "three speakers, two channels", 12, WithFormat(Extensible{.mask = 0x7}.Bytes()),
         WithFormat(Extensible{.mask = 0x3}.Bytes()), Level::Warning},
        {"fact-missing", "IMA ADPCM without fact", 12, WithFormat(kImaFormat),
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(0)) + kData), Level::Warning},
        {"fact-missing", "A-law needs none", 12, WithFormat(Format(6, 1, 8000, 8000, 1, 8)),
         WithFormat(Format(1, 1, 8000, 16000, 2, 16)), Level::Note,
         "follows from the sizes of the \"data\" chunk and of its samples."},
        {"fact-missing", "float needs none", 12, WithFormat(Format(3, 1, 8000, 32000, 4, 32)),
         RiffFile(Chunk("fmt ", Format(3, 1, 8000, 32000, 4, 32)) + Chunk("fact", U32(2)) + kData),
         Level::Note},
        {"fact-length", "fact says 5 frames", 36, RiffFile(kFmt + Chunk("fact", U32(5)) + kData),
         RiffFile(kFmt + Chunk("fact", U32(4)) + kData), Level::Note},
        {"fact-length", "text where the count belongs", 36, RiffFile(kFmt + Chunk("fact", "FILT") + kData),
         RiffFile(kFmt + Chunk("fact", U32(4)) + kData), Level::Note,
         "gives the bytes \"FILT\" where its length belongs (read as 1414285638 samples per channel)"},
        {"fact-length", "not when the data chunk is cut and the count fits its size", 36,
         RiffFile(kFmt + Chunk("fact", U32(5)) + kData),
         RiffFile(kFmt + Chunk("fact", U32(4)) + kData).substr(0, 60), Level::Note},
        {"fact-length", "IMA ADPCM: more samples than its blocks hold", 40,
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(1010)) +
                  Chunk("data", std::string(300, '\0'))),
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(580)) +
                  Chunk("data", std::string(300, '\0'))),
         Level::Warning, "blocks hold at most 586 samples per channel."},
        {"partial-frame", "7 bytes of 2-byte frames", 36,
         RiffFile(kFmt + Chunk("data", std::string(7, '\0'))),
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(580)) +
                  Chunk("data", std::string(300, '\0'))),
         Level::Warning, "holds 7 bytes, not a whole number of 2-byte frames: 1 byte is left over."},
        {"partial-frame", "7 bytes of 4-byte frames", 36,
         RiffFile(Chunk("fmt ", Format(1, 2, 8000, 32000, 4, 16)) + Chunk("data", std::string(7, '\0'))),
         RiffFile(Chunk("fmt ", Format(1, 2, 8000, 32000, 4, 16)) + Chunk("data", std::string(8, '\0'))),
         Level::Warning, "holds 7 bytes, not a whole number of 4-byte frames: 3 bytes are left over."},
        {"partial-frame", "the pad byte counted in the size of 24-bit audio, which SciPy refuses", 36,
         RiffFile(Chunk("fmt ", Format(1, 1, 8000, 24000, 3, 24)) + Chunk("data", std::string(10, '\0'))),
         Wav(""), Level::Error, "holds 10 bytes, one more than its 3 frames of 3 bytes:"},
        {"partial-frame", "the pad byte counted after one frame of 8-bit samples in 3 channels", 36,
         RiffFile(Chunk("fmt ", Format(1, 3, 8000, 24000, 3, 8)) + Chunk("data", std::string(4, '\0'))),
         Wav(""), Level::Note, "holds 4 bytes, one more than its 1 frame of 3 bytes:"},
        {"cue-count", "count 3, two records: libsndfile reads past the chunk", 52,
         Wav(Chunk("cue ", CuePayload({{1, 0}, {2, 0}}, 3))),
         Wav(Chunk("cue ", CuePayload({{1, 0}, {2, 0}}))), Level::Error,
         "readers that go by the count read past the chunk."},
        {"cue-count", "count 1, two records", 52, Wav(Chunk("cue ", CuePayload({{1, 0}, {2, 0}}, 1))),
         Wav(Chunk("cue ", CuePayload({{1, 0}}, 1))), Level::Warning},
        {"cue-past-data", "cue at frame 5 of 4", 64, Wav(CueAt(5)), Wav(CueAt(4)), Level::Warning},
        {"cue-past-data", "IMA ADPCM: past the fact chunk's length", 372,
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(580)) +
                  Chunk("data", std::string(300, '\0')) + CueAt(581)),
         RiffFile(Chunk("fmt ", kImaFormat) + Chunk("fact", U32(580)) +
                  Chunk("data", std::string(300, '\0')) + CueAt(580)),
         Level::Warning},
        {"md5-mismatch", "a digest of other audio", 52, Wav(Chunk("MD5 ", std::string(16, 'x'))),
         Wav(Chunk("MD5 ",
                   std::string("\x74\xf4\xd4\xa3\x52\x49\x6a\x95\x00\x8e\xac\x3f\x2b\x36\xea\x7d", 16))),
         Level::Error},
        {"md5-mismatch", "a digest stored in md5sum's order is taken too", 52,
         Wav(Chunk("MD5 ", std::string(16, '\0'))),
         Wav(Chunk("MD5 ",
                   std::string("\x7d\xea\x36\x2b\x3f\xac\x8e\x00\x95\x6a\x49\x52\xa3\xd4\xf4\x74", 16))),
         Level::Error},
        // The audio of these files is 4 frames of silence: its loudness is
        // -inf, below the meter's gate, and its peak 0.
        {"loudness-mismatch", "a loudness given for silence", 52,
         Bext({.version = 2, .loudness = {-2300, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}}),
         Bext({.version = 2, .loudness = {-7000, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}}), Level::Warning,
         "gives LoudnessValue -23.00 LUFS, but the audio measures -inf LUFS."},
        {"loudness-mismatch", "a true peak given for silence", 52,
         Bext({.version = 2, .loudness = {-8000, 0, -100, -8000, -8000}}),
         Bext({.version = 2, .loudness = {-8000, 0, -8000, -8000, -8000}}), Level::Warning,
         "gives MaxTruePeakLevel -1.00 dBTP"},
        {"loudness-mismatch",
         "a loudness given for silence; fields all zero are never measured, a range of 4 frames never judged",
         52, Bext({.version = 2, .loudness = {-1800, 0, 0, 0, 0}}),
         Bext({.version = 2, .loudness = {-8000, 300, 0x7FFF, 0x7FFF, 0x7FFF}}), Level::Warning,
         "gives LoudnessValue -18.00 LUFS, but the audio measures -inf LUFS."},
        {"loudness-mismatch", "a loudness given for silence in a RIFX file, read in its byte order", 52,
         RifxBext({.version = 2, .loudness = {-2300, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}}),
         RifxBext({.version = 2, .loudness = {-7000, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}}), Level::Warning,
         "gives LoudnessValue -23.00 LUFS, but the audio measures -inf LUFS."},
        {"loudness-mismatch", "version 1 has no loudness to compare", 52,
         Bext({.version = 2, .loudness = {-2300, 0, 0, 0, 0}}),
         Bext({.version = 1, .loudness = {-2300, 0, 0, 0, 0}}), Level::Warning},
        {"peak-mismatch", "a peak of 0.5 in silence", 60,
         Wav(Chunk("PEAK", U32(1) + U32(0) + U32(0x3F000000) + U32(0))),
         Wav(Chunk("PEAK", U32(1) + U32(0) + U32(0) + U32(2))), Level::Warning,
         "gives the peak of channel 1 as 0.5 at frame 0, but the audio's peak is 0, first at frame 0."},
        {"peak-mismatch", "the peak put past the audio", 64,
         Wav(Chunk("PEAK", U32(1) + U32(0) + U32(0) + U32(4))),
         Wav(Chunk("PEAK", U32(1) + U32(0) + U32(0) + U32(3))), Level::Warning,
         "puts the peak of channel 1 at frame 4, past the audio's 4 frames;"},
        {"samples-not-finite", "a NaN in the second of 3 float frames", 48,
         RiffFile(Chunk("fmt ", U16(3) + U16(1) + U32(8000) + U32(32000) + U16(4) + U16(32)) +
                  Chunk("data", U32(0) + U32(0x7FC00000) + U32(0xFF800000))),
         RiffFile(Chunk("fmt ", U16(3) + U16(1) + U32(8000) + U32(32000) + U16(4) + U16(32)) +
                  Chunk("data", U32(0) + U32(0x7F7FFFFF) + U32(0xFF7FFFFF))),
         Level::Error, "Channel 1 holds 1 NaN sample and 1 infinite sample, the first at frame 1:"},
        {"ds64-missing", "RF64 without ds64", 0, Rf64(kFmt + kData), Rf64(Ds64(0) + kFmt + kData),
         Level::Error},
        {"ds64-not-first", "ds64 after fmt", 36, Rf64(kFmt + Ds64(0) + kData), Rf64(Ds64(0) + kFmt + kData),
         Level::Error},
        {"ds64-table", "a table of 1 in a chunk without room", 12, Rf64(Ds64(1) + kFmt + kData),
         Rf64(Ds64(1, "JUNK" + U32(4) + U32(0)) + kFmt + kData), Level::Warning},
        {"ds64-table", "no table length in a ds64 of 24 bytes", 12, Rf64(Ds64(1) + kFmt + kData),
         Rf64(Chunk("ds64", Ds64(0).substr(8, 24)) + kFmt + kData), Level::Warning},
        {"ds64-short", "a ds64 of 24 bytes", 12, Rf64(Chunk("ds64", Ds64(0).substr(8, 24)) + kFmt + kData),
         Rf64(Ds64(0) + kFmt + kData), Level::Error, "holds only 24 bytes, but its fields"},
        {"ds64-short", "a ds64 of 8 bytes gives no data size", 12,
         Rf64(Chunk("ds64", Ds64(0).substr(8, 8)) + kFmt + kData), Rf64(Ds64(0) + kFmt + kData), Level::Error,
         "take 28, so it gives no size for the \"data\" chunk;"},
        {"ds64-missing", "not for a ds64 too short for its fields", 0, Rf64(kFmt + kData),
         Rf64(Chunk("ds64", Ds64(0).substr(8, 8)) + kFmt + kData), Level::Error},
        {"cue-id-duplicate", "two points with id 1", 88, Wav(Chunk("cue ", CuePayload({{1, 0}, {1, 0}}))),
         Wav(Chunk("cue ", CuePayload({{1, 0}, {2, 0}}))), Level::Warning},
        {"cue-id-duplicate", "four points with id 1", 88,
         Wav(Chunk("cue ", CuePayload({{1, 0}, {1, 0}, {1, 0}, {1, 0}}))),
         Wav(Chunk("cue ", CuePayload({{1, 0}, {2, 0}, {3, 0}, {4, 0}}))), Level::Warning,
         "cannot tell them apart. 2 more cue points do the same."},
        {"plst-count", "count 2, one segment", 88, Wav(kCue1 + Chunk("plst", PlstPayload({{1, 2, 1}}, 2))),
         Wav(kCue1 + Chunk("plst", PlstPayload({{1, 2, 1}}))), Level::Warning},
        {"plst-unknown-cue", "segment names id 2", 100, Wav(kCue1 + Chunk("plst", PlstPayload({{2, 2, 1}}))),
         Wav(kCue1 + Chunk("plst", PlstPayload({{1, 2, 1}}))), Level::Warning},
        {"plst-unknown-cue", "no cue chunk to check against", 100,
         Wav(kCue1 + Chunk("plst", PlstPayload({{2, 2, 1}}))), Wav(Chunk("plst", PlstPayload({{2, 2, 1}}))),
         Level::Warning},
        {"adtl-unknown-cue", "label names id 2", 100, Wav(kCue1 + Adtl(Chunk("labl", LabelPayload(2, "x")))),
         Wav(kCue1 + Adtl(Chunk("labl", LabelPayload(1, "x")))), Level::Warning},
        {"ltxt-past-data", "frames 2 to 5 of 4", 100,
         Wav(CueAt(2) + Adtl(Chunk("ltxt", LtxtPayload({.cuePointId = 1, .sampleLength = 3, .text = ""})))),
         Wav(CueAt(2) + Adtl(Chunk("ltxt", LtxtPayload({.cuePointId = 1, .sampleLength = 2, .text = ""})))),
         Level::Warning},
        {"ltxt-past-data", "the first point of a repeated id counts", 124,
         Wav(Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 2}, {1, 0, "data", 0, 0, 0}})) +
             Adtl(Chunk("ltxt", LtxtPayload({.cuePointId = 1, .sampleLength = 3, .text = ""})))),
         Wav(Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 0}, {1, 0, "data", 0, 0, 2}})) +
             Adtl(Chunk("ltxt", LtxtPayload({.cuePointId = 1, .sampleLength = 3, .text = ""})))),
         Level::Warning},
        {"text-unterminated", "label without its zero", 100, Wav(kCue1 + Adtl(Chunk("labl", U32(1) + "abc"))),
         Wav(kCue1 + Adtl(Chunk("labl", LabelPayload(1, "abc")))), Level::Note,
         "readers go by the sub-chunk's size, so nothing is lost."},
        {"text-unterminated", "not in a label cut off with its list", 100,
         Wav(kCue1 + Adtl(Chunk("labl", U32(1) + "abc"))),
         Wav(kCue1 + Adtl(Chunk("labl", U32(1) + "abcdef"))).substr(0, 110), Level::Note},
        {"text-unterminated", "label with a stray byte after its zero", 100,
         Wav(kCue1 + Adtl(Chunk("labl", U32(1) + "abcd"))),
         Wav(kCue1 + Adtl(Chunk("labl", U32(1) + std::string("abc\0d", 5)))), Level::Note},
        {"text-unterminated", "INFO item without its zero", 64, Info(Chunk("ISFT", "abc")),
         Info(Chunk("ISFT", std::string("abc\0", 4))), Level::Note,
         "The text of the INFO item \"ISFT\" at offset 64 does not end with a zero byte (its 3 bytes hold "
         "none)"},
        {"text-unterminated", "INFO item with a stray byte after its zero", 64,
         Info(Chunk("ICRD", "1999-06-06")), Info(Chunk("ICRD", std::string("1999-06-06\0h", 12))),
         Level::Note},
        {"text-unterminated", "filler among INFO items", 64, Info(Chunk("ISFT", "abc")),
         Info(Chunk("JUNK", "abc")), Level::Note},
        {"text-unterminated", "empty INFO item", 64, Info(Chunk("INAM", "a")), Info(Chunk("INAM", "")),
         Level::Note},
        {"loop-count", "count 2, one loop", 52, Wav(Smpl(60, {{1, 0, 0, 3}}, {}, 2)),
         Wav(Smpl(60, {{1, 0, 0, 3}})), Level::Warning},
        {"loop-count", "count 0, one loop", 52, Wav(Smpl(60, {{1, 0, 0, 3}}, {}, 0)),
         Wav(Smpl(60, {}, std::string(24, 'x'))), Level::Warning},
        {"loop-count", "zeros after the header are unused room, not a loop", 52,
         Wav(Smpl(60, {{1, 0, 0, 3}}, {}, 0)),
         Wav(Chunk("smpl", SmplPayload(plain, {}) + std::string(24, '\0'))), Level::Warning},
        {"sampler-data", "says 8, holds 4", 52,
         Wav(Chunk("smpl", WithSamplerDataSize(SmplPayload(plain, {{1, 0, 0, 3}}, "abcd"), 8))),
         Wav(Chunk("smpl", SmplPayload(plain, {{1, 0, 0, 3}}, "abcd"))), Level::Warning},
        {"sampler-data", "a loop record of zeros after the counted loop, taken for a loop", 52,
         Wav(Chunk("smpl", SmplPayload(plain, {{1, 0, 0, 3}}) + std::string(24, '\0'))),
         Wav(Chunk("smpl", SmplPayload(plain, {{1, 0, 0, 3}}))), Level::Error, "take them for more loops."},
        {"sampler-data", "4 zeros after the loop", 52,
         Wav(Chunk("smpl", SmplPayload(plain, {{1, 0, 0, 3}}) + std::string(4, '\0'))),
         Wav(Chunk("smpl", SmplPayload(plain, {{1, 0, 0, 3}}, std::string(4, '\0')))), Level::Warning,
         "holds 4 bytes of zeros after its loops that its sampler data size of 0 does not count;"},
        {"sampler-data", "not for a chunk that swallows what follows it", 52,
         Wav(Chunk("smpl", WithSamplerDataSize(SmplPayload(plain, {{1, 0, 0, 3}}, "abcd"), 8))),
         Wav(Chunk("smpl", SmplPayload(plain, {}), 200)), Level::Warning},
        {"loop-order", "start 3, end 1", 96, Wav(Smpl(60, {{1, 0, 3, 1}})), Wav(Smpl(60, {{1, 0, 1, 3}})),
         Level::Warning},
        {"loop-order", "two loops end before they start", 96, Wav(Smpl(60, {{1, 0, 3, 1}, {2, 0, 3, 1}})),
         Wav(Smpl(60, {{1, 0, 1, 3}, {2, 0, 1, 3}})), Level::Warning,
         "after its end at sample 1. 1 more sample loop does the same."},
        {"loop-past-data", "end 5 of 4 frames", 96, Wav(Smpl(60, {{1, 0, 0, 5}})),
         Wav(Smpl(60, {{1, 0, 0, 4}})), Level::Warning},
        {"loop-type", "type 1024", 96, Wav(Smpl(60, {{1, 1024, 0, 3}})), Wav(Smpl(60, {{1, 2, 0, 3}})),
         Level::Warning},
        {"loop-cue-id", "names a cue point the cue chunk lacks", 132, Wav(kCue1 + Smpl(60, {{7, 0, 0, 3}})),
         Wav(Smpl(60, {{7, 0, 0, 3}})), Level::Note},
        {"unity-note", "note 128", 52, Wav(Smpl(128, {})), Wav(Smpl(127, {})), Level::Warning},
        {"inst-range", "low note above high", 52, Wav(Chunk("inst", InstPayload(60, 0, 0, 70, 60, 1, 127))),
         Wav(Chunk("inst", InstPayload(60, 0, 0, 60, 70, 1, 127))), Level::Warning},
        {"inst-range", "velocity 128", 52, Wav(Chunk("inst", InstPayload(60, 0, 0, 0, 127, 1, 128))),
         Wav(Chunk("inst", InstPayload(60, 0, 0, 0, 127, 1, 127))), Level::Warning},
        {"chunk-short", "inst of 3 bytes", 52, Wav(Chunk("inst", "abc")),
         Wav(Chunk("inst", InstPayload(60, 0, 0, 0, 127, 1, 127))), Level::Note,
         "holds only 3 bytes, but its fixed fields (the notes, tuning, gain and velocities) take 7;"},
        {"chunk-short", "fact of 0 bytes", 36, RiffFile(kFmt + Chunk("fact", "") + kData),
         RiffFile(kFmt + Chunk("fact", U32(4)) + kData), Level::Error, "so that some refuse it."},
        {"chunk-short", "smpl of 30 bytes", 52, Wav(Chunk("smpl", std::string(30, '\0'))), Wav(Smpl(60, {})),
         Level::Error},
        {"chunk-short", "MD5 of 3 bytes: nothing to verify against", 52, Wav(Chunk("MD5 ", "abc")),
         Wav(Chunk("MD5 ", std::string(16, 'x'))), Level::Note, "its fixed fields (the digest of the audio)"},
        {"chunk-short", "slnt of 2 bytes", 52, Wav(Chunk("slnt", "ab")), Wav(Chunk("slnt", U32(8))),
         Level::Note},
        {"chunk-short", "bext of 100 bytes", 52, Wav(Chunk("bext", std::string(100, 'a'))), Bext({}),
         Level::Error, "and drop the chunk or part of it."},
        {"bext-version", "version 3", 52, Bext({.version = 3}), Bext({.version = 2}), Level::Note,
         "gives version 3,"},
        {"bext-version", "version 3 of a RIFX file; its version 2 is read as 2", 52, RifxBext({.version = 3}),
         RifxBext({.version = 2, .loudness = {-7000, 0x7FFF, 0x7FFF, 0x7FFF, 0x7FFF}}), Level::Note,
         "gives version 3,"},
        {"bext-date", "date with '/'", 52, Bext({.date = "2020/01/05"}), Bext({.date = "2020:01:05"}),
         Level::Note, "gives OriginationDate \"2020/01/05\" (not yyyy-mm-dd);"},
        {"bext-date", "date cut by a zero byte, time with '.'", 52,
         Bext({.date = std::string("2011-05-0\0", 10), .time = "14.48.02"}),
         Bext({.date = "2011_05_01", .time = "14 48 02"}), Level::Note, "\"2011-05-0\" (not yyyy-mm-dd);"},
        {"bext-date", "time of letters", 52, Bext({.time = "BWTime"}), Bext({}), Level::Note,
         "gives OriginationTime \"BWTime\" (not hh-mm-ss);"},
        {"bext-reserved", "a reserved byte set", 52, Bext({.version = 2, .reservedByte = 'x'}),
         Bext({.version = 1, .loudness = {-2300, 0, 0, 0, 0}}), Level::Note,
         "180 reserved bytes must be zero, but 180 are not, the first at byte 422 (0x78)."},
        {"bext-reserved", "a UMID in version 0", 52, Bext({.version = 0, .umid = "\x06\x0A"}),
         Bext({.version = 1, .umid = "\x06\x0A"}), Level::Note,
         "version 0, whose 244 reserved bytes must be zero, but 2 are not, the first at byte 348 (0x06)."},
        {"bext-loudness", "loudness in version 1", 52,
         Bext({.version = 1, .loudness = {-2300, 0, -100, 0, 0}}),
         Bext({.version = 2, .loudness = {-2300, 0, -100, 0, 0}}), Level::Note,
         "gives LoudnessValue -23.00 LUFS and MaxTruePeakLevel -1.00 dBTP;"},
        {"bext-ascii", "an accent in the description", 52, Bext({.description = "caf\xE9"}),
         Bext({.description = "cafe"}), Level::Note, "in its Description (0xE9 at byte 3);"},
        {"bext-ascii", "UTF-8 in the coding history", 52, Bext({.codingHistory = "T=\xC3\xA9\r\n"}),
         Bext({.codingHistory = "T=e\r\n"}), Level::Note, "in its CodingHistory (0xC3 at byte 2);"},
        {"bext-history-lines", "LF alone", 52, Bext({.codingHistory = "A=PCM\r\nF=48000\nW=16\n"}),
         Bext({.codingHistory = "A=PCM\r\nF=48000\r\n"}), Level::Note,
         "Line 2 of the CodingHistory of the \"bext\" chunk at offset 52 ends with LF alone, not CR LF; "
         "readers may join or split its lines wrongly. 1 more line does the same."},
        {"bext-history-lines", "no line end", 52, Bext({.codingHistory = "A=PCM"}),
         Bext({.codingHistory = std::string(4, '\0')}), Level::Note, "ends without a line end"},
        {"xml-malformed", "mismatched tag", 52, Wav(Chunk("iXML", "<a><b></a>")),
         Wav(Chunk("iXML", "<a><b/></a>")), Level::Warning,
         "The XML of the \"iXML\" chunk at offset 52 is not well-formed: mismatched tag at line 1, column "
         "9;"},
        {"xml-malformed", "unclosed before the padding", 52,
         Wav(Chunk("_PMX", std::string("<a>\0\0\0\0\0", 8))),
         Wav(Chunk("_PMX", std::string("<a/>\0\0\0\0", 8))), Level::Warning, "no element found"},
        {"xml-malformed", "only padding", 52, Wav(Chunk("axml", "<a")),
         Wav(Chunk("axml", std::string(8, '\0'))), Level::Warning},
        {"xml-malformed", "UTF-16BE without a byte order mark", 52,
         Wav(Chunk("iXML", std::string("\0<\0a\0>\0<\0/\0b\0>", 14))),
         Wav(Chunk("iXML", std::string("\0<\0a\0>\0<\0/\0a\0>", 14))), Level::Warning, "mismatched tag"},
        {"xml-malformed", "a lead surrogate without its partner in UTF-16 XML", 52,
         Wav(Chunk("iXML", std::string("\xFF\xFE<\0a\0>\0x\0\x00\xD8y\0<\0/\0a\0>\0", 22))),
         Wav(Chunk("iXML", std::string("\xFF\xFE<\0a\0>\0x\0\x3D\xD8\x00\xDEy\0<\0/\0a\0>\0", 24))),
         Level::Warning, "holds 1 surrogate without its partner, shown as U+FFFD;"},
        {"xml-malformed", "nested deeper than is read: not judged past that", 52,
         Wav(Chunk("iXML", Repeated("<a>", 257) + "</b>")),
         Wav(Chunk("iXML", Repeated("<a>", 256) + Repeated("</a>", 256))), Level::Note,
         "nests elements more than 256 deep; it is not checked past that"},
        {"xml-malformed", "after an entity, not read", 52, Wav(Chunk("iXML", "<a></b>")),
         Wav(Chunk("iXML", "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</b>")), Level::Warning},
        {"xml-malformed", "an encoding expat does not know", 52, Wav(Chunk("iXML", "<a></b>")),
         Wav(Chunk("iXML", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><a/>")), Level::Warning},
        {"id3-size", "tag claims 100 bytes", 52,
         Wav(Chunk("id3 ", Id3Tag(3, Id3Frame("TIT2", std::string("\0ab", 3)), 0, 100))),
         Wav(Chunk("id3 ", Id3Tag(3, Id3Frame("TIT2", std::string("\0ab", 3))))), Level::Warning,
         "says 100 bytes follow its 10-byte header, but the chunk holds 23 bytes in all;"},
        {"id3-size", "ID3 chunk with padding after the tag", 52, Wav(Chunk("ID3 ", Id3Tag(4, "", 0, 1))),
         Wav(Chunk("ID3 ", Id3Tag(4, "") + std::string(6, '\0'))), Level::Warning},
    };
}

TEST(Findings, EachCodeRaisedByItsFileAndNotByTheNearMiss) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.code + ": " + c.what);
        const std::vector<Finding> raised = Check(c.raises);
        const auto hit = std::find_if(raised.begin(), raised.end(), [&](const Finding& f) {
            return f.code == c.code && f.offset == c.offset;
        });
        ASSERT_NE(hit, raised.end()) << Describe(raised);
        EXPECT_FALSE(hit->message.empty());
        EXPECT_NE(hit->message.find(c.says), std::string::npos) << hit->message;
        EXPECT_EQ(hit->level, c.level);

        const std::vector<Finding> missed = Check(c.nearMiss);
        EXPECT_TRUE(std::none_of(missed.begin(), missed.end(), [&](const Finding& f) {
            return f.code == c.code;
        })) << Describe(missed);
    }
}

// Each finding's chunk offset is where a line of the structure map starts,
// the chunk or bytes that hold what the finding points at (0: the RIFF header,
// the whole file). A finding about a record inside a chunk says both offsets.
TEST(Findings, PointIntoALineOfTheStructureMap) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.code + ": " + c.what);
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check({.verifyMd5 = true, .progress = {}});
        ASSERT_EQ(document.LoadFromMemory(c.raises, "test.wav", &check, wavedoc::LoadForms::AnyForm),
                  wavedoc::LoadOk);
        const std::vector<wavedoc::MapEntry>& map = document.Structure().entries;
        for (const Finding& f : check.Finish(document).shown) {
            SCOPED_TRACE(Describe({f}));
            if (f.chunkOffset == 0) {
                EXPECT_EQ(f.offset, 0u);
                continue;
            }
            const auto line = std::find_if(map.begin(), map.end(), [&](const wavedoc::MapEntry& entry) {
                return entry.offset == f.chunkOffset;
            });
            ASSERT_NE(line, map.end()) << "chunk offset " << f.chunkOffset;
            EXPECT_GE(f.offset, line->offset);
            EXPECT_LT(f.offset, line->offset + line->Covered());
            if (!f.chunk.empty()) {
                EXPECT_EQ(f.chunk, line->IsChunk() ? line->id : line->parentId);
            }
            if (f.offset != f.chunkOffset) {
                const std::string place = "at offset " + std::to_string(f.offset) + " (in the \"" + f.chunk +
                                          "\" chunk at offset " + std::to_string(f.chunkOffset) + ")";
                EXPECT_NE(f.message.find(place), std::string::npos);
            }
        }
    }
}

// The progress of the hashing ends with all of the audio, however quick it
// was; a file without an MD5 chunk hashes nothing.
TEST(Findings, Md5ProgressEndsWithTheAudioHashed) {
    for (const auto& [file, calls] : std::vector<std::pair<std::string, std::string>>{
             {Wav(Chunk("MD5 ", std::string(16, 'x'))), "8/8"}, {Wav(""), ""}}) {
        std::string told;
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check({
            .verifyMd5 = true,
            .progress =
                [&told](std::uint64_t done, std::uint64_t total) {
                    told += std::to_string(done) + "/" + std::to_string(total);
                },
        });
        ASSERT_EQ(document.LoadFromMemory(file, "test.wav", &check), wavedoc::LoadOk);
        check.Finish(document);
        EXPECT_EQ(told, calls);
    }
}

// A file written to while its audio is hashed gives no digest to compare:
// the check ends unfinished, saying the file changed, and never claims a
// mismatch; a file left alone is compared as before.
TEST(Findings, Md5OfAFileChangedWhileHashedIsNoMismatch) {
    enum class Change { None, InPlace, Grown };
    const struct {
        const char* name;
        Change change;
    } cases[] = {
        {"left alone", Change::None}, {"rewritten in place", Change::InPlace}, {"grown", Change::Grown}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchDir scratch;
        const std::string path = scratch.File("hashed.wav", Wav(Chunk("MD5 ", std::string(16, 'x'))));
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check({.verifyMd5 = true, .progress = [&](std::uint64_t, std::uint64_t) {
                                        if (c.change == Change::None) return;
                                        // Past the clock's tick, so that the times show the write.
                                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                        std::fstream file(path,
                                                          std::ios::in | std::ios::out | std::ios::binary);
                                        if (c.change == Change::Grown)
                                            file.seekp(0, std::ios::end);
                                        else
                                            file.seekp(-4, std::ios::end);
                                        file << "zzzz";
                                    }});
        ASSERT_EQ(document.Load(path, &check), wavedoc::LoadOk);
        const wavecheck::Findings findings = check.Finish(document);
        const bool mismatch = std::any_of(findings.shown.begin(), findings.shown.end(),
                                          [](const Finding& f) { return f.code == "md5-mismatch"; });
        EXPECT_EQ(mismatch, c.change == Change::None);
        EXPECT_EQ(findings.Finished(), c.change == Change::None) << findings.unfinished;
        if (c.change != Change::None) {
            EXPECT_NE(findings.unfinished.find("\"" + path + "\" has changed since it was analysed"),
                      std::string::npos)
                << findings.unfinished;
        }
    }
}

// A plain RIFF recording of 4 GiB and more whose 32-bit sizes wrapped: too
// large for the table of files built in memory, so a sparse file of its own.
// The near miss: the same file with a data size that wrapped to another
// value, whose bytes after the data are then stray bytes, not the audio.
TEST(Findings, SizeWrappedOfASparseRecordingOver4GiB) {
    const ScratchDir scratch;
    const std::uint64_t audio = (std::uint64_t{1} << 32) + 8;
    for (const bool wrapped : {true, false}) {
        const std::string path = scratch.Path(wrapped ? "wrapped.wav" : "near-miss.wav");
        {
            std::ofstream out(path, std::ios::binary);
            const std::uint32_t dataSize = static_cast<std::uint32_t>(audio) + (wrapped ? 0 : 2);
            out << "RIFF" << U32(static_cast<std::uint32_t>(36 + audio)) << "WAVE" << kFmt << "data"
                << U32(dataSize) << std::string(8, '\x01');
            out.seekp(static_cast<std::streamoff>(44 + audio - 4));
            out << "\x02\x02\x02\x02";
        }
        wavedoc::WaveDocument document;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.Load(path, &check, wavedoc::LoadForms::AnyForm), wavedoc::LoadOk);
        const wavecheck::Findings findings = check.Finish(document);
        const auto hit = std::find_if(findings.shown.begin(), findings.shown.end(),
                                      [](const Finding& f) { return f.code == "size-wrapped"; });
        if (!wrapped) {
            EXPECT_EQ(hit, findings.shown.end()) << Describe(findings.shown);
            continue;
        }
        ASSERT_NE(hit, findings.shown.end()) << Describe(findings.shown);
        EXPECT_EQ(findings.shown.size(), 1u) << Describe(findings.shown);
        EXPECT_EQ(hit->level, Level::Error);
        EXPECT_EQ(hit->offset, 36u);
        EXPECT_NE(
            hit->message.find("says it holds 8 bytes, but the file holds 4294967304 bytes after its header"),
            std::string::npos)
            << hit->message;
    }
}

TEST(Findings, EveryCodeHasACase) {
    std::set<std::string> tested;
    for (const Case& c : Cases()) tested.insert(c.code);
    tested.insert("size-wrapped");  // SizeWrappedOfASparseRecordingOver4GiB
    const std::vector<std::string_view> codes = wavecheck::FindingCodes();
    for (std::string_view code : codes) EXPECT_TRUE(tested.contains(std::string(code))) << code;
    EXPECT_EQ(std::set<std::string_view>(codes.begin(), codes.end()).size(), codes.size()) << "a code twice";
}

TEST(Findings, SoundFileGivesNone) {
    const std::string file =
        RiffFile(kFmt + Chunk("fact", U32(4)) + kData +
                 Chunk("cue ", CuePayload({{1, 0, "data", 0, 0, 0}, {2, 2, "data", 0, 0, 2}})) +
                 Chunk("plst", PlstPayload({{1, 2, 1}, {2, 2, 1}})) +
                 Adtl(Chunk("labl", LabelPayload(1, "intro")) + Chunk("note", LabelPayload(2, "odd")) +
                      Chunk("ltxt", LtxtPayload({.cuePointId = 1, .sampleLength = 2, .text = "verse"}))) +
                 Smpl(60, {{1, 0, 0, 3}}, "ab") + Chunk("inst", InstPayload(60, 0, 0, 0, 127, 1, 127)));
    const std::vector<Finding> findings = Check(file);
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

// One fault gives one finding, the one closest to its cause, not one more
// for each thing it throws off.
TEST(Findings, EachFaultIsSaidOnce) {
    const SmplHeaderFields plain;
    const std::string cutList = Wav(Chunk("LIST", ListPayload("INFO", Chunk("INAM", "abcdef"))));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"cut-header", RiffFile(kFmt + kData + "abc", "WAVE", 52)},
        {"past-end", RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16), 100) + kData)},
        {"past-end", Wav(Chunk("smpl", SmplPayload(plain, {}), 200))},
        {"past-end", cutList.substr(0, cutList.size() - 3)},
        {"past-end", Wav(kCue1 + Adtl(Chunk("labl", U32(1) + "abcdef"))).substr(0, 110)},
        {"past-end", RiffFile(kFmt + Chunk("fact", U32(4)) + kData).substr(0, 60)},
        {"block-align", WithFormat(Format(1, 2, 8000, 32000, 2, 16))},
        {"block-align byte-rate", WithFormat(Format(1, 1, 8000, 0, 0, 16))},
        {"riff-size", RiffFile(kFmt + kData, "WAVE", 36)},
        {"pad-missing", RiffFile(kFmt + Chunk("xtra", "abc", std::nullopt, false) + kData)},
        {"cut-header", Wav(Chunk("xtra", "", 3) + Chunk("more", ""))},
        {"riff-size", RiffFile(kFmt + kData, "WAVE", 44).substr(0, 36)},
        {"cut-header", RiffFile(kFmt + kData, "WAVE", 44).substr(0, 40)},
        {"not-a-chunk", RiffFile(kFmt + "\x01\x02\x03\x04" + U32(0) + kData)},
        {"ds64-short",
         Rf64(Chunk("ds64", Ds64(0).substr(8, 8)) + kFmt + Chunk("data", std::string(8, '\0'), 0xFFFFFFFF))},
        {"byte-order",
         "RIFX" + RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16)) + Chunk("fact", U32(4)) + kData).substr(4)},
        {"block-align", WithFormat(Format(1, 2, 8000, 32000, 3, 16))},
        {"fmt-zero",
         RiffFile(Chunk("fmt ", Format(1, 2, 8000, 128000, 16, 0)) + Chunk("data", std::string(8192, '\0')))},
        {"not-a-chunk", RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 16), 20) + kData)},
        {"not-a-chunk", Wav(Chunk("cue ", CuePayload({{1, 0}}), 40) + Chunk("smpl", SmplPayload({}, {})))},
        {"unfinished", RiffFile(kFmt + Chunk("data", "", 0) + std::string(8, '\x01'), "WAVE", 0)},
    };
    for (const auto& [codes, file] : cases) {
        std::string found;
        for (const Finding& f : Check(file)) found += (found.empty() ? "" : " ") + f.code;
        EXPECT_EQ(found, codes) << Describe(Check(file));
    }
}

// Every chunk cut short of its fixed fields: a check reads a field only when
// the chunk holds it.
TEST(Findings, ChunksTooShortForTheirFieldsAreCheckedWithoutError) {
    const std::vector<std::string> files = {
        RiffFile(Chunk("fmt ", "ab") + kData),
        WithFormat(Extensible{}.Bytes().substr(0, 19)),
        WithFormat(Extensible{}.Bytes().substr(0, 22)),
        WithFormat(Extensible{}.Bytes().substr(0, 30)),
        Wav(Chunk("fact", "ab")),
        Wav(Chunk("cue ", "ab")),
        Wav(Chunk("cue ", CuePayload({{1, 0}}).substr(0, 20))),
        Wav(kCue1 + Chunk("plst", "ab")),
        Wav(kCue1 + Adtl(Chunk("labl", "ab") + Chunk("note", "") + Chunk("ltxt", "abcdef"))),
        Wav(kCue1 + Chunk("LIST", "ad")),
        Wav(Chunk("smpl", "abcdefghij")),
        Wav(Chunk("smpl", SmplPayload({}, {{1, 0, 0, 3}}).substr(0, 50))),
        Wav(Chunk("inst", "abc")),
        // Float of 0 bits per sample, its block 191 bytes: a frame of no bytes.
        RiffFile(Chunk("fmt ", U16(3) + U16(1) + U32(44100) + U32(45328) + U16(191) + U16(0)) +
                 Chunk("data", std::string(8192, 'a'))),
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(::testing::PrintToString(file));
        EXPECT_NO_THROW(Check(file));
    }
}

// Files from other writers, some of them damaged: every check reads only what
// the file holds, so none of them raises an error instead of a finding.
TEST(Findings, RealFilesAreCheckedWithoutError) {
    for (const auto& file : std::filesystem::directory_iterator(CorpusDir())) {
        if (file.path().extension() != ".wav") continue;
        SCOPED_TRACE(file.path().filename().string());
        wavedoc::WaveDocument document;
        if (document.Load(file.path().string()) != wavedoc::LoadOk) continue;
        wavecheck::FileCheck check;
        ASSERT_EQ(document.Load(file.path().string(), &check), wavedoc::LoadOk);
        EXPECT_TRUE(check.Finish(document).Finished());
    }
}

}  // namespace

namespace {

// The structural checks run on every entry of the walk, so a fault after
// more entries than the map holds is still found.
TEST(Findings, SeePastTheMapsBound) {
    std::string junk;
    for (std::size_t i = 0; i < wavedoc::kMostMapped + 100; ++i) junk += Chunk("JUNK", "");
    const std::vector<Finding> broken =
        Check(RiffFile(junk + Chunk("fmt ", Format(1, 0, 8000, 1, 2, 16)) + kData));
    EXPECT_TRUE(std::any_of(broken.begin(), broken.end(), [](const Finding& f) {
        return f.code == "fmt-zero";
    })) << Describe(broken);

    std::string subChunks;
    for (std::size_t i = 0; i < wavedoc::kMostMapped + 100; ++i) subChunks += Chunk("JUNK", "");
    const std::vector<Finding> unknownCue = Check(
        Wav(kCue1 + Adtl(subChunks + Chunk("labl", LabelPayload(9, "lost")) + Chunk("odd", "x", {}, false))));
    EXPECT_TRUE(std::any_of(unknownCue.begin(), unknownCue.end(), [](const Finding& f) {
        return f.code == "adtl-unknown-cue";
    })) << Describe(unknownCue);
}

// Labels are matched with cue ids however the points are numbered: in a run
// from 1, in a run from elsewhere, with gaps, out of order, repeated, at the
// ends of the 32-bit range. Each case names the labels' ids that match none.
TEST(Findings, LabelsFindTheirCuePointsHoweverTheyAreNumbered) {
    struct NumberingCase {
        const char* what;
        std::vector<std::uint32_t> cueIds;
        std::vector<std::uint32_t> labelIds;
        std::size_t unknown;
    };
    const NumberingCase cases[] = {
        {"a run from 1", {1, 2, 3, 4}, {0, 1, 4, 5}, 2},
        {"a run from 100", {100, 101, 102}, {99, 100, 102, 103}, 2},
        {"a gap", {1, 2, 4, 5}, {3, 4, 6}, 2},
        {"out of order", {3, 1, 2}, {1, 2, 3, 4}, 1},
        {"repeated", {2, 2, 3}, {1, 2, 3}, 1},
        {"the top of the range", {0xFFFFFFFE, 0xFFFFFFFF}, {0xFFFFFFFF, 0, 1}, 2},
        {"0 and the top only", {0, 0xFFFFFFFF}, {0, 0xFFFFFFFF, 1}, 1},
        {"one point", {7}, {6, 7, 8}, 2},
    };
    for (const NumberingCase& c : cases) {
        std::vector<CuePointRecord> points;
        for (const std::uint32_t id : c.cueIds) points.push_back({id, 0});
        std::string labels;
        for (const std::uint32_t id : c.labelIds) labels += Chunk("labl", LabelPayload(id, "x"));
        const std::vector<Finding> found = Check(Wav(Chunk("cue ", CuePayload(points)) + Adtl(labels)));
        const auto unknown = std::find_if(found.begin(), found.end(),
                                          [](const Finding& f) { return f.code == "adtl-unknown-cue"; });
        // One finding names the first label; "N more" counts the rest.
        const std::string rest = " " + std::to_string(c.unknown - 1) + " more entr";
        EXPECT_EQ(unknown != found.end(), c.unknown > 0) << c.what;
        if (unknown != found.end()) {
            EXPECT_EQ(unknown->message.find(rest) != std::string::npos, c.unknown > 1) << c.what;
        }
    }
}

// Thousands of like faults keep a bounded list, but every one is counted.
TEST(Findings, KeepAFewOfEachCodeAndCountThemAll) {
    std::string subChunks;
    for (int i = 0; i < 5000; ++i) subChunks += Chunk("JUNK", "a", std::nullopt, false) + "x";
    const wavecheck::Findings findings = CheckAll(Wav(Chunk("LIST", ListPayload("INFO", subChunks))));
    EXPECT_EQ(findings.notes, 5000u);
    EXPECT_EQ(findings.shown.size(), wavecheck::Findings::kMostShownPerCode);
    ASSERT_EQ(findings.counts.size(), 1u);
    EXPECT_EQ(findings.counts[0].code, "pad-not-zero");
    EXPECT_EQ(findings.counts[0].total, 5000u);
}

}  // namespace
