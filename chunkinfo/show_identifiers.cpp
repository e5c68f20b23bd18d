// Chunks that hold one identifier: umid (an SMPTE UMID, 32 bytes basic or 64
// extended) and MD5 (the digest of the audio data). Both are shown as hex.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"

namespace chunkinfo {
namespace {

constexpr std::size_t kExtendedUmid = 64;
constexpr std::size_t kDigestSize = 16;

}  // namespace

void ShowUmid(const ChunkInput& input, rows::RowSink& rows) {
    const std::string umid = input.Read(0, kExtendedUmid);
    rows::AddValueRow(rows, "UMID", text::HexDigits(umid, text::HexCase::Upper), input.At(0, umid.size()));
    if (input.Present() > umid.size()) {
        AddNotShownRow(rows, "the other " + GroupedCount(input.Present() - umid.size(), "byte", "bytes"));
    }
}

void ShowMd5(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::FieldReader fields = input.Fields(0, kDigestSize);
    rows::AddValueRow(rows, "MD5", text::HexDigits(fields.Bytes(0, kDigestSize, "MD5"), text::HexCase::Upper),
                      input.At(0, kDigestSize));
}

}  // namespace chunkinfo
