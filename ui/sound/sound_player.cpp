#include "ui/sound/sound_player.h"

#include <QTimer>

#include "text/display_text.h"
#include "ui/sound/audio_output.h"
#include "ui/sound/play_source.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/byte_source.h"
#include "wavedoc/reading/wave_error.h"

namespace {

constexpr int kLineEveryMs = 30;

}  // namespace

SoundPlayer::SoundPlayer(std::shared_ptr<const wavedoc::WaveDocument> document,
                         const sound::SampleFormat& format, QObject* parent)
    : QObject(parent), document_(std::move(document)), format_(format), line_(new QTimer(this)) {
    line_->setInterval(kLineEveryMs);
    connect(line_, &QTimer::timeout, this, &SoundPlayer::MoveLine);
}

SoundPlayer::~SoundPlayer() {
    if (output_) output_->Stop();
}

void SoundPlayer::SetOutput(std::unique_ptr<AudioOutput> output) {
    Stop();
    output_ = std::move(output);
}

QString SoundPlayer::Play(const sound::PlayPlan& plan) {
    Stop();
    if (!output_) output_ = MakeDeviceOutput();
    const std::optional<QAudioFormat> format =
        output_->FormatFor(static_cast<int>(format_.channels), static_cast<int>(format_.sampleRate));
    if (!format) return tr("There is no audio output on this machine to play the sound on.");
    if (document_->Source() == nullptr) return tr("The file is not there to read the sound from.");
    try {
        // The file stays open while it plays, and a file changed since the
        // analysis is not played.
        reading_ = std::make_unique<wavedoc::ReadingSession>(document_->Source());
    } catch (const wavedoc::WaveDocError& error) {
        return QString::fromStdString(text::DisplayUtf8(error.what()));
    }
    plan_ = plan;
    source_ = new PlaySource(sound::PlayStream(document_, format_, plan), format_.channels, *format, this);
    // Told from the output's own signal: finished once that has returned,
    // and only if this is still the sound playing.
    output_->Start(source_, *format, [this, generation = ++generation_] {
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == generation_) Finish();
            },
            Qt::QueuedConnection);
    });
    line_->start();
    emit PlayLineMoved(plan.first);
    return {};
}

void SoundPlayer::Stop() {
    if (source_ == nullptr) return;
    Finish();
}

void SoundPlayer::Finish() {
    if (source_ == nullptr) return;
    output_->Stop();
    line_->stop();
    const QString failure = source_->Failure();
    source_->deleteLater();
    source_ = nullptr;
    reading_.reset();
    emit Ended(failure);
}

void SoundPlayer::MoveLine() {
    const auto played =
        static_cast<std::uint64_t>(output_->PlayedMicroseconds()) * format_.sampleRate / 1000000;
    emit PlayLineMoved(plan_.FrameOf(played));
}
