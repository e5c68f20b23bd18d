#include "mend/mend.h"

#include <algorithm>

namespace mend {

Recheck CheckCopy(const std::string& destination) {
    Recheck recheck;
    const report::Analysis analysis = report::Analyse(destination);
    recheck.loaded = analysis.Loaded();
    if (analysis.findings) {
        recheck.unfinished = analysis.findings->unfinished;
        for (const wavecheck::Finding& finding : analysis.findings->shown) {
            if (finding.level != wavecheck::Level::Error) continue;
            recheck.errors.push_back(finding);
            const std::vector<std::string>& mended = MendedCodes();
            if (std::find(mended.begin(), mended.end(), finding.code) != mended.end() &&
                AtTopLevel(finding, *analysis.document)) {
                recheck.claimed.push_back(finding);
            }
        }
    }
    const Plan plan = MakePlan(analysis);
    recheck.nothingToMend = plan.NothingToMend();
    return recheck;
}

const std::vector<std::string>& MendedCodes() {
    static const std::vector<std::string> codes = {
        "riff-size",    "unfinished",      "past-end",       "cut-header",  "not-a-chunk", "pad-missing",
        "pad-not-zero", "data-before-fmt", "trailing-bytes", "ds64-short",  "byte-order",  "block-align",
        "byte-rate",    "fact-length",     "partial-frame",  "size-wrapped"};
    return codes;
}

}  // namespace mend
