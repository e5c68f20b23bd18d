#include "report/json_text.h"

#include "report/output_buffer.h"
#include "text/display_text.h"

namespace report {

namespace {

constexpr char kHex[] = "0123456789abcdef";

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[OutputBuffer::kMostDecimalBytes];
    out.append(digits, OutputBuffer::PutDecimal(digits, value));
}

}  // namespace

bool AppendPlainJsonString(std::string& out, std::string_view raw) {
    const std::size_t start = out.size();
    out.resize(start + raw.size() + 2);
    out[start] = '"';
    if (OutputBuffer::PutPlain(out.data() + start + 1, raw) == nullptr) {
        out.resize(start);
        return false;
    }
    out.back() = '"';
    return true;
}

void AppendJsonString(std::string& out, std::string_view raw) {
    if (AppendPlainJsonString(out, raw)) return;
    // Anything else is read as DisplayUtf8 shows it and escaped.
    const std::string utf8 = text::DisplayUtf8(raw);
    out.reserve(out.size() + utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string JsonString(std::string_view raw) {
    std::string json;
    AppendJsonString(json, raw);
    return json;
}

std::string HexBytes(std::string_view raw) { return text::HexDigits(raw, text::HexCase::Lower); }

void AppendDecimal(std::string& out, std::int64_t value) { AppendNumber(out, value); }
void AppendDecimal(std::string& out, std::uint64_t value) { AppendNumber(out, value); }

}  // namespace report
