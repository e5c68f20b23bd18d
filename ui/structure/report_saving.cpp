#include "ui/structure/report_saving.h"

#include <new>
#include <sstream>

#include "report/analysis.h"
#include "report/file_report.h"
#include "report/json_writer.h"
#include "report/replacing_file.h"
#include "report/text_report.h"

namespace {

bool EndsWithJson(const std::string& name) {
    constexpr std::string_view kExtension = ".json";
    if (name.size() < kExtension.size()) return false;
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        const char c = name[name.size() - kExtension.size() + i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kExtension[i]) return false;
    }
    return true;
}

// The text form as ondulo-dump writes it, keeping the reason of a refused file
// (which ondulo-dump prints on standard error, leaving the output empty). A
// file only the chunk list refuses (RF64, BW64, RIFX) is reported all the
// same, as ondulo-dump --structure reports it: that refusal is no reason.
class TextReport : public report::TextReportWriter {
public:
    using report::TextReportWriter::TextReportWriter;
    void Refused(const std::string& /*path*/, std::int16_t /*status*/, const std::string& reason) override {
        if (!inFile_) refusal = reason;
    }
    void BeginFile(const std::string& path, const report::FileOverview& overview) override {
        inFile_ = true;
        report::TextReportWriter::BeginFile(path, overview);
        inFile_ = false;
    }
    std::optional<std::string> refusal;

private:
    bool inFile_ = false;
};

}  // namespace

ReportForm ReportFormFor(const std::string& destination) {
    return EndsWithJson(destination) ? ReportForm::Json : ReportForm::Text;
}

std::optional<std::string> WriteReport(const report::Analysis& analysis, ReportForm form, std::ostream& out) {
    if (form == ReportForm::Json) {
        // One file's entry inside the document, as a run over one file lays it out.
        report::JsonReportWriter writer(out, report::JsonLayout::Entry);
        out << report::kJsonDocumentStart;
        report::ReportAnalysis(analysis, writer);
        out << report::JsonDocumentEnd(true);
        return std::nullopt;
    }
    // The text form writes nothing for a refused file: there is no report to
    // save then.
    std::ostringstream unused;
    TextReport writer(out, unused, report::TextParts{.structure = true, .findings = true});
    report::ReportAnalysis(analysis, writer);
    return writer.refusal;
}

SaveOutcome SaveReport(const report::Analysis& analysis, const std::string& destination,
                       SaveControl* control) {
    SaveOutcome outcome;
    try {
        report::ReplacingFile file(destination, control != nullptr ? &control->cancel : nullptr,
                                   control != nullptr ? &control->done : nullptr);
        if ((outcome.problem = file.Failure())) return outcome;
        try {
            // A file that cannot be reported leaves the destination as it was.
            if (std::optional<std::string> refused =
                    WriteReport(analysis, ReportFormFor(destination), file.Stream())) {
                outcome.problem = std::move(refused);
                return outcome;
            }
            outcome.problem = file.Commit();
        } catch (const report::ReplacingFile::Stopped&) {
            outcome.problem = file.Failure();
        }
        outcome.cancelled = !outcome.problem && file.Cancelled();
    } catch (const std::bad_alloc&) {
        outcome.problem = "The report of \"" + analysis.path + "\" could not be written to \"" + destination +
                          "\": there is not enough memory.";
    }
    return outcome;
}

std::optional<std::string> SaveReport(const std::string& path, const std::string& destination) {
    return SaveReport(report::Analyse(path), destination).problem;
}
