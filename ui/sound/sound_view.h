#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

#include "report/analysis.h"
#include "sound/markers.h"
#include "sound/sample_format.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class WaveformCanvas;
class WorkRunner;
class SeamView;
class SoundPlayer;
struct WholeSound;
class OverviewSoFar;

// The sound of the file in the structure window: the waveform with its
// markers, and beside it the measured loudness and peaks and what they say
// of the file's claims (loudness-mismatch, peak-mismatch). The pass starts
// the first time the view is shown and runs in the background over the
// window's own analysis, with its progress and a Cancel button; the ruler
// and the markers show at once. Space plays the selected marker, or from the
// cursor, with a play line over the waveform.
class SoundView : public QWidget {
    Q_OBJECT

public:
    // `analysis` must be Loaded(); the markers and the sound's shape are read
    // from its document here, on the caller's thread, and the sound later
    // through the same document.
    explicit SoundView(const report::Analysis& analysis, QWidget* parent = nullptr);
    ~SoundView() override;

    // Draws highlighted the markers whose records lie in [from, to).
    void HighlightRecords(std::uint64_t from, std::uint64_t to);
    bool Measuring() const;
    WaveformCanvas* Canvas() const { return canvas_; }
    SeamView* Seam() const { return seam_; }
    // Plays the sound; nothing when its format cannot be decoded.
    SoundPlayer* Player() const { return player_; }
    // What the playback says: what plays, why nothing does, or nothing.
    QString PlaybackText() const;
    // The figures beside the waveform, as shown.
    QString Figures() const;

signals:
    // A marker was clicked: the offset of its record in the file.
    void MarkerActivated(std::uint64_t recordOffset);
    // The whole sound is measured: what it says of the file's claims
    // (loudness-mismatch, peak-mismatch, samples-not-finite), for the
    // window's findings list, and the measurement itself (null when the pass
    // could not run), for what the window reports.
    void Compared(const wavecheck::Findings& compared, std::shared_ptr<const sound::Measurement> measured);

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void ShowProgress(std::uint64_t done, std::uint64_t total);
    void CancelPass();
    void Refine();
    void TogglePlaying();
    void ShowPlayingEnded(const QString& failure);

private:
    void ShowWhole(const WholeSound& whole);
    void ShowSeam(const sound::Marker& loop);
    // Each lane's channel and speaker, and whether the loudness leaves it out.
    void NameLanes(const sound::SampleFormat& format);

    std::shared_ptr<const wavedoc::WaveDocument> document_;
    wavecheck::SoundClaims claims_;
    WorkRunner* runner_ = nullptr;
    bool started_ = false;
    bool wholeShown_ = false;
    bool envelopeShown_ = false;
    std::shared_ptr<OverviewSoFar> sofar_;
    double wholeFramesPerBucket_ = 0;
    WaveformCanvas* canvas_ = nullptr;
    QLabel* lbFigures_ = nullptr;
    SeamView* seam_ = nullptr;
    QProgressBar* pbPass_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    QTimer* refine_ = nullptr;
    SoundPlayer* player_ = nullptr;
    QLabel* lbPlayback_ = nullptr;
    QString undecodable_;  // why the sound cannot be played, when it cannot
};
