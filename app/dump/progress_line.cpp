#include "progress_line.h"

#include <algorithm>

#include "text/display_text.h"

namespace {

constexpr std::chrono::milliseconds kInterval{250};

// "0:05", "12:34", "1:02:03".
std::string Clock(std::chrono::milliseconds elapsed) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    const auto TwoDigits = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    std::string text = std::to_string(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60);
    if (seconds >= 3600)
        text = std::to_string(seconds / 3600) + ":" + (seconds / 60 % 60 < 10 ? "0" : "") + text;
    return text;
}

// ", 1,200 of 3,400 MB of audio read, 35 %", or nothing before any is read.
std::string AudioText(AudioBytes audio) {
    if (audio.read == 0) return {};
    // A pass whose start the display missed may count beyond the total seen.
    const std::uint64_t total = std::max(audio.total, audio.read);
    return ", " + text::GroupedThousands(audio.read >> 20) + " of " + text::GroupedThousands(total >> 20) +
           " MB of audio read, " +
           std::to_string(
               static_cast<unsigned>(100.0 * static_cast<double>(audio.read) / static_cast<double>(total))) +
           " %";
}

}  // namespace

std::string ProgressText(std::uint64_t done, std::uint64_t found, bool walking,
                         std::chrono::milliseconds elapsed, AudioBytes audio) {
    const auto ms = static_cast<std::uint64_t>(elapsed.count());
    const std::uint64_t perSecond = ms == 0 ? 0 : done * 1000 / ms;
    // "done": a file under way (its audio being hashed, say) is not yet counted.
    return "ondulo-dump: " + std::to_string(done) + " done of " + std::to_string(found) +
           (walking ? " files found so far, " : " files, ") + std::to_string(perSecond) + " files/s, " +
           Clock(elapsed) + AudioText(audio);
}

std::optional<std::string> ProgressClock::Due(std::uint64_t done, std::uint64_t found, bool walking,
                                              Clock::time_point now, AudioBytes audio) {
    if ((found < 2 && audio.read == 0) || now - last_ < kInterval) return std::nullopt;
    last_ = now;
    return ProgressText(done, found, walking,
                        std::chrono::duration_cast<std::chrono::milliseconds>(now - start_), audio);
}
