// Loads each file given and shows the rows of every entry of its structure
// map through chunkinfo::ShowEntryRows, as the window would on selecting each
// one. chunkinfo_costs.sh runs it as a whole process, to measure its peak
// memory and time on hostile files. Prints one line per entry: its offset,
// id, number of rows and the sentence, if any; with --rows, the rows too.
#include <cstdio>
#include <cstring>
#include <string>

#include "chunkinfo/entry_rows.h"
#include "wavedoc/document/wave_document.h"

namespace {

// Counts the rows and, when asked, prints them.
class PrintedRows : public rows::RowSink {
public:
    explicit PrintedRows(bool print) : print_(print) {}
    void ClearRows() override { count_ = 0; }
    void AppendRow(std::string_view row) override {
        ++count_;
        if (print_) std::printf("    %.*s\n", static_cast<int>(row.size()), row.data());
    }
    std::size_t Count() const { return count_; }

private:
    bool print_;
    std::size_t count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    bool print = false;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0) {
            print = true;
            continue;
        }
        wavedoc::WaveDocument document;
        if (document.Load(argv[i]) != wavedoc::LoadOk) {
            std::fprintf(stderr, "%s\n", document.LoadError().c_str());
            status = 1;
            continue;
        }
        std::printf("%s\n", argv[i]);
        for (const wavedoc::MapEntry& entry : document.Structure().entries) {
            std::printf("  %llu %s%s%s\n", static_cast<unsigned long long>(entry.offset), entry.id.c_str(),
                        entry.listType.empty() ? "" : " ", entry.listType.c_str());
            PrintedRows rows(print);
            const std::optional<std::string> error = chunkinfo::ShowEntryRows(document, entry, rows);
            std::printf("  %zu rows%s%s\n", rows.Count(), error ? ": " : "", error ? error->c_str() : "");
        }
    }
    return status;
}
