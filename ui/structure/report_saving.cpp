#include "ui/structure/report_saving.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "report/json_writer.h"
#include "report/text_report.h"
#include "wavedoc/reading/error_text.h"

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
class TextReport : public TextReportWriter {
public:
    using TextReportWriter::TextReportWriter;
    void Refused(const std::string& /*path*/, std::int16_t /*status*/, const std::string& reason) override {
        if (!inFile_) refusal = reason;
    }
    void BeginFile(const std::string& path, const FileOverview& overview) override {
        inFile_ = true;
        TextReportWriter::BeginFile(path, overview);
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

std::optional<std::string> WriteReport(const std::string& path, ReportForm form, std::ostream& out) {
    if (form == ReportForm::Json) {
        // One file's entry inside the document, as a run over one file lays it out.
        JsonReportWriter writer(out, JsonLayout::Entry);
        out << kJsonDocumentStart;
        ReportFile(path, writer);
        out << JsonDocumentEnd(true);
        return std::nullopt;
    }
    // The text form writes nothing for a refused file: there is no report to
    // save then.
    std::ostringstream unused;
    TextReport writer(out, unused, TextParts{true, false});
    ReportFile(path, writer);
    return writer.refusal;
}

std::optional<std::string> SaveReport(const std::string& path, const std::string& destination) {
    // The whole report first, so that a file that cannot be reported leaves
    // no half-written one behind.
    std::ostringstream report;
    try {
        if (std::optional<std::string> refused = WriteReport(path, ReportFormFor(destination), report)) {
            return refused;
        }
    } catch (const std::bad_alloc&) {
        return "The report of \"" + path + "\" could not be made: there is not enough memory.";
    }
    errno = 0;
    std::ofstream file(destination, std::ios::binary | std::ios::trunc);
    const int openError = errno;
    if (file) file << report.str();
    if (file) file.close();
    if (!file) {
        const int error = errno != 0 ? errno : openError;
        return "The report could not be written to \"" + destination + "\"" +
               (error != 0 ? ": " + wavedoc::ErrorText(error) : std::string()) + ".";
    }
    return std::nullopt;
}
