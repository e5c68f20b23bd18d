#pragma once

#include <QAudioFormat>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

class QIODevice;

// Where the sound view's playback goes: the machine's audio output, or in
// the tests an output that records what it is given. The output pulls the
// samples from a source as it needs them.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // The format to give the output for sound of `channels` channels at
    // `sampleRate`: that rate, float or 16-bit samples, and as many of the
    // channels as it takes. Nothing when there is no output to play on.
    virtual std::optional<QAudioFormat> FormatFor(int channels, int sampleRate) const = 0;
    // Starts pulling from `source`, open for reading, in `format`; `ended`
    // is called once the source has no more to give.
    virtual void Start(QIODevice* source, const QAudioFormat& format, std::function<void()> ended) = 0;
    virtual void Stop() = 0;
    // How much of the sound has been played since Start.
    virtual qint64 PlayedMicroseconds() const = 0;
};

// The machine's default audio output, through Qt Multimedia.
std::unique_ptr<AudioOutput> MakeDeviceOutput();
