#include "ui/sound/play_source.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "text/display_text.h"
#include "wavedoc/reading/wave_error.h"

PlaySource::PlaySource(sound::PlayStream stream, unsigned fileChannels, const QAudioFormat& format,
                       QObject* parent)
    : QIODevice(parent), stream_(std::move(stream)), fileChannels_(fileChannels), format_(format) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 PlaySource::readData(char* data, qint64 maxSize) {
    const auto outChannels = static_cast<unsigned>(format_.channelCount());
    const auto sampleBytes = static_cast<unsigned>(format_.bytesPerSample());
    const std::size_t room = static_cast<std::size_t>(maxSize) / (outChannels * sampleBytes);
    if (ended_ || room == 0) return 0;
    const std::size_t frames = std::min(room, stream_.PieceFrames());
    piece_.resize(frames * fileChannels_);
    std::size_t got = 0;
    try {
        got = stream_.Read(piece_.data(), frames);
    } catch (const wavedoc::WaveDocError& error) {
        failure_ = QString::fromStdString(text::DisplayUtf8(error.what()));
    }
    if (got == 0) {
        ended_ = true;
        return 0;
    }
    for (std::size_t frame = 0; frame < got; ++frame) {
        for (unsigned c = 0; c < outChannels; ++c) {
            // A device that asks for more channels than the file holds gets them repeated.
            const float sample = piece_[frame * fileChannels_ + c % fileChannels_];
            char* at = data + (frame * outChannels + c) * sampleBytes;
            if (format_.sampleFormat() == QAudioFormat::Float) {
                std::memcpy(at, &sample, sizeof sample);
            } else {
                const auto value =
                    static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767.0F));
                std::memcpy(at, &value, sizeof value);
            }
        }
    }
    return static_cast<qint64>(got * outChannels * sampleBytes);
}
