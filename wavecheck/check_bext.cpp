// The Broadcast Wave extension (bext): its version, date and time, reserved
// bytes, loudness values, texts and coding history, as EBU Tech 3285 lays
// them out (chunkinfo/bext_layout.h).
#include <algorithm>
#include <array>

#include "formats/bext_layout.h"
#include "wavecheck/checks.h"

namespace wavecheck::detail {
namespace {

namespace bext = formats::bext;
using wavedoc::MapEntry;

// The separators EBU Tech 3285 allows between the numbers of a date or time.
constexpr std::string_view kSeparators = "-_: .";

// One bext chunk of the walk whose fixed part the file holds whole, its
// fields read in the file's byte order.
struct Bext {
    const MapEntry& entry;
    wavedoc::FieldReader fields;  // the fixed part, kCodingHistory bytes

    std::uint32_t Version() const { return static_cast<std::uint32_t>(fields.Unsigned16(bext::kVersion)); }
    std::string_view Text(const bext::Field& field) const { return fields.Text(field); }
    std::int16_t Loudness(const bext::LoudnessField& loudness) const {
        return fields.Signed16(loudness.field);
    }
    char Byte(std::size_t at) const { return fields.Bytes(at, 1, "Reserved")[0]; }
};

// Calls visit(bext) for each bext chunk the walk kept that holds its fixed part.
template <typename Visit>
void EachBext(const CheckInput& input, Visit visit) {
    for (const MapEntry& entry : input.facts.metadata.bext) {
        if (entry.present < bext::kCodingHistory) continue;
        visit(Bext{entry, ContentFields(input, entry, bext::kCodingHistory)});
    }
}

// The coding history up to its zero byte, as far as kMostHistoryBytes; `whole`
// says whether that is all of it.
struct History {
    std::string text;
    bool whole = false;
};
History ReadHistory(const CheckInput& input, const MapEntry& entry) {
    History history{ReadContent(input, entry, bext::kCodingHistory, bext::kMostHistoryBytes)};
    const std::size_t zero = history.text.find('\0');
    history.whole = zero != std::string::npos || bext::kCodingHistory + history.text.size() >= entry.present;
    history.text.resize(std::min(zero, history.text.size()));
    return history;
}

// Whether text is in the form of `pattern`, where '9' stands for a digit and
// '-' for any of kSeparators.
bool InForm(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool fits = pattern[i] == '9' ? text[i] >= '0' && text[i] <= '9'
                                            : kSeparators.find(text[i]) != std::string_view::npos;
        if (!fits) return false;
    }
    return true;
}

// "Description (0xE9 at byte 12)": a text's first byte outside ASCII, if any.
std::optional<std::string> FirstNonAscii(std::string_view name, std::string_view text) {
    const auto at =
        std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (at == text.end()) return std::nullopt;
    return std::string(name) + " (" + Hex(static_cast<unsigned char>(*at), 2) + " at byte " +
           std::to_string(at - text.begin()) + ")";
}

// "a, b and c".
std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    }
    return text;
}

}  // namespace

void CheckBextVersion(const CheckInput& input, Report& report) {
    EachBext(input, [&](const Bext& chunk) {
        if (chunk.Version() <= bext::kLatestVersion) return;
        report.Add(chunk.entry.offset, chunk.entry.id,
                   "The " + ChunkAt(chunk.entry) + " gives version " + std::to_string(chunk.Version()) +
                       ", but EBU Tech 3285 defines versions 0 to 2 only, so readers cannot know what its "
                       "later bytes hold.");
    });
}

void CheckBextDate(const CheckInput& input, Report& report) {
    EachBext(input, [&](const Bext& chunk) {
        std::vector<std::string> faults;
        const std::string_view date = chunk.Text(bext::kOriginationDate);
        const std::string_view time = chunk.Text(bext::kOriginationTime);
        if (!date.empty() && !InForm(date, "9999-99-99")) {
            faults.push_back("OriginationDate " + QuotedText(date) + " (not yyyy-mm-dd)");
        }
        if (!time.empty() && !InForm(time, "99-99-99")) {
            faults.push_back("OriginationTime " + QuotedText(time) + " (not hh-mm-ss)");
        }
        if (faults.empty()) return;
        report.Add(chunk.entry.offset, chunk.entry.id,
                   "The " + ChunkAt(chunk.entry) + " gives " + Listed(faults) +
                       "; EBU Tech 3285 allows '-', '_', ':', ' ' or '.' between the numbers, so readers may "
                       "not read when it was made.");
    });
}

void CheckBextReserved(const CheckInput& input, Report& report) {
    EachBext(input, [&](const Bext& chunk) {
        const std::uint32_t version = chunk.Version();
        if (version > bext::kLatestVersion) return;  // a later version may use them
        // In versions 0 and 1 the bytes of the loudness values are bext-loudness's to tell.
        std::uint64_t reserved = 0;
        std::uint64_t nonZero = 0;
        std::size_t first = 0;
        for (std::size_t at = bext::ReservedStart(version); at < bext::kReservedEnd; ++at) {
            if (at >= bext::kLoudness && at < bext::kLoudnessEnd) continue;
            ++reserved;
            if (chunk.Byte(at) == '\0') continue;
            if (nonZero++ == 0) first = at;
        }
        if (nonZero == 0) return;
        report.Add(chunk.entry.offset, chunk.entry.id,
                   "The " + ChunkAt(chunk.entry) + " is version " + std::to_string(version) + ", whose " +
                       std::to_string(reserved) + " reserved bytes must be zero, but " +
                       text::Counted(nonZero, "is not", "are not") + ", the first at byte " +
                       std::to_string(first) + " (" + Hex(static_cast<unsigned char>(chunk.Byte(first)), 2) +
                       ").");
    });
}

void CheckBextLoudness(const CheckInput& input, Report& report) {
    EachBext(input, [&](const Bext& chunk) {
        const std::uint32_t version = chunk.Version();
        if (version >= 2) return;
        std::vector<std::string> given;
        for (const bext::LoudnessField& loudness : bext::kLoudnessFields) {
            if (chunk.Loudness(loudness) == 0) continue;
            given.push_back(std::string(loudness.field.name) + " " +
                            bext::LoudnessText(chunk.Loudness(loudness), loudness.unit));
        }
        if (given.empty()) return;
        report.Add(chunk.entry.offset, chunk.entry.id,
                   "The " + ChunkAt(chunk.entry) + " is version " + std::to_string(version) +
                       ", which has no loudness values, but gives " + Listed(given) +
                       "; readers of its version do not look for them.");
    });
}

void CheckBextAscii(const CheckInput& input, Report& report) {
    EachBext(input, [&](const Bext& chunk) {
        std::vector<std::string> fields;
        for (const bext::Field& field : {bext::kDescription, bext::kOriginator, bext::kOriginatorReference}) {
            if (auto fault = FirstNonAscii(field.name, chunk.Text(field)))
                fields.push_back(std::move(*fault));
        }
        if (auto fault = FirstNonAscii("CodingHistory", ReadHistory(input, chunk.entry).text)) {
            fields.push_back(std::move(*fault));
        }
        if (fields.empty()) return;
        report.Add(chunk.entry.offset, chunk.entry.id,
                   "The " + ChunkAt(chunk.entry) + " holds bytes outside ASCII in its " + Listed(fields) +
                       "; its texts are ASCII, so readers may show them wrongly.");
    });
}

void CheckBextHistoryLines(const CheckInput& input, Report& report) {
    for (const MapEntry& entry : input.facts.metadata.bext) {
        const History history = ReadHistory(input, entry);
        FirstFault fault;
        std::size_t line = 0;
        for (std::size_t at = 0; at < history.text.size();) {
            ++line;
            const std::size_t end = std::min(history.text.find_first_of("\r\n", at), history.text.size());
            const std::string_view ending = std::string_view(history.text).substr(end, 2);
            at = end + std::min<std::size_t>(ending.size(), ending == "\r\n" ? 2 : 1);
            // Where the bytes read end inside a line, its end is not known.
            if (ending == "\r\n" || (!history.whole && end + 2 > history.text.size())) continue;
            const std::string_view ends = ending.empty()      ? "without a line end"
                                          : ending[0] == '\r' ? "with CR alone"
                                                              : "with LF alone";
            fault.Note(entry.offset, entry.offset, entry.id, [&] {
                return "Line " + std::to_string(line) + " of the CodingHistory of the " + ChunkAt(entry) +
                       " ends " + std::string(ends) +
                       ", not CR LF; readers may join or split its lines wrongly.";
            });
        }
        fault.AddTo(report, "line", "lines");
    }
}

}  // namespace wavecheck::detail
