#include "diff/byte_compare.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace diff {

namespace {

// The first byte of `a` that differs from `b` read sample by sample in the
// other byte order, or a.size().
std::size_t FirstSwappedDifference(const std::string& a, const std::string& b, unsigned width) {
    for (std::size_t sample = 0; sample + width <= a.size(); sample += width) {
        for (unsigned k = 0; k < width; ++k) {
            if (a[sample + k] != b[sample + width - 1 - k]) return sample + k;
        }
    }
    return a.size();
}

}  // namespace

std::optional<std::uint64_t> FirstDifference(const wavedoc::ByteSource& a, std::uint64_t offsetA,
                                             const wavedoc::ByteSource& b, std::uint64_t offsetB,
                                             std::uint64_t length, std::uint64_t unit, unsigned swapWidth) {
    unit = std::max<std::uint64_t>(unit, 1);
    const std::uint64_t piece = std::max(kPieceBytes / unit, std::uint64_t{1}) * unit;
    const wavedoc::ReadingSession sessionA(&a);
    const wavedoc::ReadingSession sessionB(&b);
    for (std::uint64_t done = 0; done < length;) {
        const std::uint64_t count = std::min(piece, length - done);
        const std::string bytesA = a.Read(offsetA + done, count);
        const std::string bytesB = b.Read(offsetB + done, count);
        if (bytesA.size() != count || bytesB.size() != count) {
            throw wavedoc::WaveDocError("a file holds fewer bytes than its map says");
        }
        if (swapWidth > 1) {
            const std::size_t at = FirstSwappedDifference(bytesA, bytesB, swapWidth);
            if (at < bytesA.size()) return done + at;
        } else if (std::memcmp(bytesA.data(), bytesB.data(), bytesA.size()) != 0) {
            const auto at = std::mismatch(bytesA.begin(), bytesA.end(), bytesB.begin());
            return done + static_cast<std::uint64_t>(at.first - bytesA.begin());
        }
        done += count;
    }
    return std::nullopt;
}

}  // namespace diff
