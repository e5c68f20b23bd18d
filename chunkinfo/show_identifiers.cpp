// Chunks that hold one identifier: umid (an SMPTE UMID, 32 bytes basic or 64
// extended) and MD5 (the digest of the audio data). Both are shown as hex.
#include "chunkinfo/chunk_rows.h"
#include "chunkinfo/decoders.h"
#include "formats/identifier_layouts.h"

namespace chunkinfo {

void ShowUmid(const ChunkInput& input, rows::RowSink& rows) {
    const ByteRun umid = input.Content().Part(0, formats::umid::kExtendedSize);
    rows::AddValueRow(rows, "UMID", text::HexDigits(umid.Read(0, umid.Length()), text::HexCase::Upper),
                      umid.At());
    if (input.Present() > umid.Length()) {
        AddNotShownRow(rows, "the other " + GroupedCount(input.Present() - umid.Length(), "byte", "bytes"));
    }
}

void ShowMd5(const ChunkInput& input, rows::RowSink& rows) {
    const wavedoc::Field& digest = formats::md5::kDigest;
    const wavedoc::FieldReader fields = input.Fields(0, digest.End());
    rows::AddValueRow(rows, "MD5", text::HexDigits(fields.Bytes(digest), text::HexCase::Upper),
                      input.At(digest));
}

}  // namespace chunkinfo
