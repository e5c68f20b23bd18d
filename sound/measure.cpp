#include "sound/measure.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>

#include "sound/piece_lanes.h"
#include "sound/sample_decoder.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace sound {
namespace {

constexpr auto kProgressEvery = std::chrono::milliseconds(250);

// The first frame of bucket b of n over `frames` frames, relative to the
// overview's first: b * frames / n without overflow.
std::uint64_t BucketStart(std::uint64_t frames, std::size_t buckets, std::size_t b) {
    if (buckets == 0) return 0;
    const std::uint64_t whole = frames / buckets;
    const std::uint64_t rest = frames % buckets;
    return b * whole + b * rest / buckets;
}

struct SegmentStats {
    float low = 0;
    float high = 0;
    float loudest = 0;
    double sum = 0;
    std::uint64_t clipped = 0;
};

// The figures of one channel's samples, every `stride`th float from
// `samples` (the stride known when compiled for mono and stereo, so that
// the loop is vectorised). Eight frames at a time into eight sets of
// figures, so that no sum waits for the one before it; the squares are
// summed as floats over runs of kRun frames, then added as doubles.
template <unsigned KnownStride>
SegmentStats Scan(const float* samples, std::size_t count, unsigned givenStride, ClipLevels clip) {
    const std::size_t stride = KnownStride != 0 ? KnownStride : givenStride;
    constexpr std::size_t kLanes = 8;
    constexpr std::size_t kRun = 4096;
    std::array<float, kLanes> lows;
    std::array<float, kLanes> highs;
    lows.fill(samples[0]);
    highs.fill(samples[0]);
    std::array<float, kLanes> loudests{};
    std::array<std::uint32_t, kLanes> clips{};
    SegmentStats stats;
    std::size_t i = 0;
    while (i + kLanes <= count) {
        std::array<float, kLanes> sums{};
        const std::size_t runEnd = std::min(count - count % kLanes, i + kRun);
        for (; i < runEnd; i += kLanes) {
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const float value = samples[(i + lane) * stride];
                lows[lane] = value < lows[lane] ? value : lows[lane];
                highs[lane] = value > highs[lane] ? value : highs[lane];
                const float magnitude = std::fabs(value);
                loudests[lane] = magnitude > loudests[lane] ? magnitude : loudests[lane];
                sums[lane] += value * value;
                clips[lane] += static_cast<std::uint32_t>(value >= clip.high) +
                               static_cast<std::uint32_t>(value <= clip.low);
            }
        }
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            stats.sum += static_cast<double>(sums[lane]);
            stats.clipped += clips[lane];
            clips[lane] = 0;
        }
    }
    for (; i < count; ++i) {
        const float value = samples[i * stride];
        lows[0] = std::min(lows[0], value);
        highs[0] = std::max(highs[0], value);
        loudests[0] = std::max(loudests[0], std::fabs(value));
        stats.sum += static_cast<double>(value) * value;
        stats.clipped +=
            static_cast<std::uint64_t>(value >= clip.high) + static_cast<std::uint64_t>(value <= clip.low);
    }
    stats.low = *std::min_element(lows.begin(), lows.end());
    stats.high = *std::max_element(highs.begin(), highs.end());
    stats.loudest = *std::max_element(loudests.begin(), loudests.end());
    return stats;
}

// What the pass adds up while it runs.
class Accumulator {
public:
    Accumulator(Measurement& result, const MeasureOptions& options)
        : result_(result), clip_(ClipLevelsOf(result.format)), watch_(options.watch) {
        const unsigned channels = result.format.channels;
        Overview& overview = result.overview;
        overview.channels = channels;
        overview.first = options.firstFrame;
        overview.frames = result.frames;
        const std::size_t most = std::max<std::size_t>(1, kMostOverviewValues / channels);
        overview.buckets =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::min(options.buckets, most), result.frames));
        overview.values.assign(overview.buckets * channels, Bucket{});
        sums_.assign(overview.buckets * channels, 0.0);
        seen_.assign(overview.buckets * channels, false);
        result.channels.assign(channels, ChannelFigures{});
        result.watched.assign(watch_.size(), 0.0F);
    }

    // Frames [at, at + count) of the range, relative to its first, decoded.
    void Add(std::uint64_t at, const float* samples, std::size_t count) {
        const unsigned channels = result_.format.channels;
        for (std::size_t c = 0; c < watch_.size() && c < channels; ++c) {
            const std::uint64_t frame = watch_[c] - result_.overview.first;
            if (watch_[c] >= result_.overview.first && frame >= at && frame - at < count) {
                result_.watched[c] = std::fabs(samples[(frame - at) * channels + c]);
            }
        }
        const Overview& overview = result_.overview;
        std::size_t done = 0;
        while (done < count) {
            while (BucketStart(overview.frames, overview.buckets, bucket_ + 1) <= at + done) ++bucket_;
            const std::uint64_t bucketEnd = BucketStart(overview.frames, overview.buckets, bucket_ + 1);
            const auto segment =
                static_cast<std::size_t>(std::min<std::uint64_t>(count - done, bucketEnd - at - done));
            for (unsigned c = 0; c < channels; ++c)
                AddSegment(c, at + done, samples + done * channels + c, segment);
            done += segment;
        }
    }

    void Finish() {
        Overview& overview = result_.overview;
        for (std::size_t b = 0; b < overview.buckets; ++b) {
            for (unsigned c = 0; c < overview.channels; ++c)
                overview.values[c * overview.buckets + b].rms = Rms(c, b);
        }
    }

    // The overview of the buckets read whole so far.
    Overview SoFar() const {
        const Overview& overview = result_.overview;
        Overview sofar;
        sofar.first = overview.first;
        sofar.channels = overview.channels;
        sofar.buckets = bucket_;
        sofar.frames = BucketStart(overview.frames, overview.buckets, bucket_);
        sofar.values.reserve(sofar.buckets * sofar.channels);
        for (unsigned c = 0; c < overview.channels; ++c) {
            for (std::size_t b = 0; b < bucket_; ++b) {
                Bucket bucket = overview.At(c, b);
                bucket.rms = Rms(c, b);
                sofar.values.push_back(bucket);
            }
        }
        return sofar;
    }

private:
    float Rms(unsigned channel, std::size_t b) const {
        const Overview& overview = result_.overview;
        const std::uint64_t length = BucketStart(overview.frames, overview.buckets, b + 1) -
                                     BucketStart(overview.frames, overview.buckets, b);
        const double sum = sums_[channel * overview.buckets + b];
        return length == 0 ? 0.0F : static_cast<float>(std::sqrt(sum / static_cast<double>(length)));
    }

    // One channel's samples of frames [at, at + count), all in one bucket.
    void AddSegment(unsigned channel, std::uint64_t at, const float* samples, std::size_t count) {
        const SegmentStats stats = result_.format.channels == 1 ? Scan<1>(samples, count, 1, clip_)
                                   : result_.format.channels == 2
                                       ? Scan<2>(samples, count, 2, clip_)
                                       : Scan<0>(samples, count, result_.format.channels, clip_);
        const float low = stats.low;
        const float high = stats.high;
        const float loudest = stats.loudest;
        const double sum = stats.sum;
        const std::uint64_t clipped = stats.clipped;
        const unsigned stride = result_.format.channels;
        ChannelFigures& figures = result_.channels[channel];
        figures.clipped += clipped;
        if (loudest > figures.peak) {
            figures.peak = loudest;
            std::size_t first = 0;
            while (first < count && std::fabs(samples[first * stride]) < loudest) ++first;
            figures.peakFrame = result_.overview.first + at + first;
        }
        const std::size_t index = channel * result_.overview.buckets + bucket_;
        Bucket& bucket = result_.overview.values[index];
        if (!seen_[index]) {
            bucket.min = low;
            bucket.max = high;
            seen_[index] = true;
        } else {
            bucket.min = std::min(bucket.min, low);
            bucket.max = std::max(bucket.max, high);
        }
        sums_[index] += sum;
    }

    Measurement& result_;
    ClipLevels clip_;
    const std::vector<std::uint64_t>& watch_;
    std::vector<double> sums_;
    std::vector<bool> seen_;
    std::size_t bucket_ = 0;
};

// The loudness meter and the true peak meters, a lane each.
class Meters {
public:
    void Start(const SampleFormat& format, unsigned threads) {
        loudness_ = std::make_unique<LoudnessMeter>(format);
        const unsigned groups = std::clamp(threads, 1U, format.channels);
        for (unsigned g = 0; g < groups; ++g) {
            const unsigned from = format.channels * g / groups;
            const unsigned to = format.channels * (g + 1) / groups;
            peaks_.push_back(std::make_unique<TruePeakMeter>(format, from, to - from));
        }
    }
    bool Started() const { return loudness_ != nullptr; }

    std::vector<PieceLanes::Lane> Lanes() const {
        std::vector<PieceLanes::Lane> lanes;
        if (!Started()) return lanes;
        lanes.emplace_back([meter = loudness_.get()](const float* samples, std::size_t frames) {
            meter->Add(samples, frames);
        });
        for (const std::unique_ptr<TruePeakMeter>& peak : peaks_) {
            lanes.emplace_back([meter = peak.get()](const float* samples, std::size_t frames) {
                meter->Add(samples, frames);
            });
        }
        return lanes;
    }

    Loudness Finish() const {
        double highest = 0;
        for (const std::unique_ptr<TruePeakMeter>& peak : peaks_)
            highest = std::max(highest, peak->Highest());
        return loudness_->Finish(highest);
    }

private:
    std::unique_ptr<LoudnessMeter> loudness_;
    std::vector<std::unique_ptr<TruePeakMeter>> peaks_;
};

}  // namespace

std::uint64_t Overview::Start(std::size_t bucket) const {
    return first + BucketStart(frames, buckets, bucket);
}

std::uint64_t FramesOf(const wavedoc::WaveDocument& document, const SampleFormat& format) {
    const wavedoc::GenericChunk& data = document.Data();
    if (data.Name().empty() || format.FrameBytes() == 0) return 0;
    return data.Present() / format.FrameBytes();
}

Measurement Measure(const wavedoc::WaveDocument& document, const MeasureOptions& options) {
    Measurement result;
    FormatVerdict verdict = SampleFormatOf(document);
    if (!verdict.format) {
        result.unmeasured = std::move(verdict.unmeasured);
        return result;
    }
    result.format = *verdict.format;
    const SampleFormat& format = result.format;
    const std::uint64_t all = FramesOf(document, format);
    const std::uint64_t first = std::min(options.firstFrame, all);
    result.frames = std::min(options.frameCount.value_or(all), all - first);
    result.notFinite.assign(format.channels, NotFinite{});

    Meters meters;
    const bool whole = first == 0 && result.frames == all;
    if (options.loudness && whole) {
        result.loudnessUnmeasured = LoudnessMeter::Refusal(format);
        if (result.loudnessUnmeasured.empty()) meters.Start(format, options.threads);
    } else if (options.loudness) {
        result.loudnessUnmeasured = "only part of the audio is read";
    }

    MeasureOptions shifted = options;
    shifted.firstFrame = first;
    Accumulator accumulator(result, shifted);
    const wavedoc::ReadingSession session(document.Source());
    const std::uint64_t frameBytes = format.FrameBytes();
    const std::uint64_t start =
        document.Data().Offset() + wavedoc::layout::kChunkHeaderSize + first * frameBytes;
    const std::uint64_t total = result.frames * frameBytes;
    const std::uint64_t pieceBytes = std::max<std::uint64_t>(options.pieceBytes, 1);
    NotFinite* notFinite = format.encoding == Encoding::Float ? result.notFinite.data() : nullptr;
    std::string pending;  // bytes of a frame a piece cut, before the next piece
    // Two pieces of samples: the meters take one while the next is decoded.
    std::array<std::vector<float>, 2> samples;
    std::size_t next = 0;
    PieceLanes lanes(meters.Lanes(), options.threads > 1);
    std::uint64_t done = 0;
    auto shown = std::chrono::steady_clock::now();
    while (done < total) {
        if (options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed)) {
            result.stopped = true;
            break;
        }
        std::string piece = document.Source()->Read(start + done, std::min(pieceBytes, total - done));
        if (piece.empty()) break;
        done += piece.size();
        if (!pending.empty()) {
            pending += piece;
            piece.swap(pending);
            pending.clear();
        }
        const std::size_t frames = piece.size() / frameBytes;
        const std::size_t used = frames * frameBytes;
        if (used < piece.size()) pending.assign(piece, used, std::string::npos);
        if (frames > 0) {
            std::vector<float>& decoded = samples[next];
            next = 1 - next;
            decoded.resize(frames * format.channels);
            DecodeFrames(format, reinterpret_cast<const unsigned char*>(piece.data()), frames, decoded.data(),
                         notFinite, first + result.framesRead);
            accumulator.Add(result.framesRead, decoded.data(), frames);
            lanes.Wait();
            lanes.Give(decoded.data(), frames);
            result.framesRead += frames;
        }
        if ((options.progress || options.overviewSoFar) &&
            std::chrono::steady_clock::now() - shown >= kProgressEvery) {
            if (options.progress) options.progress(done, total);
            if (options.overviewSoFar) options.overviewSoFar(accumulator.SoFar());
            shown = std::chrono::steady_clock::now();
        }
    }
    lanes.Wait();
    if (options.progress) options.progress(done, total);
    accumulator.Finish();
    const bool readWhole = !result.stopped && result.framesRead == result.frames;
    if (readWhole && document.Source() != nullptr) document.Source()->CheckUnchanged();
    if (meters.Started() && readWhole) {
        result.loudness = meters.Finish();
    } else if (meters.Started()) {
        result.loudnessUnmeasured =
            result.stopped ? "the pass was stopped" : "the audio could not be read to its end";
    }
    return result;
}

}  // namespace sound
