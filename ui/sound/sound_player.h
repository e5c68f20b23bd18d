#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "sound/play_stream.h"
#include "sound/sample_format.h"

class AudioOutput;
class PlaySource;
class QTimer;

namespace wavedoc {
class WaveDocument;
class ReadingSession;
}  // namespace wavedoc

// Plays the sound of a document on an audio output, which pulls it in small
// pieces on the window's thread, and tells where the play line is as it goes.
class SoundPlayer : public QObject {
    Q_OBJECT

public:
    SoundPlayer(std::shared_ptr<const wavedoc::WaveDocument> document, const sound::SampleFormat& format,
                QObject* parent = nullptr);
    ~SoundPlayer() override;

    // The output played on; the machine's default one until another is set.
    void SetOutput(std::unique_ptr<AudioOutput> output);
    // Starts playing `plan`, stopping what plays; empty, or the sentence
    // saying why nothing plays.
    QString Play(const sound::PlayPlan& plan);
    void Stop();
    bool Playing() const { return source_ != nullptr; }

signals:
    // The frame of the audio being heard.
    void PlayLineMoved(std::uint64_t frame);
    // Playing ended, at the end of the plan or stopped; `failure` says why
    // when the file could not be read to the end.
    void Ended(const QString& failure);

private:
    void MoveLine();
    void Finish();

    std::shared_ptr<const wavedoc::WaveDocument> document_;
    sound::SampleFormat format_;
    std::unique_ptr<AudioOutput> output_;
    PlaySource* source_ = nullptr;
    sound::PlayPlan plan_;
    std::unique_ptr<wavedoc::ReadingSession> reading_;
    std::uint64_t generation_ = 0;  // counts the plays started
    QTimer* line_ = nullptr;
};
