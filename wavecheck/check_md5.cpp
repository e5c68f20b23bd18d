// The digest of an "MD5 " chunk against the audio, when asked: the whole data
// chunk is read once, in bounded pieces. Writers store the digest as a 128-bit
// little-endian number, the bytes in the reverse of the order md5sum prints
// them; a digest stored in md5sum's order is taken too.
#include <algorithm>
#include <chrono>

#include "formats/identifier_layouts.h"
#include "text/display_text.h"
#include "wavecheck/check_support.h"
#include "wavecheck/checks.h"
#include "wavecheck/md5.h"

namespace wavecheck::detail {

namespace {

namespace layout = wavedoc::layout;
constexpr std::uint64_t kPiece = 1 << 20;
constexpr auto kProgressEvery = std::chrono::milliseconds(250);

std::string Hex(std::string_view bytes) { return text::HexDigits(bytes, text::HexCase::Lower); }

// The data chunk's audio, as far as the file holds it, through the digest.
Md5::Digest HashAudio(const CheckInput& input, const wavedoc::GenericChunk& data, std::uint64_t bytes) {
    Md5 md5;
    const std::uint64_t start = data.Offset() + layout::kChunkHeaderSize;
    auto shown = std::chrono::steady_clock::now();
    std::uint64_t done = 0;
    while (done < bytes) {
        const std::string piece = input.document.Source()->Read(start + done, std::min(kPiece, bytes - done));
        if (piece.empty()) break;
        md5.Update(piece);
        done += piece.size();
        if (input.options.progress && std::chrono::steady_clock::now() - shown >= kProgressEvery) {
            input.options.progress(done, bytes);
            shown = std::chrono::steady_clock::now();
        }
    }
    // The last piece counts too: audio hashed in less than a tick is audio hashed.
    if (input.options.progress) input.options.progress(done, bytes);
    // A file written to while it was hashed gives a digest of no version of
    // it: the check then ends unfinished, never with a mismatch.
    input.document.Source()->CheckUnchanged();
    return md5.Finish();
}

}  // namespace

void CheckMd5(const CheckInput& input, Report& report) {
    if (!input.options.verifyMd5 || !input.facts.md5) return;
    const wavedoc::MapEntry& chunk = *input.facts.md5;
    const wavedoc::Field& field = formats::md5::kDigest;
    const std::string stored = ReadContent(input, chunk, field.offset, field.width);
    const wavedoc::GenericChunk& data = input.document.Data();
    const std::optional<std::uint64_t> bytes = Present(data);
    if (stored.size() < field.width || !bytes) return;
    const Md5::Digest digest = HashAudio(input, data, *bytes);
    const std::string hashed(digest.begin(), digest.end());
    const std::string reversed(stored.rbegin(), stored.rend());
    if (hashed == reversed || hashed == stored) return;
    report.Add(chunk.offset, chunk.id,
               "The " + ChunkAt(chunk) + " holds the digest " + Hex(reversed) + ", but the " +
                   text::Counted(*bytes, "byte", "bytes") + " of audio in the \"data\" chunk at offset " +
                   std::to_string(data.Offset()) + " hash to " + Hex(hashed) +
                   ": the audio is no longer what its writer hashed.");
}

}  // namespace wavecheck::detail
