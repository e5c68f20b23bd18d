#include "ui/sound/sound_pass.h"

#include <new>

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/wave_error.h"

SoundPass::SoundPass(std::string path) : path_(std::move(path)) {}

SoundPass::~SoundPass() {
    cancel_ = true;
    Join();
}

void SoundPass::Join() {
    if (worker_.joinable()) worker_.join();
}

void SoundPass::Cancel() { cancel_ = true; }

void SoundPass::Start() {
    cancel_ = true;
    Join();
    cancel_ = false;
    running_ = true;
    done_ = 0;
    total_ = 0;
    worker_ = std::thread([this] {
        report::AnalyseOptions options;
        options.checking.measure = true;
        options.checking.cancel = &cancel_;
        options.checking.progress = [this](std::uint64_t done, std::uint64_t total) {
            done_ = done;
            total_ = total;
        };
        report::Analysis analysis;
        try {
            analysis = report::Analyse(path_, options);
        } catch (const std::bad_alloc&) {
            analysis.path = path_;
            analysis.error =
                "The sound of \"" + path_ + "\" could not be measured: there is not enough memory.";
        }
        const std::lock_guard lock(mutex_);
        document_ = analysis.document;
        whole_ = std::move(analysis);
        running_ = false;
    });
}

void SoundPass::Refine(std::uint64_t first, std::uint64_t count, std::size_t buckets) {
    cancel_ = true;
    Join();
    std::shared_ptr<const wavedoc::WaveDocument> document;
    {
        const std::lock_guard lock(mutex_);
        document = document_;
    }
    if (!document) return;
    cancel_ = false;
    running_ = true;
    worker_ = std::thread([this, document, first, count, buckets] {
        sound::MeasureOptions options;
        options.firstFrame = first;
        options.frameCount = count;
        options.buckets = buckets;
        options.loudness = false;
        options.cancel = &cancel_;
        std::optional<sound::Measurement> measured;
        try {
            measured = sound::Measure(*document, options);
        } catch (const wavedoc::WaveDocError&) {
        } catch (const std::bad_alloc&) {
        }
        const std::lock_guard lock(mutex_);
        if (measured && !measured->stopped) refined_ = std::move(measured);
        running_ = false;
    });
}

std::optional<report::Analysis> SoundPass::TakeWhole() {
    const std::lock_guard lock(mutex_);
    std::optional<report::Analysis> whole = std::move(whole_);
    whole_.reset();
    return whole;
}

std::optional<sound::Measurement> SoundPass::TakeRefined() {
    const std::lock_guard lock(mutex_);
    std::optional<sound::Measurement> refined = std::move(refined_);
    refined_.reset();
    return refined;
}
