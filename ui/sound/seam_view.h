#pragma once

#include <QWidget>
#include <optional>

#include "sound/loop_seam.h"

// The seam of the sampler loop last chosen: the loop's last samples joined
// to its first, as a sampler plays them when it repeats, each channel in a
// lane, one dot a sample, the joint marked; above them, the step at the
// joint of each channel in dBFS.
class SeamView : public QWidget {
    Q_OBJECT

public:
    explicit SeamView(QWidget* parent = nullptr);

    // Shows the seam of `name`, or says that its loop lies beyond the audio.
    void SetSeam(const QString& name, std::optional<sound::LoopSeam> seam);
    // Says why no seam is shown (the file could no longer be read).
    void SetUnreadable(const QString& why);
    // The sentence over the lanes, as shown.
    QString Caption() const { return caption_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    std::optional<sound::LoopSeam> seam_;
};
