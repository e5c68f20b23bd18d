// The digest against the test suite of RFC 1321, fed whole and in pieces
// that straddle its 64-byte blocks.
#include "wavecheck/md5.h"

#include <gtest/gtest.h>

#include <string>

#include "text/display_text.h"

namespace {

std::string HexOf(const wavecheck::Md5::Digest& digest) {
    return text::HexDigits(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()),
                           text::HexCase::Lower);
}

TEST(Md5, GivesTheDigestsOfRfc1321WholeAndInPieces) {
    const std::string digits = "1234567890";
    std::string eighty;
    for (int i = 0; i < 8; ++i) eighty += digits;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {eighty, "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        for (const std::size_t piece :
             {std::size_t{1}, std::size_t{7}, std::size_t{63}, std::size_t{64}, text.size() + 1}) {
            wavecheck::Md5 md5;
            for (std::size_t at = 0; at < text.size(); at += piece)
                md5.Update(std::string_view(text).substr(at, piece));
            EXPECT_EQ(HexOf(md5.Finish()), expected) << "pieces of " << piece;
        }
    }
}

}  // namespace
