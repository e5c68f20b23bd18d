#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

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
    // Writes the decimal digits of `value` at `to` and answers where they end.
    template <typename Number>
    static char* PutDecimal(char* to, Number value) {
        return std::to_chars(to, to + kMostDecimalBytes, value).ptr;
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

    std::ostream& out_;
    std::unique_ptr<char[]> bytes_;  // kCapacity bytes, the first used_ of them held
    std::size_t used_ = 0;
};
