#include "wavecheck/sha256.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define ONDULO_SHA_X86 1
#endif

namespace wavecheck {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); }

void PortableBlocks(std::array<std::uint32_t, 8>& state, const unsigned char* data, std::size_t count) {
    for (; count > 0; --count, data += 64) {
        std::array<std::uint32_t, 64> w{};
        for (std::size_t i = 0; i < 16; ++i) {
            w[i] = static_cast<std::uint32_t>(data[4 * i]) << 24 |
                   static_cast<std::uint32_t>(data[4 * i + 1]) << 16 |
                   static_cast<std::uint32_t>(data[4 * i + 2]) << 8 |
                   static_cast<std::uint32_t>(data[4 * i + 3]);
        }
        for (std::size_t i = 16; i < 64; ++i) {
            const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (std::size_t i = 0; i < 64; ++i) {
            const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
            const std::uint32_t ch = (e & f) ^ (~e & g);
            const std::uint32_t t1 = h + s1 + ch + kRound[i] + w[i];
            const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
            const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
            const std::uint32_t t2 = s0 + maj;
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef ONDULO_SHA_X86
// The processor's SHA extensions (Intel SHA-NI), after the pattern of Intel's
// published reference code: two rounds per sha256rnds2, the message schedule
// by sha256msg1 and sha256msg2.
__attribute__((target("sha,sse4.1,ssse3"))) void ShaNiBlocks(std::array<std::uint32_t, 8>& state,
                                                             const unsigned char* data, std::size_t count) {
    const __m128i shuffle = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    tmp = _mm_shuffle_epi32(tmp, 0xB1);                // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);          // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // CDGH

    for (; count > 0; --count, data += 64) {
        const __m128i abefSave = state0;
        const __m128i cdghSave = state1;
        __m128i msg;
        __m128i msgs[4];
        for (int i = 0; i < 4; ++i) {
            msgs[i] =
                _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), shuffle);
        }
        for (int round = 0; round < 16; ++round) {
            __m128i& current = msgs[round % 4];
            if (round >= 4) {
                // msgs[round % 4] = schedule of words 4*round .. 4*round+3
                __m128i next = _mm_sha256msg1_epu32(current, msgs[(round + 1) % 4]);
                next = _mm_add_epi32(next, _mm_alignr_epi8(msgs[(round + 3) % 4], msgs[(round + 2) % 4], 4));
                current = _mm_sha256msg2_epu32(next, msgs[(round + 3) % 4]);
            }
            msg = _mm_add_epi32(current, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                             &kRound[static_cast<std::size_t>(4 * round)])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
            msg = _mm_shuffle_epi32(msg, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
        }
        state0 = _mm_add_epi32(state0, abefSave);
        state1 = _mm_add_epi32(state1, cdghSave);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // ABEF
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

bool HasShaNi() {
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
        const bool sha = (b & (1u << 29)) != 0;
        if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
        const bool sse41 = (c & (1u << 19)) != 0;
        const bool ssse3 = (c & (1u << 9)) != 0;
        return sha && sse41 && ssse3;
    }();
    return has;
}
#endif

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {
}

void Sha256::Blocks(const unsigned char* blocks, std::size_t count) {
#ifdef ONDULO_SHA_X86
    if (HasShaNi()) {
        ShaNiBlocks(state_, blocks, count);
        return;
    }
#endif
    PortableBlocks(state_, blocks, count);
}

void Sha256::Update(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    length_ += left;
    if (pendingBytes_ > 0) {
        const std::size_t take = std::min(left, pending_.size() - pendingBytes_);
        std::memcpy(pending_.data() + pendingBytes_, data, take);
        pendingBytes_ += take;
        data += take;
        left -= take;
        if (pendingBytes_ < pending_.size()) return;
        Blocks(pending_.data(), 1);
        pendingBytes_ = 0;
    }
    if (left >= 64) {
        Blocks(data, left / 64);
        data += left / 64 * 64;
        left %= 64;
    }
    std::memcpy(pending_.data(), data, left);
    pendingBytes_ = left;
}

void Sha256::UpdateZeros(std::uint64_t count) {
    static const std::string zeros(64 * 1024, '\0');
    while (count > 0) {
        const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(count, zeros.size()));
        Update(std::string_view(zeros).substr(0, part));
        count -= part;
    }
}

Sha256::Digest Sha256::Finish() {
    const std::uint64_t bits = length_ * 8;
    unsigned char tail[72] = {0x80};
    const std::size_t fill = (pendingBytes_ < 56 ? 56 : 120) - pendingBytes_;
    for (std::size_t i = 0; i < 8; ++i) tail[fill + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Update(std::string_view(reinterpret_cast<const char*>(tail), fill + 8));
    Digest digest{};
    for (std::size_t i = 0; i < 8; ++i) {
        for (std::size_t j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<unsigned char>(state_[i] >> (24 - 8 * j));
    }
    return digest;
}

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

}  // namespace wavecheck
