#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/wav_builder.h"
#include "wavedoc/document/wave_document.h"

namespace wavtest {

// A minimal valid file body: a 16-bit stereo PCM format and four data bytes.
inline std::string FmtAndData() { return Chunk("fmt ", PcmFormat(2, 44100, 16)) + Chunk("data", "abcd"); }

// Loads bytes from memory; the test fails unless the load succeeds.
inline void LoadOrFail(wavedoc::WaveDocument& document, const std::string& bytes) {
    ASSERT_EQ(document.LoadFromMemory(bytes, "test.wav"), wavedoc::LoadOk) << document.LoadError();
}

// "name:size" of every chunk the document holds, in the accessors' order,
// e.g. "fmt :16 data:4".
inline std::string PresentChunks(const wavedoc::WaveDocument& d) {
    const wavedoc::ChunkBase* all[] = {&d.Fmt(),  &d.Fact(), &d.Wavl(), &d.Slnt(), &d.Cue(), &d.Plst(),
                                       &d.List(), &d.Smpl(), &d.Inst(), &d.Pad(),  &d.Data()};
    std::string out;
    for (const wavedoc::ChunkBase* chunk : all) {
        if (chunk->Name().empty()) continue;
        out += (out.empty() ? "" : " ") + chunk->Name() + ":" + std::to_string(chunk->Size());
    }
    return out;
}

}  // namespace wavtest
