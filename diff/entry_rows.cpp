#include "diff/entry_rows.h"

#include <map>
#include <utility>

#include "wavedoc/document/wave_document.h"

namespace diff {

namespace {

// Collects the rows of one entry, each record of a run apart.
class RowCollector : public rows::RowSink {
public:
    explicit RowCollector(EntryRows& shown) : shown_(shown) {}

    void ClearRows() override { shown_ = EntryRows{}; }
    void AppendRow(std::string_view row) override {
        const std::size_t tab = row.find('\t');
        ShownRow shown;
        const std::string_view label = row.substr(0, tab);
        shown.label = std::string(label.substr(std::min(label.find_first_not_of(' '), label.size())));
        if (tab != std::string_view::npos) shown.value = std::string(row.substr(tab + 1));
        shown.at = Range();
        (inRecord_ ? shown_.records.back() : shown_.rows).push_back(std::move(shown));
    }
    // Each record is made apart, so that it is known where one ends.
    void AppendRun(const rows::RecordRun& run) override {
        for (std::int32_t position = 1; position <= run.count; ++position) {
            shown_.records.emplace_back();
            shown_.recordPlaces.emplace_back(run.place ? std::optional(run.place(position)) : std::nullopt);
            inRecord_ = true;
            try {
                run.show(position, position, *this);
            } catch (...) {
                inRecord_ = false;
                throw;
            }
            inRecord_ = false;
        }
    }

private:
    EntryRows& shown_;
    bool inRecord_ = false;
};

// The labels whose value names a record: a cue point's, and the cue point
// a loop, a segment or a label belongs to.
bool IsIdLabel(const std::string& label) { return label == "ID" || label == "Cue point ID"; }

// How a record is matched and named: by the value of its id row, or (with
// none) by its place in the run.
struct RecordKey {
    std::string key;
    std::string name;
};

RecordKey KeyOf(const std::vector<ShownRow>& record, std::size_t position) {
    std::string kind;
    for (const ShownRow& row : record) {
        if (!kind.empty() || row.label.empty()) continue;
        // "Cue Point #3" names its kind before the number of its place.
        kind = row.value ? *row.value : row.label.substr(0, row.label.find(" #"));
    }
    for (const ShownRow& row : record) {
        if (IsIdLabel(row.label) && row.value) {
            return {"id " + *row.value, kind + " (" + row.label + " " + *row.value + ")"};
        }
    }
    return {"#" + std::to_string(position), kind + " #" + std::to_string(position)};
}

// Rows keyed by label and the order among rows of that label; blank rows
// and a record's headings (which number its place) are left out.
std::vector<std::pair<std::string, const ShownRow*>> Keyed(const std::vector<ShownRow>& rows, bool record) {
    std::vector<std::pair<std::string, const ShownRow*>> keyed;
    std::map<std::string_view, std::size_t> seen;
    for (const ShownRow& row : rows) {
        if (row.label.empty() || (record && !row.value)) continue;
        const std::size_t nth = seen[row.label]++;
        keyed.emplace_back(row.label + '\t' + std::to_string(nth), &row);
    }
    return keyed;
}

std::vector<RowChange> DifferingRows(const std::vector<ShownRow>& a, const std::vector<ShownRow>& b,
                                     bool record) {
    const auto keyedA = Keyed(a, record);
    const auto keyedB = Keyed(b, record);
    std::map<std::string_view, const ShownRow*> inB;
    for (const auto& [key, row] : keyedB) inB.emplace(key, row);
    std::vector<RowChange> changes;
    for (const auto& [key, row] : keyedA) {
        const auto other = inB.find(key);
        if (other == inB.end()) {
            changes.push_back({row->label, row->value.value_or(""), std::nullopt, row->at, std::nullopt});
            continue;
        }
        const ShownRow* rowB = other->second;
        inB.erase(other);
        if (row->value != rowB->value) {
            changes.push_back(
                {row->label, row->value.value_or(""), rowB->value.value_or(""), row->at, rowB->at});
        }
    }
    for (const auto& [key, row] : keyedB) {
        if (inB.count(key) != 0) {
            changes.push_back({row->label, std::nullopt, row->value.value_or(""), std::nullopt, row->at});
        }
    }
    return changes;
}

// The records of each side keyed by id and the order among records of that id.
std::vector<std::pair<std::string, std::size_t>> KeyedRecords(const EntryRows& rows,
                                                              std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::size_t>> keyed;
    std::map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < rows.records.size(); ++i) {
        RecordKey key = KeyOf(rows.records[i], i + 1);
        const std::size_t nth = seen[key.key]++;
        keyed.emplace_back(key.key + '\t' + std::to_string(nth), i);
        names.push_back(std::move(key.name));
    }
    return keyed;
}

}  // namespace

std::vector<report::RowsFrom> RowSourcesOf(const wavedoc::StructureMap& map) {
    std::vector<report::RowsFrom> sources;
    sources.reserve(map.entries.size());
    int decodedListDepth = -1;  // the depth of the list decoded as a whole around the entry, or -1
    for (const wavedoc::MapEntry& entry : map.entries) {
        if (decodedListDepth >= 0 && entry.depth <= decodedListDepth) decodedListDepth = -1;
        const report::RowsFrom from = report::EntryRowsFrom(entry, decodedListDepth >= 0);
        if (entry.IsList() && from == report::RowsFrom::EntryRows) decodedListDepth = entry.depth;
        // A label, note or labelled text shows the rows its list gives it;
        // the list's rows are compared already, its records matched by cue
        // point id, so comparing them again by place would pair the wrong ones.
        sources.push_back(from == report::RowsFrom::ListEntry ? report::RowsFrom::Enclosing : from);
    }
    return sources;
}

EntryRows RowsOf(const wavedoc::WaveDocument& document, const wavedoc::MapEntry& entry,
                 report::RowsFrom from) {
    EntryRows shown;
    RowCollector collector(shown);
    std::optional<std::string> stopped = report::ShowRowsFrom(from, document, entry, collector);
    shown.stopped = std::move(stopped);
    return shown;
}

void CompareRows(const EntryRows& a, const EntryRows& b, EntryDiff& into) {
    into.rows = DifferingRows(a.rows, b.rows, false);
    std::vector<std::string> namesA;
    std::vector<std::string> namesB;
    const auto keyedA = KeyedRecords(a, namesA);
    const auto keyedB = KeyedRecords(b, namesB);
    std::map<std::string_view, std::size_t> inB;
    for (const auto& [key, index] : keyedB) inB.emplace(key, index);
    for (const auto& [key, index] : keyedA) {
        const auto other = inB.find(key);
        if (other == inB.end()) {
            into.records.push_back({Presence::OnlyA, namesA[index], a.recordPlaces[index], std::nullopt, {}});
            continue;
        }
        const std::size_t indexB = other->second;
        inB.erase(other);
        std::vector<RowChange> rows = DifferingRows(a.records[index], b.records[indexB], true);
        if (!rows.empty()) {
            into.records.push_back({Presence::Both, namesA[index], a.recordPlaces[index],
                                    b.recordPlaces[indexB], std::move(rows)});
        }
    }
    for (const auto& [key, index] : keyedB) {
        if (inB.count(key) != 0) {
            into.records.push_back({Presence::OnlyB, namesB[index], std::nullopt, b.recordPlaces[index], {}});
        }
    }
    into.stoppedA = a.stopped;
    into.stoppedB = b.stopped;
}

}  // namespace diff
