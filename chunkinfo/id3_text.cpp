#include "chunkinfo/id3_text.h"

#include "text/display_text.h"

namespace chunkinfo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf16(Id3Encoding encoding) {
    return encoding == Id3Encoding::Utf16 || encoding == Id3Encoding::Utf16BigEndian;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string text;
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t code = unit(at);
        if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text::AppendUtf8(text, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
                continue;
            }
        }
        text::AppendUtf8(text, code >= 0xD800 && code <= 0xDFFF ? kReplacement : code);
    }
    if (at < bytes.size()) text::AppendUtf8(text, kReplacement);
    return text;
}

}  // namespace

Id3String SplitId3String(std::string_view bytes, Id3Encoding encoding) {
    if (!IsUtf16(encoding)) {
        const std::size_t zero = bytes.find('\0');
        if (zero == std::string_view::npos) return {bytes, {}};
        return {bytes.substr(0, zero), bytes.substr(zero + 1)};
    }
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        if (bytes[at] == '\0' && bytes[at + 1] == '\0') return {bytes.substr(0, at), bytes.substr(at + 2)};
    }
    return {bytes, {}};
}

std::string Id3ToUtf8(std::string_view text, Id3Encoding encoding) {
    switch (encoding) {
        case Id3Encoding::Latin1: {
            std::string utf8;
            for (const char c : text) text::AppendUtf8(utf8, static_cast<unsigned char>(c));
            return utf8;
        }
        case Id3Encoding::Utf16:
            if (text.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(text.substr(2), true);
            if (text.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(text.substr(2), false);
            return Utf16ToUtf8(text, false);
        case Id3Encoding::Utf16BigEndian:
            return Utf16ToUtf8(text, true);
        case Id3Encoding::Utf8:
            break;
    }
    return std::string(text);
}

}  // namespace chunkinfo
