#include "mend_command.h"

#include <optional>
#include <ostream>

#include "mend/mend.h"
#include "report/json_writer.h"
#include "run_summary.h"
#include "text/escaped_text.h"

namespace {

std::string Range(std::uint64_t offset, std::uint64_t length) {
    return std::to_string(offset) + " (" + std::to_string(length) + (length == 1 ? " byte)" : " bytes)");
}

std::string JsonAt(std::uint64_t offset, std::uint64_t length) {
    return "[" + std::to_string(offset) + ", " + std::to_string(length) + "]";
}

std::string JsonOrNull(const std::string& text) { return text.empty() ? "null" : report::JsonString(text); }

// What the command comes to, for either form.
struct MendRun {
    mend::Plan plan;
    std::optional<mend::WriteResult> written;
    std::optional<mend::Recheck> recheck;
    bool changed = false;  // FILE changed while it was read
    int status = 0;
};

void WriteText(const MendRun& run, const std::string* destination, std::ostream& out) {
    const mend::Plan& plan = run.plan;
    out << "mend: " << text::TerminalPath(plan.path) << "\n";
    if (plan.Refused()) {
        out << "  cannot be mended: " << text::TerminalText(plan.refusal) << "\n";
        return;
    }
    if (plan.NothingToMend()) {
        out << "  nothing to mend; no copy written.\n";
    } else {
        out << "changes:\n";
        for (const mend::Change& change : plan.changes) {
            out << "  " << change.code << "\t" << Range(change.offset, change.length) << "\t"
                << text::TerminalText(change.sentence) << "\n";
        }
    }
    if (!plan.dropped.empty()) {
        out << "dropped:\n";
        for (const mend::Dropped& dropped : plan.dropped) {
            out << "  " << Range(dropped.offset, dropped.length) << "\t" << text::TerminalText(dropped.why)
                << "\n";
        }
    }
    if (!plan.leftAlone.empty()) {
        out << "left as it is:\n";
        for (const mend::LeftAlone& left : plan.leftAlone) {
            out << "  " << left.code << "\t" << left.offset << "\t" << text::TerminalText(left.reason)
                << "\n";
        }
    }
    if (!plan.unanswered.empty()) {
        out << "errors no mend answers:";
        for (const std::string& code : plan.unanswered) out << " " << code << ";";
        out << "\n";
    }
    out << "audio: " << plan.audioBytes << " bytes from offset " << plan.audioOffset << "\n";
    if (!run.written || destination == nullptr) return;
    const mend::WriteResult& written = *run.written;
    if (written.status != mend::WriteStatus::Written) {
        out << "not written: " << text::TerminalText(written.message) << "\n";
        return;
    }
    out << "written: " << text::TerminalPath(*destination) << " (" << written.destLength << " bytes)\n";
    out << "  audio in FILE: " << written.audioBytes << " bytes, SHA-256 " << written.sourceAudioSha256
        << "\n";
    out << "  audio in DEST: " << written.audioBytes << " bytes, SHA-256 " << written.destAudioSha256
        << (written.sourceAudioSha256 == written.destAudioSha256 ? " (the same, compared byte for byte)"
                                                                 : " (NOT the same)")
        << "\n";
    if (run.recheck) {
        if (run.recheck->errors.empty()) {
            out << "  check of DEST: no error"
                << (run.recheck->nothingToMend ? "; nothing more to mend.\n" : ".\n");
        } else {
            out << "  check of DEST: " << run.recheck->errors.size()
                << (run.recheck->errors.size() == 1 ? " error" : " errors") << " no mend answers:\n";
            for (const wavecheck::Finding& finding : run.recheck->errors) {
                out << "    " << finding.code << "\t" << finding.offset << "\t"
                    << text::TerminalText(finding.message) << "\n";
            }
        }
    }
}

void WriteJson(const MendRun& run, const std::string* destination, std::ostream& out) {
    const mend::Plan& plan = run.plan;
    out << "{\"mend\": {\"file\": " << report::JsonString(plan.path)
        << ", \"dest\": " << (destination != nullptr ? report::JsonString(*destination) : "null")
        << ", \"refusal\": " << JsonOrNull(plan.refusal)
        << ", \"nothing_to_mend\": " << (plan.NothingToMend() ? "true" : "false") << ",\n  \"changes\": [";
    const char* separator = "";
    for (const mend::Change& change : plan.changes) {
        out << separator << "\n    {\"code\": " << report::JsonString(change.code)
            << ", \"at\": " << JsonAt(change.offset, change.length)
            << ", \"sentence\": " << report::JsonString(change.sentence) << "}";
        separator = ",";
    }
    out << "],\n  \"left_alone\": [";
    separator = "";
    for (const mend::LeftAlone& left : plan.leftAlone) {
        out << separator << "\n    {\"code\": " << report::JsonString(left.code)
            << ", \"offset\": " << left.offset << ", \"why\": " << report::JsonString(left.reason) << "}";
        separator = ",";
    }
    out << "],\n  \"dropped\": [";
    separator = "";
    for (const mend::Dropped& dropped : plan.dropped) {
        out << separator << "\n    {\"at\": " << JsonAt(dropped.offset, dropped.length)
            << ", \"why\": " << report::JsonString(dropped.why) << "}";
        separator = ",";
    }
    out << "],\n  \"unanswered\": [";
    separator = "";
    for (const std::string& code : plan.unanswered) {
        out << separator << report::JsonString(code);
        separator = ", ";
    }
    const bool written = run.written && run.written->status == mend::WriteStatus::Written;
    out << "],\n  \"audio\": {\"file\": {\"offset\": " << plan.audioOffset
        << ", \"bytes\": " << plan.audioBytes
        << ", \"sha256\": " << (written ? report::JsonString(run.written->sourceAudioSha256) : "null")
        << "}, \"dest\": ";
    if (written) {
        out << "{\"bytes\": " << run.written->audioBytes
            << ", \"sha256\": " << report::JsonString(run.written->destAudioSha256) << "}";
    } else {
        out << "null";
    }
    out << "},\n  \"written\": " << (written ? "true" : "false")
        << ", \"error\": " << (run.written && !written ? JsonOrNull(run.written->message) : "null")
        << ",\n  \"dest_check\": ";
    if (run.recheck) {
        out << "{\"errors\": [";
        separator = "";
        for (const wavecheck::Finding& finding : run.recheck->errors) {
            out << separator << "{\"code\": " << report::JsonString(finding.code)
                << ", \"offset\": " << finding.offset
                << ", \"message\": " << report::JsonString(finding.message) << "}";
            separator = ", ";
        }
        out << "], \"claimed\": " << run.recheck->claimed.size()
            << ", \"nothing_to_mend\": " << (run.recheck->nothingToMend ? "true" : "false") << "}";
    } else {
        out << "null";
    }
    out << ",\n  \"status\": " << run.status << "}}\n";
}

}  // namespace

int RunMend(const std::string& file, const std::string* destination, bool json, std::ostream& out,
            std::ostream& errors) {
    MendRun run;
    const report::Analysis analysis = report::Analyse(file);
    run.plan = mend::MakePlan(analysis);
    run.changed = analysis.findings && !analysis.findings->Finished();
    if (run.plan.Refused()) {
        run.status = run.changed ? kUnfinished : kFaults;
    } else if (run.plan.NothingToMend()) {
        run.status = run.plan.unanswered.empty() ? 0 : kFaults;
    } else if (destination != nullptr) {
        if (mend::SameFile(file, *destination)) {
            run.written = mend::WriteResult{mend::WriteStatus::Refused,
                                            "\"" + *destination + "\" is \"" + file +
                                                "\" itself: Ondulo never mends a file in place; name another "
                                                "file for the copy.",
                                            0,
                                            {},
                                            {},
                                            0};
            run.status = kBadUsage;
        } else {
            run.written = mend::WritePlan(analysis, run.plan, *destination);
            switch (run.written->status) {
                case mend::WriteStatus::Written:
                    run.recheck = mend::CheckCopy(*destination);
                    run.status = run.recheck->errors.empty() && run.recheck->unfinished.empty() ? 0 : kFaults;
                    break;
                case mend::WriteStatus::Changed:
                    run.status = kUnfinished;
                    break;
                case mend::WriteStatus::Refused:
                    run.status = kBadUsage;
                    break;
                default:
                    run.status = kFaults;
                    break;
            }
        }
    }
    if (json) {
        WriteJson(run, destination, out);
    } else {
        WriteText(run, destination, out);
    }
    if (run.written && run.written->status != mend::WriteStatus::Written) {
        errors << "ondulo-dump: " << text::TerminalText(run.written->message) << "\n";
    } else if (run.plan.Refused()) {
        errors << "ondulo-dump: " << text::TerminalText(run.plan.refusal) << "\n";
    }
    out.flush();
    return out ? run.status : kFaults;
}
