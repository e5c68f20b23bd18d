// Reads one file through libsndfile's C API, as a program that uses it would,
// and prints what it got as one JSON line: whether it refused the file (and
// its message), the frames it really read by reading to the end, the format,
// and the metadata it reports. The reader panel compares these lines for a
// damaged file and the same file intact.
#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char byte : std::string(text != nullptr ? text : "")) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            // Bytes outside printable ASCII as escapes: the panel compares the
            // strings, it does not show them, and JSON must stay valid.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

struct NamedString {
    int type;
    const char* name;
};

constexpr NamedString kStrings[] = {
    {SF_STR_TITLE, "title"},   {SF_STR_COPYRIGHT, "copyright"}, {SF_STR_SOFTWARE, "software"},
    {SF_STR_ARTIST, "artist"}, {SF_STR_COMMENT, "comment"},     {SF_STR_DATE, "date"},
    {SF_STR_ALBUM, "album"},   {SF_STR_LICENSE, "license"},     {SF_STR_TRACKNUMBER, "tracknumber"},
    {SF_STR_GENRE, "genre"},
};

constexpr const char* kComplaintMarks[] = {"***", "should be", "should have been", "Exiting parser",
                                           "weirdness"};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (file == nullptr) {
        std::printf("{\"refused\":true,\"error\":%s}\n", Quoted(sf_strerror(nullptr)).c_str());
        return 0;
    }

    // Frames as a player gets them: read to the end in blocks, whatever the
    // header promised.
    const int channels = info.channels > 0 ? info.channels : 1;
    std::vector<double> block(static_cast<std::size_t>(4096) * static_cast<std::size_t>(channels));
    long long framesRead = 0;
    // A digest of the samples (FNV-1a over them as 32-bit integers), so that
    // audio read as the wrong format or byte order shows, not only its length.
    std::uint64_t digest = 14695981039346656037ULL;
    for (;;) {
        const sf_count_t got = sf_readf_double(file, block.data(), 4096);
        if (got <= 0) {
            break;
        }
        framesRead += got;
        const auto samples = static_cast<std::size_t>(got) * static_cast<std::size_t>(channels);
        for (std::size_t i = 0; i < samples; ++i) {
            const auto value = static_cast<std::uint32_t>(static_cast<std::int64_t>(block[i] * 2147483647.0));
            for (int shift = 0; shift < 32; shift += 8) {
                digest = (digest ^ ((value >> shift) & 0xFFU)) * 1099511628211ULL;
            }
        }
    }
    const int readError = sf_error(file);

    std::string strings;
    for (const NamedString& named : kStrings) {
        const char* value = sf_get_string(file, named.type);
        if (value != nullptr) {
            strings += (strings.empty() ? "" : ",") + Quoted(named.name) + ":" + Quoted(value);
        }
    }

    unsigned cueCount = 0;
    const bool hasCues = sf_command(file, SFC_GET_CUE_COUNT, &cueCount, sizeof cueCount) == SF_TRUE;

    // The cue points as one digest (id, position, offset and name of each),
    // so that a marker moved or renamed shows, not only a count.
    std::uint64_t cueDigest = 14695981039346656037ULL;
    if (hasCues && cueCount > 0) {
        auto cues = std::make_unique<SF_CUES>();
        if (sf_command(file, SFC_GET_CUE, cues.get(), sizeof(SF_CUES)) == SF_TRUE) {
            const unsigned shown = cues->cue_count < 100 ? cues->cue_count : 100;
            for (unsigned i = 0; i < shown; ++i) {
                const SF_CUE_POINT& point = cues->cue_points[i];
                std::string key = std::to_string(point.indx) + "/" + std::to_string(point.position) + "/" +
                                  std::to_string(point.sample_offset) + "/" +
                                  std::string(point.name, strnlen(point.name, sizeof point.name));
                for (const char c : key) {
                    cueDigest = (cueDigest ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
                }
            }
        }
    }

    SF_INSTRUMENT instrument{};
    const bool hasInstrument =
        sf_command(file, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE;

    // What libsndfile's log marks as wrong: how it complains, since it writes
    // nothing to stderr. It marks a fault with "***", a field it corrects
    // with "should be" or "should have been", a chunk walk it gives up with
    // "Exiting parser", and what it cannot make sense of as "weirdness".
    std::vector<char> log(16384);
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    std::string complaints;
    for (std::size_t start = 0; start < log.size() && log[start] != 0;) {
        std::size_t end = start;
        while (end < log.size() && log[end] != 0 && log[end] != '\n') {
            ++end;
        }
        const std::string line(log.data() + start, end - start);
        const bool marked =
            std::any_of(std::begin(kComplaintMarks), std::end(kComplaintMarks),
                        [&](const char* mark) { return line.find(mark) != std::string::npos; });
        if (marked) {
            complaints += (complaints.empty() ? "" : ",") + Quoted(line.c_str());
        }
        start = end + 1;
    }

    // The instrument's notes, gain and loops as one key, so that a changed
    // loop shows, not only a count.
    std::string instrumentKey;
    if (hasInstrument) {
        instrumentKey = std::to_string(instrument.basenote) + "/" + std::to_string(instrument.detune) + "/" +
                        std::to_string(instrument.gain) + "/" + std::to_string(instrument.key_lo) + "-" +
                        std::to_string(instrument.key_hi);
        for (int i = 0; i < instrument.loop_count && i < 16; ++i) {
            instrumentKey += "/" + std::to_string(instrument.loops[i].mode) + ":" +
                             std::to_string(instrument.loops[i].start) + "-" +
                             std::to_string(instrument.loops[i].end) + "x" +
                             std::to_string(instrument.loops[i].count);
        }
    }

    SF_BROADCAST_INFO broadcast{};
    const bool hasBroadcast =
        sf_command(file, SFC_GET_BROADCAST_INFO, &broadcast, sizeof broadcast) == SF_TRUE;
    // The bext fields libsndfile gives, as text: description, originator,
    // date, time reference, version and coding history.
    std::string bextKey;
    if (hasBroadcast) {
        const auto text = [](const char* field, std::size_t most) {
            return std::string(field, strnlen(field, most));
        };
        bextKey = text(broadcast.description, sizeof broadcast.description) + "/" +
                  text(broadcast.originator, sizeof broadcast.originator) + "/" +
                  text(broadcast.origination_date, sizeof broadcast.origination_date) + "/" +
                  std::to_string(broadcast.time_reference_low) + "/" + std::to_string(broadcast.version) +
                  "/" +
                  text(broadcast.coding_history,
                       std::min<std::size_t>(broadcast.coding_history_size, sizeof broadcast.coding_history));
    }

    std::printf(
        "{\"refused\":false,\"frames\":%lld,\"declared_frames\":%lld,\"channels\":%d,\"rate\":%d,"
        "\"format\":\"0x%08x\",\"read_error\":%s,\"strings\":{%s},\"cues\":%d,\"cue_digest\":\"%016llx\","
        "\"instrument\":%s,"
        "\"loops\":%d,\"instrument_fields\":%s,\"bext\":%s,\"bext_fields\":%s,\"digest\":\"%016llx\","
        "\"complaints\":[%s]}\n",
        framesRead, static_cast<long long>(info.frames), info.channels, info.samplerate,
        static_cast<unsigned>(info.format),
        readError != 0 ? Quoted(sf_error_number(readError)).c_str() : "null", strings.c_str(),
        hasCues ? static_cast<int>(cueCount) : 0, static_cast<unsigned long long>(cueDigest),
        hasInstrument ? "true" : "false", hasInstrument ? instrument.loop_count : 0,
        Quoted(instrumentKey.c_str()).c_str(), hasBroadcast ? "true" : "false",
        Quoted(bextKey.c_str()).c_str(), static_cast<unsigned long long>(digest), complaints.c_str());
    sf_close(file);
    return 0;
}
