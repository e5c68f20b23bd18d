#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <QString>
#include <vector>

#include "sound/play_stream.h"

// The samples of a plan as an audio output pulls them: each read decodes one
// small piece of the file and converts it to the output's format (float or
// 16-bit; when the output takes fewer channels than the file holds, the
// first ones). It ends at the end of the plan or when the file can no longer
// be read, which `Failure` then tells.
class PlaySource : public QIODevice {
    Q_OBJECT

public:
    PlaySource(sound::PlayStream stream, unsigned fileChannels, const QAudioFormat& format,
               QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    bool atEnd() const override { return ended_; }
    // Why the sound stopped before its end: the file's error, or empty.
    const QString& Failure() const { return failure_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    sound::PlayStream stream_;
    unsigned fileChannels_;
    QAudioFormat format_;
    std::vector<float> piece_;
    bool ended_ = false;
    QString failure_;
};
