#pragma once

#include <cstdint>

#include "wavedoc/reading/field.h"

// The identifiers some chunks hold whole: an SMPTE UMID (the umid chunk, and
// bext from version 1) and the MD5 digest of the audio (the "MD5 " chunk).
namespace formats {

namespace umid {
// A basic UMID: its universal label, length, instance number and material
// number, 32 bytes in all.
inline constexpr wavedoc::Field kBasic = wavedoc::BytesField("basic UMID", 0, 32);
// An extended UMID adds a source pack (when, where and by whom), as long again.
inline constexpr wavedoc::Field kSourcePack = wavedoc::BytesField("source pack", kBasic.End(), 32);
inline constexpr std::uint64_t kExtendedSize = kSourcePack.End();
}  // namespace umid

namespace md5 {
// The digest, a 128-bit number least significant byte first.
inline constexpr wavedoc::Field kDigest = wavedoc::BytesField("MD5", 0, 16);
}  // namespace md5

}  // namespace formats
