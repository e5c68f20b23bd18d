#include "diff_output.h"

#include <cstdio>
#include <ostream>

#include "diff/audio_sentence.h"
#include "report/json_text.h"
#include "run_summary.h"
#include "text/counted.h"
#include "text/escaped_text.h"

namespace {

std::string TextRange(const std::optional<rows::ByteRange>& at) {
    if (!at) return "-";
    return std::to_string(at->offset) + "+" + std::to_string(at->length);
}

std::string TextAt(const diff::RowChange& row) {
    std::string at;
    if (row.a) at += "A " + TextRange(row.atA);
    if (row.a && row.b) at += ", ";
    if (row.b) at += "B " + TextRange(row.atB);
    return at;
}

void WriteRowText(const diff::RowChange& row, std::string_view indent, std::ostream& out) {
    out << indent;
    if (!row.a) {
        out << "+ " << text::TerminalText(row.label) << "\t" << text::TerminalText(*row.b);
    } else if (!row.b) {
        out << "- " << text::TerminalText(row.label) << "\t" << text::TerminalText(*row.a);
    } else {
        out << text::TerminalText(row.label) << "\t" << text::TerminalText(*row.a) << " -> "
            << text::TerminalText(*row.b);
    }
    out << "\t(at " << TextAt(row) << ")\n";
}

std::string PlaceText(const char* side, const std::optional<diff::Place>& place) {
    if (!place) return {};
    return std::string(side) + " " + std::to_string(place->offset) + " (" +
           text::Counted(place->covered, "byte", "bytes") + ")";
}

void WriteEntryText(const diff::EntryDiff& entry, std::ostream& out) {
    out << "[" << text::TerminalText(entry.path) << "] " << entry.Mark();
    if (entry.moved && entry.Changed()) out << ", moved";
    out << ": at ";
    if (entry.a) out << PlaceText("A", entry.a);
    if (entry.a && entry.b) out << ", ";
    if (entry.b) out << PlaceText("B", entry.b);
    if (entry.Resized()) out << "; size " << entry.a->declared << " -> " << entry.b->declared;
    if (entry.bytesDiffer && entry.rows.empty() && entry.records.empty() && !entry.Resized()) {
        out << "; its bytes differ";
    }
    out << "\n";
    for (const diff::RowChange& row : entry.rows) WriteRowText(row, "  ", out);
    for (const diff::RecordChange& record : entry.records) {
        if (record.presence == diff::Presence::Both) {
            out << "  " << text::TerminalText(record.name) << " changed\n";
            for (const diff::RowChange& row : record.rows) WriteRowText(row, "    ", out);
        } else {
            const bool added = record.presence == diff::Presence::OnlyB;
            out << "  " << (added ? "+ " : "- ") << text::TerminalText(record.name) << "\t(at "
                << (added ? "B " + TextRange(record.atB) : "A " + TextRange(record.atA)) << ")\n";
        }
    }
    if (entry.stoppedA != entry.stoppedB) {
        if (entry.stoppedA) out << "  A stops short: " << text::TerminalText(*entry.stoppedA) << "\n";
        if (entry.stoppedB) out << "  B stops short: " << text::TerminalText(*entry.stoppedB) << "\n";
    }
}

std::string JsonAt(const std::optional<rows::ByteRange>& at) {
    if (!at) return "null";
    return "[" + std::to_string(at->offset) + ", " + std::to_string(at->length) + "]";
}

std::string JsonOrNull(const std::optional<std::string>& text) {
    return text ? report::JsonString(*text) : "null";
}

std::string JsonValue(const std::optional<std::string>& value, const std::optional<rows::ByteRange>& at) {
    if (!value) return "null";
    return "{\"value\": " + report::JsonString(*value) + ", \"at\": " + JsonAt(at) + "}";
}

std::string JsonRows(const std::vector<diff::RowChange>& rows) {
    std::string json = "[";
    const char* separator = "";
    for (const diff::RowChange& row : rows) {
        json += separator;
        json += "{\"label\": " + report::JsonString(row.label) + ", \"a\": " + JsonValue(row.a, row.atA) +
                ", \"b\": " + JsonValue(row.b, row.atB) + "}";
        separator = ", ";
    }
    return json + "]";
}

std::string JsonPlace(const std::optional<diff::Place>& place) {
    if (!place) return "null";
    return "{\"offset\": " + std::to_string(place->offset) +
           ", \"covered\": " + std::to_string(place->covered) +
           ", \"size\": " + std::to_string(place->declared) +
           ", \"size_field\": " + std::to_string(place->sizeField) + "}";
}

std::string_view PresenceName(diff::Presence presence) {
    switch (presence) {
        case diff::Presence::OnlyA:
            return "dropped";
        case diff::Presence::OnlyB:
            return "added";
        case diff::Presence::Both:
            break;
    }
    return "changed";
}

std::string JsonEntry(const diff::EntryDiff& entry) {
    std::string json =
        "{\"path\": " + report::JsonString(entry.path) + ", \"id\": " + report::JsonString(entry.id) +
        ", \"list_type\": " + (entry.listType.empty() ? "null" : report::JsonString(entry.listType)) +
        ", \"change\": \"" + std::string(entry.Mark()) +
        "\", \"moved\": " + (entry.moved ? "true" : "false") + ", \"a\": " + JsonPlace(entry.a) +
        ", \"b\": " + JsonPlace(entry.b) + ", \"bytes_differ\": " + (entry.bytesDiffer ? "true" : "false") +
        ", \"rows\": " + JsonRows(entry.rows) + ", \"records\": [";
    const char* separator = "";
    for (const diff::RecordChange& record : entry.records) {
        json += separator;
        json += "{\"name\": " + report::JsonString(record.name) + ", \"change\": \"" +
                std::string(PresenceName(record.presence)) + "\", \"at\": {\"a\": " + JsonAt(record.atA) +
                ", \"b\": " + JsonAt(record.atB) + "}, \"rows\": " + JsonRows(record.rows) + "}";
        separator = ", ";
    }
    return json + "], \"stopped\": {\"a\": " + JsonOrNull(entry.stoppedA) +
           ", \"b\": " + JsonOrNull(entry.stoppedB) + "}}";
}

std::string_view VerdictName(diff::AudioVerdict verdict) {
    switch (verdict) {
        case diff::AudioVerdict::Identical:
            return "identical";
        case diff::AudioVerdict::NoAudio:
            return "no_audio";
        case diff::AudioVerdict::Differs:
            return "differs";
        case diff::AudioVerdict::LengthDiffers:
            return "length_differs";
        case diff::AudioVerdict::OtherFormat:
            return "other_format";
        case diff::AudioVerdict::Unlike:
            return "unlike";
    }
    return {};
}

std::string JsonAudioSide(const diff::AudioSide& side) {
    if (!side.present) return "null";
    return "{\"offset\": " + std::to_string(side.offset) + ", \"bytes\": " + std::to_string(side.bytes) +
           ", \"frames\": " + std::to_string(side.frames) +
           ", \"format\": " + report::JsonString(side.format) +
           ", \"channels\": " + std::to_string(side.channels) +
           ", \"sample_rate\": " + std::to_string(side.sampleRate) + "}";
}

std::string JsonAudio(const diff::AudioDiff& audio) {
    char second[32] = "null";
    if (audio.firstFrame) std::snprintf(second, sizeof second, "%.6f", audio.firstSecond);
    return "{\"verdict\": \"" + std::string(VerdictName(audio.verdict)) +
           "\", \"a\": " + JsonAudioSide(audio.a) + ", \"b\": " + JsonAudioSide(audio.b) +
           ", \"across_byte_orders\": " + (audio.acrossByteOrders ? "true" : "false") +
           ", \"first_frame\": " + (audio.firstFrame ? std::to_string(*audio.firstFrame) : "null") +
           ", \"first_second\": " + second + "}";
}

}  // namespace

int DiffExitStatus(const diff::Diff& diff) {
    if (diff.Trouble()) return kBadUsage;
    return diff.Same() ? 0 : kFaults;
}

std::string_view DiffOutcome(const diff::Diff& diff) {
    if (diff.Trouble()) return "trouble";
    return diff.Same() ? "same" : "different";
}

void WriteDiffText(const diff::Diff& diff, std::ostream& out) {
    if (diff.Trouble() || diff.Same()) return;
    out << "A: " << text::TerminalPath(diff.pathA) << "\nB: " << text::TerminalPath(diff.pathB) << "\n";
    if (diff.formA != diff.formB) {
        out << "form: " << text::TerminalText(diff.formA) << " -> " << text::TerminalText(diff.formB)
            << (diff.FormAndSizesOnly() ? "; the files differ in form and sizes, not in content" : "")
            << "\n";
    }
    if (diff.lengthA != diff.lengthB)
        out << "length: " << diff.lengthA << " -> " << diff.lengthB << " bytes\n";
    if (diff.riffSizeA != diff.riffSizeB)
        out << "RIFF size: " << diff.riffSizeA << " -> " << diff.riffSizeB << "\n";
    for (const diff::EntryDiff& entry : diff.entries) {
        if (!entry.Same()) WriteEntryText(entry, out);
    }
    for (const diff::FindingChange& change : diff.findings) {
        out << "finding " << (change.appeared ? "+ " : "- ") << change.finding.code << "\t"
            << wavecheck::LevelName(change.finding.level) << "\t(at " << (change.appeared ? "B " : "A ")
            << change.finding.offset << ")\t" << text::TerminalText(change.finding.message) << "\n";
    }
    out << "audio: " << diff::AudioSentence(diff.audio) << "\n";
}

std::string DiffJson(const diff::Diff& diff) {
    std::string json = "{\"diff\": {\"a\": " + report::JsonString(diff.pathA) +
                       ", \"b\": " + report::JsonString(diff.pathB) +
                       ", \"same\": " + (diff.Same() ? "true" : "false") +
                       ", \"status\": " + std::to_string(DiffExitStatus(diff)) +
                       ", \"trouble\": " + (diff.Trouble() ? report::JsonString(diff.trouble) : "null");
    if (diff.Trouble()) return json + "}}";
    json += ", \"form\": {\"a\": " + report::JsonString(diff.formA) +
            ", \"b\": " + report::JsonString(diff.formB) +
            ", \"form_and_sizes_only\": " + (diff.FormAndSizesOnly() ? "true" : "false") +
            "}, \"length\": {\"a\": " + std::to_string(diff.lengthA) +
            ", \"b\": " + std::to_string(diff.lengthB) +
            "}, \"riff_size\": {\"a\": " + std::to_string(diff.riffSizeA) +
            ", \"b\": " + std::to_string(diff.riffSizeB) + "}, \"chunks\": [";
    const char* separator = "";
    for (const diff::EntryDiff& entry : diff.entries) {
        if (entry.Same()) continue;
        json += separator + JsonEntry(entry);
        separator = ", ";
    }
    json += "], \"findings\": [";
    separator = "";
    for (const diff::FindingChange& change : diff.findings) {
        json += separator;
        json += std::string("{\"change\": \"") + (change.appeared ? "appeared" : "gone") +
                "\", \"code\": " + report::JsonString(change.finding.code) + ", \"level\": \"" +
                std::string(wavecheck::LevelName(change.finding.level)) +
                "\", \"offset\": " + std::to_string(change.finding.offset) +
                ", \"chunk\": " + report::JsonString(change.finding.chunk) +
                ", \"message\": " + report::JsonString(change.finding.message) + "}";
        separator = ", ";
    }
    return json + "], \"audio\": " + JsonAudio(diff.audio) + "}}";
}
