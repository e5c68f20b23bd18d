// What the structure window costs for one file, from start to end of a
// process: analyses PATH as the main window does (load and check), opens the
// structure window offscreen and lets it paint, selects every top-level entry
// of the tree in turn (each letting its rows and bytes paint) and the first
// and last 20 sub-chunks of each list (target: each within 50 ms of the
// window thread's CPU time), selects each
// field row of the largest entry (marking its bytes), paints the strip of
// the whole file, then scrolls the whole file's bytes from the first line to
// the last in 1,000 steps. Prints the milliseconds to the first paint, the
// slowest selection of an entry and of a field, the slowest strip paint and
// the scroll, and the resident memory before and after the scroll. Meant
// to be measured from outside as a whole too, e.g. by bench/hostile_costs.sh.
//
//   build/default/bench/bench_structure_window PATH
//
// With --figures instead of a path it writes two files of its own into
// FOLDER (default: $TMPDIR or /tmp), measures them and removes them:
//   - a file of 100,000 chunks: the milliseconds from the end of its
//     analysis to the window shown and painted, the first time and the
//     shortest of five openings (target: at most 100 ms), and the CPU
//     time that took;
//   - a 1 GiB file of noise with a 4-byte pattern only in its last bytes,
//     searched with Ctrl+F from its start as a user would, for those bytes
//     and then for a text found nowhere (as UTF-8 and UTF-16): each search's
//     wall and CPU time (target: at least 1 GiB a second of CPU time), the
//     longest an event posted to the window every 10 ms waited for it to
//     answer meanwhile, and
//     how far the process's peak memory rose above what it held before
//     (target: at most 32 MB). The file is read from the page cache, as it
//     was just written.
//
//   build/default/bench/bench_structure_window --figures [FOLDER]
//
// Exit status: 0 when the window opened (and, with --figures, the search
// found the pattern where it was put), 1 when the file was refused, 2 for
// wrong usage or a file that could not be written.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "answer_probe.h"
#include "report/analysis.h"
#include "reporting_prompts.h"
#include "ui/structure/byte_lines_model.h"
#include "ui/structure/file_strip.h"
#include "ui/structure/frm_structure.h"
#include "ui/structure/structure_tree_model.h"
#include "ui/widgets/work_runner.h"
#include "window_program.h"

namespace {

// The process's resident memory now, in KB (VmRSS).
long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// A line of /proc/self/status in KB, e.g. VmHWM (the peak).
long StatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    }
    return -1;
}

// The CPU time of the calling thread so far, in milliseconds.
double ThreadCpuMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The process's CPU time so far, user and system, in seconds.
double CpuSeconds() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string U32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (std::size_t at = 0; at < 4; ++at) bytes[at] = static_cast<char>(value >> (8 * at) & 0xFF);
    return bytes;
}

std::string Chunk(const std::string& id, const std::string& payload) {
    std::string bytes = id + U32(static_cast<std::uint32_t>(payload.size())) + payload;
    if (payload.size() % 2 != 0) bytes += '\0';
    return bytes;
}

const std::string kFmt = Chunk("fmt ", U32(0x00020001) + U32(44100) + U32(44100 * 4) + U32(0x00100004));

// A RIFF WAVE file of fmt, 99,998 JUNK chunks of two bytes and a data chunk.
std::string ManyEntries() {
    std::string chunks = kFmt;
    for (int junk = 0; junk < 99998; ++junk) chunks += Chunk("JUNK", "ab");
    chunks += Chunk("data", std::string(4, '\0'));
    return "RIFF" + U32(static_cast<std::uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

// The pattern searched for, put only in the last bytes of the data.
const std::string kPattern = "\xDE\xAD\xBE\xEF";
// A text searched for too, as UTF-8 and as UTF-16, found nowhere.
const char* const kText = "WAVY";
const std::string kTextPatterns[] = {"WAVY", std::string("W\0A\0V\0Y\0", 8)};

// Writes a RIFF WAVE file whose data chunk holds `dataBytes` of noise (one
// megabyte of it, repeated, which holds the patterns nowhere, not even
// across two of its copies) ending in the hex pattern. Returns the offset of the pattern,
// or 0 when the file could not be written.
std::uint64_t WriteNoise(const std::string& path, std::uint64_t dataBytes) {
    constexpr std::size_t kBlock = 1 << 20;
    std::mt19937 random(20261208);
    std::string block(kBlock, '\0');
    for (char& byte : block) byte = static_cast<char>(random() & 0xFF);
    for (bool clean = false; !clean;) {
        clean = true;
        for (const std::string& pattern : {kPattern, kTextPatterns[0], kTextPatterns[1]}) {
            const std::string twice = block + block.substr(0, pattern.size() - 1);
            for (std::size_t at = twice.find(pattern); at != std::string::npos;
                 at = twice.find(pattern, at + 1)) {
                block[at % kBlock] = 0;
                clean = false;
            }
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "RIFF" << U32(static_cast<std::uint32_t>(4 + kFmt.size() + 8 + dataBytes)) << "WAVE" << kFmt
        << "data" << U32(static_cast<std::uint32_t>(dataBytes));
    const std::uint64_t head = 12 + kFmt.size() + 8;
    std::uint64_t left = dataBytes - kPattern.size();
    for (; left >= kBlock; left -= kBlock) out.write(block.data(), kBlock);
    out.write(block.data(), static_cast<std::streamsize>(left));
    out << kPattern;
    out.close();
    return out ? head + dataBytes - kPattern.size() : 0;
}

// Answers Ctrl+F with `answer`.
class SearchingPrompts : public ReportingPrompts {
public:
    std::optional<QString> AskText(QWidget*, const QString&, const QString&, const QString&) override {
        return answer;
    }
    QString answer;
};

int Figures(const std::string& folder) {
    SearchingPrompts prompts;
    int status = 0;

    const std::string many = folder + "/ondulo-many-entries.wav";
    {
        std::ofstream out(many, std::ios::binary | std::ios::trunc);
        out << ManyEntries();
        if (!out) {
            std::fprintf(stderr, "%s could not be written\n", many.c_str());
            return 2;
        }
    }
    {
        const report::Analysis analysis = report::Analyse(many);
        if (!analysis.Loaded()) {
            std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
            ::unlink(many.c_str());
            return 1;
        }
        // The shortest of five openings, against a busy machine.
        qint64 built = -1;
        qint64 shown = -1;
        double cpu = -1;
        int rows = 0;
        qint64 first = 0;  // the process's first window, made cold
        for (int opening = 0; opening < 5; ++opening) {
            const double cpuBefore = CpuSeconds();
            QElapsedTimer clock;
            clock.start();
            auto* window = new frmStructure(analysis, prompts);
            const qint64 madeIn = clock.elapsed();
            window->show();
            QApplication::processEvents();
            const qint64 shownIn = clock.elapsed();
            const double cpuIn = CpuSeconds() - cpuBefore;
            rows = window->findChild<QTreeView*>(QStringLiteral("tvStructure"))->model()->rowCount();
            delete window;
            if (opening == 0) first = shownIn;
            if (shown < 0 || shownIn < shown) {
                built = madeIn;
                shown = shownIn;
            }
            if (cpu < 0 || cpuIn < cpu) cpu = cpuIn;
        }
        ::unlink(many.c_str());
        std::printf(
            "100,000 chunks (the map holds %zu entries, the tree %d top-level rows): shown and painted %lld "
            "ms "
            "after the analysis the first time (the process's first window), %lld ms at the shortest of five "
            "openings (target 100 ms)%s, of which %lld ms to build it; %.0f ms of CPU time\n",
            analysis.document->Structure().entries.size(), rows, static_cast<long long>(first),
            static_cast<long long>(shown), std::max(first, shown) > 100 ? " !" : "",
            static_cast<long long>(built), cpu * 1000);
    }

    const std::string noise = folder + "/ondulo-search-1gib.wav";
    constexpr std::uint64_t kDataBytes = (1ULL << 30) - 44;
    const std::uint64_t expected = WriteNoise(noise, kDataBytes);
    if (expected == 0) {
        std::fprintf(stderr, "%s could not be written\n", noise.c_str());
        ::unlink(noise.c_str());
        return 2;
    }
    {
        const report::Analysis analysis = report::Analyse(noise);
        if (!analysis.Loaded()) {
            std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
            ::unlink(noise.c_str());
            return 1;
        }
        frmStructure window(analysis, prompts);
        window.show();
        QApplication::processEvents();
        // The sound view measures the file on a thread of its own; it is
        // cancelled first, as a user may, so the CPU time is the search's alone.
        if (auto* measuring = window.findChild<QPushButton*>(QStringLiteral("btCancelSound"))) {
            if (measuring->isVisible()) measuring->click();
            while (measuring->isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const std::uint64_t length = analysis.document->Source()->Length();
        auto* find = window.findChild<QAction*>(QStringLiteral("mFind"));
        const auto* runner = window.findChild<WorkRunner*>(QStringLiteral("workRunner"));
        const QLabel* selection = window.findChild<QLabel*>(QStringLiteral("lbByteSelection"));
        // Ctrl+F from the first byte for `typed`; what the line under the bytes says after it.
        const auto search = [&](const QString& typed, const char* what) {
            prompts.answer = typed;
            window.GoToOffset(0);
            // The peak is counted afresh from here (writing 5 to clear_refs resets VmHWM).
            std::ofstream("/proc/self/clear_refs") << "5";
            const long before = StatusKb("VmRSS:");
            const double cpuBefore = CpuSeconds();
            AnswerProbe probe;
            QElapsedTimer clock;
            clock.start();
            find->trigger();
            while (runner->Busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const long long longest = probe.Stop();
            const qint64 wall = clock.elapsed();
            const double cpu = CpuSeconds() - cpuBefore;
            const long peak = StatusKb("VmHWM:");
            const double gibPerCpuSecond = static_cast<double>(length) / (1 << 30) / std::max(cpu, 1e-6);
            const double riseMb = static_cast<double>(peak - before) / 1024.0;
            std::printf(
                "search of %llu bytes for %s: %lld ms wall (an event waited at most %lld ms for the window), "
                "%.3f s "
                "CPU, "
                "%.2f GiB a second of CPU time (target 1)%s; peak %.1f MB above the %ld KB held before "
                "(target "
                "32)%s; ",
                static_cast<unsigned long long>(length), what, static_cast<long long>(wall), longest, cpu,
                gibPerCpuSecond, gibPerCpuSecond < 1.0 ? " !" : "", riseMb, before,
                riseMb > 32.0 ? " !" : "");
            return selection->text();
        };
        const QString hex = search(QStringLiteral("0xDEADBEEF"), "4 bytes");
        const bool found = hex.contains(QStringLiteral("from offset %1 ").arg(expected));
        std::printf("%s\n", found ? "found where it was put"
                                  : qPrintable(QStringLiteral("NOT found where it was put: ") + hex));
        const QString text = search(QString::fromLatin1(kText), "a text of 4 letters, as UTF-8 and UTF-16");
        const bool nowhere = text.startsWith(QStringLiteral("Not found after offset"));
        std::printf("%s\n",
                    nowhere ? "found nowhere, as it should" : qPrintable(QStringLiteral("NOT ") + text));
        if (!found || !nowhere) status = 1;
    }
    ::unlink(noise.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && argc <= 3 && std::string(argv[1]) == "--figures") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        const char* tmp = std::getenv("TMPDIR");
        const std::string folder = argc == 3 ? argv[2] : tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
        QApplication app(argc, argv);
        return Figures(folder);
    }
    if (!TakeOnePathOffscreen(argc, argv)) return 2;
    QApplication app(argc, argv);
    ReportingPrompts prompts;

    const report::Analysis analysis = report::Analyse(argv[1]);
    if (!analysis.Loaded()) {
        std::fprintf(stderr, "refused: %s\n", analysis.error.c_str());
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    frmStructure window(analysis, prompts);
    window.show();
    QApplication::processEvents();
    const qint64 firstPaint = clock.elapsed();

    auto* tree = window.findChild<QTreeView*>(QStringLiteral("tvStructure"));
    auto* bytes = window.findChild<QTableView*>(QStringLiteral("tvBytes"));
    auto* lines = qobject_cast<ByteLinesModel*>(bytes->model());
    const QAbstractItemModel* entries = tree->model();
    // The CPU time of the window's thread, not the wall clock: the target is
    // what a selection costs, however busy the machine is with other work.
    double slowest = 0;
    QString slowestName;
    // Selects `index` and lets the window paint; keeps the slowest.
    const auto select = [&](const QModelIndex& index) {
        const double before = ThreadCpuMilliseconds();
        tree->setCurrentIndex(index);
        QApplication::processEvents();
        const double spent = ThreadCpuMilliseconds() - before;
        if (spent >= slowest) {
            slowest = spent;
            slowestName = index.siblingAtColumn(StructureTreeModel::ChunkColumn).data().toString();
        }
    };
    int largest = 0;
    std::uint64_t largestLength = 0;
    for (int row = 0; row < entries->rowCount(); ++row) {
        select(entries->index(row, 0));
        const auto marked = lines->Marked();
        const std::uint64_t length = marked ? marked->second - marked->first + 1 : 0;
        if (length > largestLength) {
            largest = row;
            largestLength = length;
        }
    }
    // A list's sub-chunks at both ends (up to kListEnds of each), as a click
    // on a marker or a search hit reaches them.
    constexpr int kListEnds = 20;
    int listEntries = 0;
    for (int row = 0; row < entries->rowCount(); ++row) {
        const QModelIndex list = entries->index(row, 0);
        const int children = entries->rowCount(list);
        for (int child = 0; child < children; ++child) {
            if (child == kListEnds && children > 2 * kListEnds) child = children - kListEnds;
            select(entries->index(child, 0, list));
            ++listEntries;
        }
    }

    tree->setCurrentIndex(entries->index(largest, 0));
    QApplication::processEvents();
    // Each field row of the entry (at most 1,000) marks its bytes.
    auto* fields = window.findChild<QTableView*>(QStringLiteral("dbgStructureRows"));
    qint64 slowestField = 0;
    for (int row = 0; row < fields->model()->rowCount() && row < 1000; ++row) {
        clock.restart();
        fields->setCurrentIndex(fields->model()->index(row, 0));
        QApplication::processEvents();
        slowestField = std::max(slowestField, clock.elapsed());
    }
    auto* strip = window.findChild<FileStrip*>(QStringLiteral("fileStrip"));
    qint64 slowestStrip = 0;
    for (int paint = 0; paint < 10 && strip != nullptr; ++paint) {
        clock.restart();
        strip->repaint();
        slowestStrip = std::max(slowestStrip, clock.elapsed());
    }
    const long before = ResidentKb();
    clock.restart();
    // Through the model's window of lines, as Ctrl+G and the keys move it.
    for (std::uint64_t step = 0; step <= 1000 && lines->Length() > 0; ++step) {
        const std::uint64_t byte = (lines->Length() - 1) / 1000 * step;  // the whole file
        lines->Reveal(byte);
        bytes->scrollTo(lines->IndexOfByte(byte));
        QApplication::processEvents();
    }
    const qint64 scroll = clock.elapsed();
    const long after = ResidentKb();

    std::printf(
        "entries %d (and %d in lists); first paint %lld ms; slowest selection %.0f ms of CPU (%s, target "
        "50)%s; "
        "slowest field marked %lld ms; "
        "strip painted %lld ms; scroll over %llu bytes %lld ms; resident %ld KB before the scroll, %ld KB "
        "after\n",
        entries->rowCount(), listEntries, static_cast<long long>(firstPaint), slowest,
        qUtf8Printable(slowestName), slowest > 50 ? " !" : "", static_cast<long long>(slowestField),
        static_cast<long long>(slowestStrip), static_cast<unsigned long long>(lines->Length()),
        static_cast<long long>(scroll), before, after);
    return 0;
}
