#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace wavecheck {

// The MD5 message digest (RFC 1321), fed in pieces, so that audio of any
// length is hashed in bounded memory.
class Md5 {
public:
    using Digest = std::array<unsigned char, 16>;

    Md5();
    void Update(std::string_view bytes);
    // The digest of everything fed; the object is spent afterwards.
    Digest Finish();

private:
    void Block(const unsigned char* block);

    std::array<std::uint32_t, 4> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t length_ = 0;  // bytes fed
};

}  // namespace wavecheck
