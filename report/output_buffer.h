#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace report {

// Bytes gathered for a stream and written in pieces of a fixed size, for
// output made of hundreds of thousands of short parts: a part is copied
// straight into a buffer of fixed size, without the size bookkeeping of a
// string or a call per copy.
class OutputBuffer {
public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    // The buffer is left unset: a writer made for each of thousands of small
    // files would otherwise spend more on clearing it than on its rows.
    explicit OutputBuffer(std::ostream& out)
        : out_(out), bytes_(std::make_unique_for_overwrite<char[]>(kCapacity)) {}
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Room for `size` more bytes, written from the pointer on and then
    // committed with Commit; what is held is written first when the room is
    // not left. A part larger than the buffer gets none (nullptr): Append it.
    char* Room(std::size_t size) {
        if (size > kCapacity) return nullptr;
        if (size > kCapacity - used_) Flush();
        return bytes_.get() + used_;
    }
    // Takes the bytes written into the room up to `end`.
    void Commit(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.get()); }

    void Append(std::string_view part) {
        if (char* room = Room(part.size())) {
            Commit(Put(room, part));
            return;
        }
        Flush();
        out_.write(part.data(), static_cast<std::streamsize>(part.size()));
    }

    void Flush() {
        out_.write(bytes_.get(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

    // Copies `part` to `to` and answers where it ends. A part of up to 32
    // bytes is copied as two blocks of fixed size that overlap (or, under four
    // bytes, byte by byte), which the compiler turns into a few moves instead
    // of a call.
    [[gnu::always_inline]] static char* Put(char* to, std::string_view part) {
        const std::size_t size = part.size();
        const char* from = part.data();
        if (size >= 16 && size <= 32) {
            CopyPair<16>(to, from, size);
        } else if (size >= 8 && size < 16) {
            CopyPair<8>(to, from, size);
        } else if (size >= 4 && size < 8) {
            CopyPair<4>(to, from, size);
        } else if (size > 32) {
            std::memcpy(to, from, size);
        } else if (size > 0) {
            // One to three bytes: the first, the middle and the last.
            to[0] = from[0];
            to[size / 2] = from[size / 2];
            to[size - 1] = from[size - 1];
        }
        return to + size;
    }

    // Copies `part` to `to` when it is printable ASCII without quote or
    // backslash, which both the JSON and the text writer write as it is, and
    // answers where it ends; answers nullptr when it is not (the caller
    // escapes it instead), having written over no more than part.size()
    // bytes. The bytes are looked at and copied in one pass, sixteen at a time.
    static char* PutPlain(char* to, std::string_view part);

    // The most bytes PutDecimal writes.
    static constexpr std::size_t kMostDecimalBytes = 20;
    // Writes the decimal digits of `value` at `to` (a minus sign first for a
    // negative one) and answers where they end: the count of digits from the
    // number's bit width, then two digits at a time from the last.
    static char* PutDecimal(char* to, std::uint64_t value) {
        const std::size_t digits = DecimalDigits(value);
        char* at = to + digits;
        while (value >= 100) {
            at -= 2;
            std::memcpy(at, kDigitPairs + 2 * (value % 100), 2);
            value /= 100;
        }
        if (value >= 10) {
            std::memcpy(at - 2, kDigitPairs + 2 * value, 2);
        } else {
            at[-1] = static_cast<char>('0' + value);
        }
        return to + digits;
    }
    static char* PutDecimal(char* to, std::int64_t value) {
        if (value >= 0) return PutDecimal(to, static_cast<std::uint64_t>(value));
        *to = '-';
        // The magnitude of the lowest value too, in unsigned arithmetic.
        return PutDecimal(to + 1, std::uint64_t{0} - static_cast<std::uint64_t>(value));
    }

private:
    // The first and the last `kBlock` bytes of a part of kBlock to 2 * kBlock
    // bytes; both are read before either is written.
    template <std::size_t kBlock>
    [[gnu::always_inline]] static void CopyPair(char* to, const char* from, std::size_t size) {
        char head[kBlock];
        char tail[kBlock];
        std::memcpy(head, from, kBlock);
        std::memcpy(tail, from + size - kBlock, kBlock);
        std::memcpy(to, head, kBlock);
        std::memcpy(to + size - kBlock, tail, kBlock);
    }

    // "00", "01" ... "99".
    static constexpr char kDigitPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";

    // How many decimal digits `value` has: about 1233 / 4096 of its bit
    // width (log10 2), one more where it reaches the next power of ten.
    static std::size_t DecimalDigits(std::uint64_t value) {
        static constexpr std::uint64_t kPowers[] = {1ULL,
                                                    10ULL,
                                                    100ULL,
                                                    1000ULL,
                                                    10000ULL,
                                                    100000ULL,
                                                    1000000ULL,
                                                    10000000ULL,
                                                    100000000ULL,
                                                    1000000000ULL,
                                                    10000000000ULL,
                                                    100000000000ULL,
                                                    1000000000000ULL,
                                                    10000000000000ULL,
                                                    100000000000000ULL,
                                                    1000000000000000ULL,
                                                    10000000000000000ULL,
                                                    100000000000000000ULL,
                                                    1000000000000000000ULL,
                                                    10000000000000000000ULL};
        // 0 has one digit, as 1 has; no power of ten above 1 is odd.
        const std::uint64_t odd = value | 1;
        const auto guess = static_cast<std::size_t>(std::bit_width(odd) * 1233 >> 12);
        return guess + (odd >= kPowers[guess] ? 1 : 0);
    }

    std::ostream& out_;
    std::unique_ptr<char[]> bytes_;  // kCapacity bytes, the first used_ of them held
    std::size_t used_ = 0;
};

}  // namespace report
