#include "chunkinfo/byte_run.h"

#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/offset_math.h"

namespace chunkinfo {

ByteRun ByteRun::Part(std::uint64_t offset, std::uint64_t length) const {
    return ByteRun(source_, start_ + offset, wavedoc::offsets::BytesBefore(offset, length, length_));
}

std::string ByteRun::Read(std::uint64_t offset, std::uint64_t count) const {
    const std::uint64_t held = wavedoc::offsets::BytesBefore(offset, count, length_);
    if (held == 0 || source_ == nullptr) return {};
    return source_->Read(start_ + offset, held);
}

}  // namespace chunkinfo
