// SHA-256 against the digests of FIPS 180-4's examples and of long inputs fed
// in uneven pieces, on whichever path the processor takes.
#include "wavecheck/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Digest(const std::string& bytes, std::size_t piece = 0) {
    wavecheck::Sha256 hash;
    if (piece == 0) {
        hash.Update(bytes);
    } else {
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            hash.Update(std::string_view(bytes).substr(at, piece));
    }
    return wavecheck::Sha256::Hex(hash.Finish());
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Digest(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesAndZerosGiveTheSameDigest) {
    std::string bytes(100003, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 % 257);
    const std::string whole = Digest(bytes);
    for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 4096u})
        EXPECT_EQ(Digest(bytes, piece), whole) << piece;
    wavecheck::Sha256 zeros;
    zeros.Update("x");
    zeros.UpdateZeros(200000);
    EXPECT_EQ(wavecheck::Sha256::Hex(zeros.Finish()), Digest("x" + std::string(200000, '\0')));
}

}  // namespace
