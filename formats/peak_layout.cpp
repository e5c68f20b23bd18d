#include "formats/peak_layout.h"

#include <string>

namespace formats::peak {

std::vector<ChannelPeak> ReadPeaks(std::string_view content, wavedoc::ByteOrder order) {
    std::vector<ChannelPeak> peaks;
    const std::uint64_t records = RecordsIn(content.size());
    peaks.reserve(records);
    const wavedoc::FieldReader fields(std::string(content), wavedoc::OwnerName{"PEAK"}, order);
    for (std::uint64_t c = 0; c < records; ++c) {
        peaks.push_back({fields.Float32(OfChannel(c, kValue)), fields.Unsigned32(OfChannel(c, kPosition))});
    }
    return peaks;
}

}  // namespace formats::peak
