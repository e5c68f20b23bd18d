#include "text_report.h"

#include <algorithm>
#include <array>
#include <ostream>

#include "report/file_summary.h"
#include "report/measured_report.h"
#include "report/structure_rows.h"
#include "text/counted.h"
#include "text/cut_text.h"
#include "text/display_text.h"
#include "text/invisible_characters.h"

namespace report {

namespace {

// One line of the structure table, indented by its depth (lists nest only so
// deep, so the indent is bounded).
void WriteEntry(std::ostream& out, const wavedoc::MapEntry& entry) {
    const int depth = entry.depth + 1;
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += std::to_string(entry.offset);
    line.resize(std::max<std::size_t>(line.size() + 1, static_cast<std::size_t>(depth) * 2 + 12), ' ');
    if (entry.IsChunk()) {
        line += text::TerminalText(entry.id) + "  size " + std::to_string(entry.size) +
                (entry.ds64Size ? " (ds64: " + std::to_string(*entry.ds64Size) + ")" : std::string()) + ", " +
                text::Counted(entry.present, "byte present", "bytes present");
        if (entry.pad == wavedoc::PadByte::Present) line += ", pad byte";
        if (entry.pad == wavedoc::PadByte::Missing) line += ", pad byte missing";
        if (!entry.listType.empty()) line += ", type " + text::TerminalText(entry.listType);
    } else {
        line += "(" + text::Counted(entry.length, "byte", "bytes") + ")";
        if (entry.stray == wavedoc::Stray::Unmapped)
            line += ", " + text::Counted(entry.leftOut, "entry", "entries");
    }
    if (entry.afterRiffEnd) line += ", after the RIFF end";
    line += entry.listing == wavedoc::Listing::Listed ? "  [listed]" : "  " + text::TerminalText(entry.Why());
    out << line << '\n';
}

// One row of the grid as a line, written in one piece: `indent`, then its
// cells as the terminal can show them, a cut text with its marker. Most rows
// are plain text, which holds no zero byte and so no cut mark either: one
// pass over them decides.
void AppendRowLine(std::string& out, std::string_view indent, std::string_view row) {
    out.append(indent);
    const std::size_t start = out.size();
    if (text::IsPlainText(row)) {
        out.append(row);
    } else if (const text::CutValue cut = text::SplitCut(row); cut.wholeLength) {
        out.append(text::TerminalText(cut.shown)).append(text::CutMarker(*cut.wholeLength));
    } else {
        out.append(text::TerminalText(row));
    }
    // The first TAB parts the label from the value; one inside the value is
    // escaped, so that a line always holds two fields.
    const std::size_t separator = out.find('\t', start);
    if (separator != std::string::npos && out.find('\t', separator + 1) != std::string::npos) {
        std::string value;
        for (std::size_t at = separator + 1; at < out.size(); ++at) {
            if (out[at] == '\t') {
                value += "\\u0009";
            } else {
                value += out[at];
            }
        }
        out.resize(separator + 1);
        out += value;
    }
    out += '\n';
}

void WriteRowLine(std::ostream& out, std::string_view indent, std::string_view row) {
    thread_local std::string line;
    line.clear();
    AppendRowLine(line, indent, row);
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace

void WriteStructure(std::ostream& out, const wavedoc::StructureMap& structure,
                    const wavedoc::WaveDocument* document) {
    out << "structure:\n";
    std::optional<report::StructureRows> decoded;
    if (document != nullptr) decoded.emplace(*document);
    for (const wavedoc::MapEntry& entry : structure.entries) {
        WriteEntry(out, entry);
        if (!decoded) continue;
        const std::optional<report::StructureRows::Rows> rows = decoded->For(entry);
        if (!rows) continue;
        // The rows sit under their entry, one step further in.
        const std::string indent(static_cast<std::size_t>(entry.depth + 2) * 2, ' ');
        for (const std::string& row : rows->rows) WriteRowLine(out, indent, row);
        if (rows->stopped) out << indent << "! " << text::TerminalText(*rows->stopped) << '\n';
    }
}

void WriteFindings(std::ostream& out, const wavecheck::Findings& findings) {
    out << "findings:" << (findings.shown.empty() && findings.Finished() ? " none\n" : "\n");
    std::size_t at = 0;
    for (const wavecheck::CodeCount& count : findings.counts) {
        for (std::uint64_t i = 0; i < count.shown; ++i, ++at) {
            const wavecheck::Finding& finding = findings.shown[at];
            out << "  " << wavecheck::LevelName(finding.level) << '\t' << finding.offset << '\t'
                << (finding.chunk.empty() ? "-" : text::TerminalText(finding.chunk)) << '\t' << finding.code
                << '\t' << text::TerminalText(finding.message) << '\n';
        }
        if (count.total > count.shown) {
            const std::string more = "more " + std::string(count.code);
            out << "  ...\t-\t-\t" << count.code << "\tand "
                << text::GroupedCounted(count.total - count.shown, more + " finding", more + " findings")
                << ".\n";
        }
    }
    if (!findings.Finished())
        out << "! The check could not finish: " << text::TerminalText(findings.unfinished) << '\n';
}

void WriteMeasured(std::ostream& out, const sound::Measurement& measured) {
    out << "measured:\n";
    if (!measured.Measured()) {
        out << "! " << text::TerminalText(measured.unmeasured) << '\n';
        return;
    }
    const sound::SampleFormat& format = measured.format;
    const std::string seconds = SecondsText(measured);
    out << "  format\t" << text::TerminalText(format.Name()) << ", "
        << text::Counted(format.channels, "channel", "channels") << ", " << format.sampleRate << " Hz\n"
        << "  length\t" << text::Counted(measured.frames, "frame", "frames") << " ("
        << (seconds.empty() ? "no length in time: the sample rate is 0" : seconds + " s") << ")\n";
    if (measured.loudness) {
        for (const LoudnessFigure& figure : LoudnessFigures(*measured.loudness)) {
            out << "  " << figure.name << '\t' << FigureText(figure) << '\n';
        }
        for (const std::string& channel : LeftOutOfLoudness(measured))
            out << "  left out of the loudness\t" << text::TerminalText(channel) << '\n';
    } else {
        out << "  loudness\tnot measured: " << text::TerminalText(measured.loudnessUnmeasured) << '\n';
    }
    for (std::size_t c = 0; c < measured.channels.size(); ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        out << "  channel " << c + 1 << "\tsample peak " << LinearText(channel.peak) << " ("
            << DecibelText(PeakDecibels(channel.peak), "-inf") << " dBFS) at frame " << channel.peakFrame
            << ", " << text::Counted(channel.clipped, "sample", "samples") << " clipped";
        if (c < measured.notFinite.size() && measured.notFinite[c].Count() > 0)
            out << ", " << NotFiniteText(measured.notFinite[c]) << " (measured as silence)";
        out << '\n';
    }
    if (measured.stopped) out << "! The measuring was stopped before the end of the audio.\n";
}

void TextReportWriter::Refused(const std::string& /*path*/, std::int16_t /*status*/,
                               const std::string& reason) {
    errors_ << "ondulo-dump: " << text::TerminalText(reason) << '\n';
}

void TextReportWriter::BeginFile(const std::string& path, const FileOverview& overview) {
    if (!overview.refusal.empty()) {
        Refused(path, wavedoc::LoadNotRiff, overview.refusal);
        if (!parts_.structure && !parts_.findings) return;
    }
    if (!firstFile_) out_ << '\n';
    firstFile_ = false;
    out_ << text::TerminalPath(path) << '\n';
    for (const ListedChunk& chunk : overview.chunks)
        out_ << text::TerminalText(chunk.name) << '\t' << chunk.size << '\n';
    if (WantsLostContent()) {
        for (const std::string& lost : LostContent(overview.findings))
            out_ << "! " << text::TerminalText(lost) << '\n';
    }
    for (const std::string& note : overview.notes) out_ << "! " << text::TerminalText(note) << '\n';
    const std::string alsoInFile = AlsoInFileSentence(overview.alsoInFile);
    if (!alsoInFile.empty()) out_ << "! " << text::TerminalText(alsoInFile) << '\n';
    if (parts_.structure && overview.structure != nullptr)
        WriteStructure(out_, *overview.structure, overview.document);
    if (parts_.findings) WriteFindings(out_, overview.findings);
    if (parts_.findings && overview.measured != nullptr) WriteMeasured(out_, *overview.measured);
}

void TextReportWriter::BeginChunk(const ListedChunk& chunk) {
    out_ << "\n[" << text::TerminalText(chunk.name) << "]\n";
}

void TextReportWriter::AppendRow(std::string_view row) {
    // Plain text, as most rows are, is looked at as it is copied; a row with
    // a TAB or anything to escape is made whole, then handed over.
    if (char* out = rows_.Room(row.size() + 1)) {
        if ((out = OutputBuffer::PutPlain(out, row)) != nullptr) {
            *out = '\n';
            rows_.Commit(out + 1);
            return;
        }
    }
    escaped_.clear();
    AppendRowLine(escaped_, {}, row);
    rows_.Append(escaped_);
}

void TextReportWriter::AppendValue(std::string_view label, std::string_view value) {
    // label TAB value, each part plain, copied straight into the buffer.
    if (char* out = rows_.Room(label.size() + value.size() + 2)) {
        if ((out = OutputBuffer::PutPlain(out, label)) != nullptr) {
            *out = '\t';
            out = OutputBuffer::PutPlain(out + 1, value);
        }
        if (out != nullptr) {
            *out = '\n';
            rows_.Commit(out + 1);
            return;
        }
    }
    rows::RowSink::AppendValue(label, value);
}

void TextReportWriter::AppendNumber(std::string_view label, std::int64_t value) {
    char digits[OutputBuffer::kMostDecimalBytes];
    AppendValue(label, std::string_view(digits, OutputBuffer::PutDecimal(digits, value)));
}

void TextReportWriter::EndChunk(const std::optional<std::string>& error) {
    rows_.Flush();
    if (error) out_ << "! " << text::TerminalText(*error) << '\n';
}

}  // namespace report
