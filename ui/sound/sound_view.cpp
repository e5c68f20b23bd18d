#include "ui/sound/sound_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "sound/markers.h"
#include "sound/measure.h"
#include "sound/peak_envelope.h"
#include "text/display_text.h"
#include "ui/sound/sound_pass.h"
#include "ui/sound/waveform_canvas.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

namespace {

constexpr int kPollMs = 50;
constexpr int kRefineAfterMs = 150;
// Channels whose peaks the figures list one by one.
constexpr std::size_t kMostListedChannels = 16;

QString Text(std::string_view raw) { return QString::fromStdString(text::DisplayUtf8(raw)); }

QString Decibels(double value, const char* unit) {
    if (!std::isfinite(value)) return QStringLiteral("-inf %1").arg(QLatin1String(unit));
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 2).arg(QLatin1String(unit));
}

QString FiguresText(const report::Analysis& whole) {
    if (!whole.Loaded()) return Text(whole.error);
    if (!whole.findings || !whole.findings->measured) {
        return whole.findings ? Text(whole.findings->unfinished) : QString();
    }
    const sound::Measurement& measured = *whole.findings->measured;
    if (!measured.Measured()) return Text(measured.unmeasured);
    QStringList lines;
    if (measured.loudness) {
        const sound::Loudness& loudness = *measured.loudness;
        lines << QObject::tr("Integrated: %1").arg(Decibels(loudness.integrated, "LUFS"))
              << QObject::tr("Range: %1").arg(Decibels(loudness.range, "LU"))
              << QObject::tr("True peak: %1").arg(Decibels(loudness.truePeak, "dBTP"))
              << QObject::tr("Max momentary: %1").arg(Decibels(loudness.maxMomentary, "LUFS"))
              << QObject::tr("Max short-term: %1").arg(Decibels(loudness.maxShortTerm, "LUFS"));
    } else {
        lines << QObject::tr("Loudness not measured: %1").arg(Text(measured.loudnessUnmeasured));
    }
    for (std::size_t c = 0; c < measured.channels.size() && c < kMostListedChannels; ++c) {
        const sound::ChannelFigures& channel = measured.channels[c];
        const double peak = channel.peak > 0 ? 20 * std::log10(static_cast<double>(channel.peak)) : -INFINITY;
        lines << QObject::tr("Channel %1: peak %2 at frame %3, %4 clipped")
                     .arg(c + 1)
                     .arg(Decibels(peak, "dBFS"))
                     .arg(channel.peakFrame)
                     .arg(channel.clipped);
    }
    if (measured.channels.size() > kMostListedChannels) {
        lines << QObject::tr("%1 more channels").arg(measured.channels.size() - kMostListedChannels);
    }
    if (measured.stopped) lines << QObject::tr("Stopped before the end of the sound.");
    for (const wavecheck::Finding& finding : whole.findings->shown) {
        if (finding.code == "loudness-mismatch" || finding.code == "peak-mismatch") {
            lines << QStringLiteral("%1: %2").arg(Text(finding.code), Text(finding.message));
        }
    }
    if (!whole.findings->Finished()) lines << Text(whole.findings->unfinished);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

SoundView::SoundView(const report::Analysis& analysis, QWidget* parent)
    : QWidget(parent), path_(analysis.path), pass_(std::make_unique<SoundPass>(analysis.path)) {
    setObjectName(QStringLiteral("soundView"));
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
    sideLayout->addWidget(scroll, 1);
    sideLayout->addWidget(pbPass_);
    sideLayout->addWidget(btCancel_);
    side->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    side->setMaximumWidth(fontMetrics().averageCharWidth() * 60);
    layout->addWidget(side);

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &SoundView::Poll);
    refine_ = new QTimer(this);
    refine_->setSingleShot(true);
    refine_->setInterval(kRefineAfterMs);
    connect(refine_, &QTimer::timeout, this, &SoundView::Refine);
    connect(btCancel_, &QPushButton::clicked, this, &SoundView::CancelPass);
    connect(canvas_, &WaveformCanvas::MarkerActivated, this, &SoundView::MarkerActivated);
    connect(canvas_, &WaveformCanvas::ViewChanged, refine_, qOverload<>(&QTimer::start));

    // What the loaded document gives at once: the sound's shape and its markers.
    const wavedoc::WaveDocument& document = *analysis.document;
    const sound::FormatVerdict verdict = sound::SampleFormatOf(document);
    if (verdict.format) {
        canvas_->SetShape(sound::FramesOf(document, *verdict.format), verdict.format->channels,
                          verdict.format->sampleRate);
        lbFigures_->setText(tr("The sound is measured when this view is first shown."));
    } else {
        lbFigures_->setText(Text(verdict.unmeasured));
    }
    try {
        // A peak envelope (levl) draws the overview at once, until the pass ends.
        if (std::optional<sound::Overview> envelope = sound::PeakEnvelopeOf(document)) {
            canvas_->SetWhole(std::move(*envelope));
        }
        canvas_->SetMarkers(sound::MarkersOf(document));
    } catch (const wavedoc::WaveDocError& error) {
        lbFigures_->setText(Text(error.what()));
    }
    pbPass_->setVisible(false);
    btCancel_->setVisible(false);
}

SoundView::~SoundView() = default;

bool SoundView::Measuring() const { return pass_->Running(); }

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
    pass_->Start();
    poll_->start();
}

void SoundView::CancelPass() {
    pass_->Cancel();
    btCancel_->setEnabled(false);
}

void SoundView::Poll() {
    const auto [done, total] = pass_->Progress();
    if (total > 0) pbPass_->setValue(static_cast<int>(done * 1000 / total));
    if (std::optional<report::Analysis> whole = pass_->TakeWhole()) ShowWhole(*whole);
    if (std::optional<sound::Measurement> refined = pass_->TakeRefined()) {
        canvas_->SetRefined(std::move(refined->overview));
    }
    if (!pass_->Running() && wholeShown_) poll_->stop();
}

void SoundView::ShowWhole(const report::Analysis& whole) {
    wholeShown_ = true;
    pbPass_->setVisible(false);
    btCancel_->setVisible(false);
    lbFigures_->setText(FiguresText(whole));
    if (!whole.findings || !whole.findings->measured || !whole.findings->measured->Measured()) return;
    const sound::Measurement& measured = *whole.findings->measured;
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
    pass_->Refine(canvas_->ViewStart(), canvas_->ViewFrames(), static_cast<std::size_t>(canvas_->width()));
    poll_->start();
}
