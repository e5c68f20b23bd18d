#include "wavedoc/document/other_forms.h"

#include <algorithm>

namespace wavedoc {
namespace {

using namespace std::string_view_literals;

// Whether the head opens with an MPEG audio frame header (an MP3 frame):
// eleven sync bits, then a version that is not the reserved value, layer II
// or III, a bit rate index that is not the forbidden 1111 and a sample rate
// index that is not the reserved 11. A stray 0xFF byte seldom passes all.
// Layer I, never used in files saved as .wav, is left out because a UTF-16
// text's byte order mark (FF FE) reads as its header.
bool OpensWithMpegFrame(std::string_view head) {
    if (head.size() < 3) return false;
    const auto second = static_cast<unsigned char>(head[1]);
    const auto third = static_cast<unsigned char>(head[2]);
    const unsigned version = (second >> 3) & 0x3;  // 01 is reserved
    const unsigned layer = (second >> 1) & 0x3;    // 01 layer III, 10 layer II
    const unsigned bitRate = third >> 4;
    const unsigned sampleRate = (third >> 2) & 0x3;
    return (second & 0xE0) == 0xE0 && version != 1 && (layer == 1 || layer == 2) && bitRate != 0xF &&
           sampleRate != 3;
}

// A form's signature: the bytes the file starts with, '?' standing for any
// byte, and a further test of the head where bytes alone would claim too much.
struct Signature {
    std::string_view bytes;
    bool (*furtherTest)(std::string_view head);  // or null
    OtherForm form;
};

constexpr Signature kSignatures[] = {
    {"RF64", nullptr, {true, "It is an RF64 file, the 64-bit form of WAV for recordings over 4 GB."}},
    {"BW64", nullptr, {true, "It is a BW64 file, the 64-bit form of WAV for recordings over 4 GB."}},
    {"RIFX", nullptr, {true, "It is a RIFX file, the big-endian form of RIFF."}},
    // "riff" followed by the rest of the GUID that opens a Wave64 file.
    {"riff\x2E\x91\xCF\x11\xA5\xD6\x28\xDB\x04\xC1\x00\x00"sv,
     nullptr,
     {true, "It is a Wave64 file, Sony's 64-bit form of WAV."}},
    {"FORM????AIFF", nullptr, {false, "It is an AIFF file, Apple's uncompressed audio format."}},
    {"FORM????AIFC", nullptr, {false, "It is an AIFF-C file, Apple's audio format that allows compression."}},
    {"caff", nullptr, {false, "It is a CAF file, Apple's Core Audio Format."}},
    {"fLaC", nullptr, {false, "It is a FLAC file, losslessly compressed audio."}},
    {"OggS", nullptr, {false, "It is an Ogg file, such as Ogg Vorbis or Opus audio."}},
    {"????ftyp", nullptr, {false, "It is an MP4 file, such as M4A audio."}},
    {"ID3", nullptr, {false, "It starts with an ID3 tag, as MP3 files usually do."}},
    {"\xFF", OpensWithMpegFrame, {false, "It starts with an MPEG audio frame, as MP3 files do."}},
};

static_assert(std::all_of(std::begin(kSignatures), std::end(kSignatures),
                          [](const Signature& s) { return s.bytes.size() <= kOtherFormHeadBytes; }),
              "every signature fits in the head that is read");

bool Opens(std::string_view head, const Signature& signature) {
    if (head.size() < signature.bytes.size()) return false;
    for (std::size_t i = 0; i < signature.bytes.size(); ++i) {
        if (signature.bytes[i] != '?' && signature.bytes[i] != head[i]) return false;
    }
    return signature.furtherTest == nullptr || signature.furtherTest(head);
}

}  // namespace

const OtherForm* FindOtherForm(std::string_view head) {
    for (const Signature& signature : kSignatures) {
        if (Opens(head, signature)) return &signature.form;
    }
    return nullptr;
}

}  // namespace wavedoc
