#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace wavecheck {

// The SHA-256 message digest (FIPS 180-4), fed in pieces, so that audio of
// any length is hashed in bounded memory. Uses the processor's SHA
// instructions where it has them.
class Sha256 {
public:
    using Digest = std::array<unsigned char, 32>;

    Sha256();
    void Update(std::string_view bytes);
    // Feeds `count` zero bytes, as a hole of a sparse file reads.
    void UpdateZeros(std::uint64_t count);
    // The digest of everything fed; the object is spent afterwards.
    Digest Finish();

    // The digest as 64 lower-case hex digits.
    static std::string Hex(const Digest& digest);

private:
    void Blocks(const unsigned char* blocks, std::size_t count);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t length_ = 0;  // bytes fed
};

}  // namespace wavecheck
