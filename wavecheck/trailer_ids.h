#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace wavecheck {

// A set of four-byte chunk ids, asked at every byte of a window: a table of
// the ids' first bytes turns most bytes away with one load, and the few
// that pass are one 32-bit compare per id.
class IdSet {
public:
    constexpr IdSet(std::initializer_list<std::string_view> ids) { Add(ids); }
    // This set and `more`.
    constexpr IdSet With(std::initializer_list<std::string_view> more) const {
        IdSet set = *this;
        set.Add(more);
        return set;
    }
    // The first place from `from` on, before `end`, whose byte may start one
    // of the ids; `end` when there is none. Four bytes are looked up
    // together, as most bytes of audio start none.
    std::size_t NextCandidate(const char* bytes, std::size_t from, std::size_t end) const {
        const auto first = [&](std::size_t at) { return firsts_[static_cast<unsigned char>(bytes[at])]; };
        for (; from + 4 <= end; from += 4) {
            if (first(from) || first(from + 1) || first(from + 2) || first(from + 3)) break;
        }
        while (from < end && !first(from)) ++from;
        return from;
    }
    // Whether the four bytes at `at` are one of the ids.
    bool Holds(const char* at) const {
        if (!firsts_[static_cast<unsigned char>(at[0])]) return false;
        const auto end = ids_.begin() + static_cast<std::ptrdiff_t>(count_);
        return std::find(ids_.begin(), end, Word(at)) != end;
    }

private:
    static constexpr std::size_t kMostIds = 32;
    constexpr void Add(std::initializer_list<std::string_view> ids) {
        for (const std::string_view id : ids) {
            firsts_[static_cast<unsigned char>(id[0])] = true;
            ids_.at(count_++) = Word(id.data());
        }
    }
    // The four bytes as one number, the first lowest: only equality is asked.
    static constexpr std::uint32_t Word(const char* at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(at[0])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(at[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(at[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(at[3])) << 24;
    }
    std::array<bool, 256> firsts_{};
    std::array<std::uint32_t, kMostIds> ids_{};
    std::size_t count_ = 0;
};

// Ids of the chunks writers add after the audio: only these start a run of
// chunks looked for inside audio or stray bytes, so that audio which happens
// to look like a header is not taken for one. The check and the mend read
// the same set.
constexpr IdSet kTrailerIds{"LIST", "smpl", "inst", "cue ", "plst", "bext", "iXML", "id3 ",
                            "ID3 ", "_PMX", "axml", "cart", "acid", "JUNK", "junk", "fact",
                            "MD5 ", "DISP", "umid", "levl", "chna", "PAD ", "FLLR", "SyLp"};
// Those and the two chunks every file needs: what stray bytes may hide.
constexpr IdSet kHiddenIds = kTrailerIds.With({"data", "fmt "});

// Whether `id` is one of the ids of chunks writers add after the audio.
inline bool IsTrailerId(std::string_view id) { return id.size() == 4 && kTrailerIds.Holds(id.data()); }

}  // namespace wavecheck
