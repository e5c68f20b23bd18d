#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>

#include "ui/sound/audio_output.h"

namespace {

// The default output as it is when playing starts, so that one plugged in
// since the window opened is used.
class DeviceOutput : public AudioOutput {
public:
    std::optional<QAudioFormat> FormatFor(int channels, int sampleRate) const override {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return std::nullopt;
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(std::clamp(channels, 1, std::max(1, device.maximumChannelCount())));
        format.setSampleFormat(QAudioFormat::Float);
        if (!device.isFormatSupported(format)) format.setSampleFormat(QAudioFormat::Int16);
        return format;
    }

    void Start(QIODevice* source, const QAudioFormat& format, std::function<void()> ended) override {
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
        // The source gives nothing more only at its end: the sink then idles,
        // and what its buffer still holds is heard before it is stopped.
        QAudioSink* sink = sink_.get();
        QObject::connect(sink, &QAudioSink::stateChanged, sink,
                         [sink, format, ended = std::move(ended)](QAudio::State state) {
                             if (state != QAudio::IdleState) return;
                             const auto bufferedMs =
                                 format.durationForBytes(static_cast<qint32>(
                                     std::min<qsizetype>(sink->bufferSize(), INT32_MAX))) /
                                 1000;
                             QTimer::singleShot(std::chrono::milliseconds(bufferedMs), sink, ended);
                         });
        sink_->start(source);
    }

    void Stop() override {
        if (sink_) sink_->stop();
        sink_.reset();
    }

    qint64 PlayedMicroseconds() const override { return sink_ ? sink_->processedUSecs() : 0; }

private:
    std::unique_ptr<QAudioSink> sink_;
};

}  // namespace

std::unique_ptr<AudioOutput> MakeDeviceOutput() { return std::make_unique<DeviceOutput>(); }
