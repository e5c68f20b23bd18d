#include "ui/sound/sound_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "report/measured_report.h"
#include "sound/channel_roles.h"
#include "sound/loop_seam.h"
#include "sound/markers.h"
#include "sound/measure.h"
#include "sound/peak_envelope.h"
#include "sound/play_stream.h"
#include "text/display_text.h"
#include "ui/sound/seam_view.h"
#include "ui/sound/sound_pass.h"
#include "ui/sound/sound_player.h"
#include "ui/sound/waveform_canvas.h"
#include "ui/widgets/work_runner.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace {

constexpr int kRefineAfterMs = 150;
// Channels whose peaks the figures list one by one.
constexpr std::size_t kMostListedChannels = 16;
// Lanes named: more than a canvas has room for.
constexpr std::size_t kMostNamedLanes = 1024;

QString Text(std::string_view raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString FiguresText(const WholeSound& whole) {
    if (!whole.sound.measured) return Text(whole.sound.failure);
    const sound::Measurement& measured = *whole.sound.measured;
    if (!measured.Measured()) return Text(measured.unmeasured);
    QStringList lines;
    if (measured.loudness) {
        for (const report::LoudnessFigure& figure : report::LoudnessFigures(*measured.loudness)) {
            QString name = QString::fromLatin1(figure.name);
            name[0] = name[0].toUpper();
            lines << QStringLiteral("%1: %2").arg(name, Text(report::FigureText(figure)));
        }
        for (const std::string& channel : report::LeftOutOfLoudness(measured))
            lines << QObject::tr("Left out of the loudness: %1").arg(Text(channel));
    } else {
        lines << QObject::tr("Loudness not measured: %1").arg(Text(measured.loudnessUnmeasured));
    }
    for (std::size_t c = 0; c < measured.channels.size() && c < kMostListedChannels; ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        lines << QObject::tr("Channel %1: peak %2 dBFS at frame %3, %4 clipped")
                     .arg(c + 1)
                     .arg(Text(report::DecibelText(report::PeakDecibels(channel.peak), "-inf")))
                     .arg(channel.peakFrame)
                     .arg(channel.clipped);
        if (c < measured.notFinite.size() && measured.notFinite[c].Count() > 0)
            lines << QObject::tr("Channel %1: %2")
                         .arg(c + 1)
                         .arg(Text(report::NotFiniteText(measured.notFinite[c])));
    }
    if (measured.channels.size() > kMostListedChannels) {
        lines << QObject::tr("%1 more channels").arg(measured.channels.size() - kMostListedChannels);
    }
    if (measured.stopped) lines << QObject::tr("Stopped before the end of the sound.");
    if (whole.compared.Total() > 0) {
        lines << (whole.compared.Total() == 1 ? QObject::tr("1 finding of the sound, in the findings list.")
                                              : QObject::tr("%1 findings of the sound, in the findings list.")
                                                    .arg(whole.compared.Total()));
    }
    if (!whole.compared.Finished()) lines << Text(whole.compared.unfinished);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

SoundView::SoundView(const report::Analysis& analysis, QWidget* parent)
    : QWidget(parent),
      document_(analysis.document),
      claims_(analysis.claims),
      runner_(new WorkRunner(this)),
      sofar_(std::make_shared<OverviewSoFar>()) {
    setObjectName(QStringLiteral("soundView"));
    runner_->setObjectName(QStringLiteral("soundRunner"));
    auto* layout = new QHBoxLayout(this);
    canvas_ = new WaveformCanvas(this);
    canvas_->setObjectName(QStringLiteral("cvWaveform"));
    layout->addWidget(canvas_, 1);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    lbFigures_ = new QLabel(side);
    lbFigures_->setObjectName(QStringLiteral("lbSoundFigures"));
    lbFigures_->setTextFormat(Qt::PlainText);
    lbFigures_->setWordWrap(true);
    lbFigures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbFigures_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lbFigures_->setAccessibleName(tr("Loudness and peaks"));
    auto* scroll = new QScrollArea(side);
    scroll->setWidget(lbFigures_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    pbPass_ = new QProgressBar(side);
    pbPass_->setObjectName(QStringLiteral("pbSoundPass"));
    pbPass_->setRange(0, 1000);
    pbPass_->setAccessibleName(tr("Measuring the sound"));
    btCancel_ = new QPushButton(tr("Cancel"), side);
    btCancel_->setObjectName(QStringLiteral("btCancelSound"));
    seam_ = new SeamView(side);
    seam_->setObjectName(QStringLiteral("svLoopSeam"));
    seam_->setVisible(false);
    lbPlayback_ = new QLabel(side);
    lbPlayback_->setObjectName(QStringLiteral("lbPlayback"));
    lbPlayback_->setTextFormat(Qt::PlainText);
    lbPlayback_->setWordWrap(true);
    lbPlayback_->setVisible(false);
    sideLayout->addWidget(scroll, 1);
    sideLayout->addWidget(lbPlayback_);
    sideLayout->addWidget(seam_, 1);
    sideLayout->addWidget(pbPass_);
    sideLayout->addWidget(btCancel_);
    side->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    side->setMaximumWidth(fontMetrics().averageCharWidth() * 60);
    layout->addWidget(side);

    connect(runner_, &WorkRunner::Progressed, this, &SoundView::ShowProgress);
    refine_ = new QTimer(this);
    refine_->setSingleShot(true);
    refine_->setInterval(kRefineAfterMs);
    connect(refine_, &QTimer::timeout, this, &SoundView::Refine);
    connect(btCancel_, &QPushButton::clicked, this, &SoundView::CancelPass);
    connect(canvas_, &WaveformCanvas::MarkerActivated, this, &SoundView::MarkerActivated);
    connect(canvas_, &WaveformCanvas::LoopChosen, this, &SoundView::ShowSeam);
    connect(canvas_, &WaveformCanvas::ViewChanged, refine_, qOverload<>(&QTimer::start));

    // What the loaded document gives at once: the sound's shape and its markers.
    const wavedoc::WaveDocument& document = *analysis.document;
    const sound::FormatVerdict verdict = sound::SampleFormatOf(document);
    if (verdict.format) {
        canvas_->SetShape(sound::FramesOf(document, *verdict.format), verdict.format->channels,
                          verdict.format->sampleRate);
        NameLanes(*verdict.format);
        player_ = new SoundPlayer(document_, *verdict.format, this);
        connect(canvas_, &WaveformCanvas::StopPressed, player_, &SoundPlayer::Stop);
        connect(player_, &SoundPlayer::PlayLineMoved, canvas_,
                [this](std::uint64_t frame) { canvas_->SetPlayLine(frame); });
        connect(player_, &SoundPlayer::Ended, this, &SoundView::ShowPlayingEnded);
        lbFigures_->setText(tr("The sound is measured when this view is first shown."));
    } else {
        lbFigures_->setText(Text(verdict.unmeasured));
        undecodable_ = Text(verdict.unmeasured);
    }
    connect(canvas_, &WaveformCanvas::PlayPressed, this, &SoundView::TogglePlaying);
    try {
        // A peak envelope (levl) draws the overview at once, until the pass ends.
        if (std::optional<sound::Overview> envelope = sound::PeakEnvelopeOf(document)) {
            canvas_->SetWhole(std::move(*envelope));
            envelopeShown_ = true;
        }
        canvas_->SetMarkers(sound::MarkersOf(document));
    } catch (const wavedoc::WaveDocError& error) {
        lbFigures_->setText(Text(error.what()));
    }
    pbPass_->setVisible(false);
    btCancel_->setVisible(false);
}

SoundView::~SoundView() = default;

void SoundView::ShowSeam(const sound::Marker& loop) {
    const QString name = Text(loop.label);
    try {
        const wavedoc::ReadingSession reading(document_->Source());
        seam_->SetSeam(name, sound::LoopSeamOf(*document_, loop));
    } catch (const wavedoc::WaveDocError& error) {
        seam_->SetUnreadable(Text(error.what()));
    }
    seam_->setVisible(true);
}

void SoundView::NameLanes(const sound::SampleFormat& format) {
    const std::vector<sound::ChannelRole> roles = sound::ChannelRolesOf(format);
    std::vector<QString> names;
    std::vector<bool> leftOut;
    for (std::size_t c = 0; c < roles.size() && c < kMostNamedLanes; ++c) {
        names.push_back(roles[c].speaker.empty()
                            ? QString::number(c + 1)
                            : QStringLiteral("%1 %2").arg(c + 1).arg(Text(roles[c].speaker)));
        leftOut.push_back(roles[c].weight == sound::LoudnessWeight::LeftOut);
    }
    canvas_->SetLaneNames(std::move(names), std::move(leftOut));
}

void SoundView::TogglePlaying() {
    lbPlayback_->setVisible(true);
    if (player_ == nullptr) {
        lbPlayback_->setText(tr("Not played: %1").arg(undecodable_));
        return;
    }
    if (player_->Playing()) {
        player_->Stop();
        return;
    }
    const std::uint64_t frames = canvas_->Frames();
    sound::PlanVerdict verdict;
    QString what;
    if (const std::optional<sound::Marker>& marker = canvas_->Selected()) {
        verdict = sound::PlanOf(*marker, frames);
        what = Text(marker->label);
    } else if (canvas_->Cursor() < frames) {
        verdict.plan = sound::PlayPlan{canvas_->Cursor(), frames, std::nullopt};
        what = tr("From frame %1").arg(canvas_->Cursor());
    } else {
        verdict.unplayable = "There is no audio to play.";
    }
    const QString failure = verdict.plan ? player_->Play(*verdict.plan) : Text(verdict.unplayable);
    lbPlayback_->setText(failure.isEmpty() ? tr("Playing: %1. Space or Escape stops.").arg(what)
                                           : tr("Not played: %1").arg(failure));
}

void SoundView::ShowPlayingEnded(const QString& failure) {
    canvas_->SetPlayLine(std::nullopt);
    if (failure.isEmpty()) {
        lbPlayback_->setVisible(false);
        lbPlayback_->clear();
    } else {
        lbPlayback_->setText(tr("Stopped: %1").arg(failure));
    }
}

QString SoundView::PlaybackText() const { return lbPlayback_->text(); }

bool SoundView::Measuring() const { return runner_->Busy(); }

QString SoundView::Figures() const { return lbFigures_->text(); }

void SoundView::HighlightRecords(std::uint64_t from, std::uint64_t to) { canvas_->Highlight(from, to); }

void SoundView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (started_) return;
    started_ = true;
    lbFigures_->setText(tr("Measuring the sound…"));
    pbPass_->setValue(0);
    pbPass_->setVisible(true);
    btCancel_->setVisible(true);
    runner_->Start(
        {.title = {},
         .total = 0,
         .progressText = {},
         .work = [this, document = document_, claims = claims_, sofar = sofar_](JobControl& control) {
             auto whole =
                 std::make_shared<const WholeSound>(MeasureWhole(*document, claims, control, *sofar));
             return std::function<void()>([this, whole] { ShowWhole(*whole); });
         }});
}

void SoundView::CancelPass() {
    runner_->Cancel();
    btCancel_->setEnabled(false);
}

void SoundView::ShowProgress(std::uint64_t done, std::uint64_t total) {
    if (wholeShown_) return;
    if (total > 0) pbPass_->setValue(static_cast<int>(std::min(done, total) * 1000 / total));
    // The overview read so far, unless a peak envelope already draws the whole.
    std::optional<sound::Overview> sofar = sofar_->Take();
    if (sofar && !envelopeShown_) canvas_->SetWhole(std::move(*sofar));
}

void SoundView::ShowWhole(const WholeSound& whole) {
    wholeShown_ = true;
    pbPass_->setVisible(false);
    btCancel_->setVisible(false);
    lbFigures_->setText(FiguresText(whole));
    emit Compared(whole.compared, whole.sound.measured);
    if (!whole.sound.measured || !whole.sound.measured->Measured()) return;
    const sound::Measurement& measured = *whole.sound.measured;
    const sound::Overview& overview = measured.overview;
    wholeFramesPerBucket_ = overview.buckets > 0
                                ? static_cast<double>(overview.frames) / static_cast<double>(overview.buckets)
                                : 0;
    canvas_->SetWhole(overview);
    Refine();
}

void SoundView::Refine() {
    if (!wholeShown_ || canvas_->width() <= 0) return;
    const double framesPerPixel = static_cast<double>(canvas_->ViewFrames()) / canvas_->width();
    // The whole overview serves until a pixel holds less than one of its buckets.
    if (framesPerPixel >= wholeFramesPerBucket_) return;
    const std::uint64_t first = canvas_->ViewStart();
    const std::uint64_t count = canvas_->ViewFrames();
    const auto buckets = static_cast<std::size_t>(canvas_->width());
    runner_->Replace({.title = {},
                      .total = 0,
                      .progressText = {},
                      .work = [this, document = document_, first, count, buckets](JobControl& control) {
                          auto refined = std::make_shared<std::optional<sound::Overview>>(
                              MeasureStretch(*document, first, count, buckets, control));
                          return std::function<void()>([this, refined] {
                              if (*refined) canvas_->SetRefined(std::move(**refined));
                          });
                      }});
}
