#include "ordered_output.h"

#include <cerrno>

namespace {

// What one ReportStream gathers before it hands it on.
constexpr std::size_t kPieceSize = 64 * 1024;

}  // namespace

OrderedOutput::OrderedOutput(std::ostream& out, std::ostream& errors, Settings settings)
    : out_(out), errors_(errors), settings_(std::move(settings)) {}

bool OrderedOutput::WaitForRoom(std::uint64_t index, std::chrono::milliseconds most) {
    std::unique_lock lock(mutex_);
    if (failed_ || index < next_ + settings_.window) return !failed_;
    const std::uint64_t half = std::max<std::uint64_t>(settings_.window / 2, 1);
    roomAt_ = index + half >= settings_.window ? index + half - settings_.window + 1 : 0;
    room_.wait_for(lock, most, [&] { return failed_ || next_ >= roomAt_; });
    roomAt_ = UINT64_MAX;
    return !failed_ && index < next_ + settings_.window;
}

void OrderedOutput::Write(std::uint64_t index, std::string_view text, std::string& held) {
    std::unique_lock lock(mutex_);
    if (index != next_) {
        if (failed_) return;
        held.append(text);
        if (held.size() < settings_.mostHeld) return;
        changed_.wait(lock, [&] { return failed_ || index == next_; });
        text = {};
    }
    WriteNext(held);
    held.clear();
    WriteNext(text);
}

void OrderedOutput::Complete(std::uint64_t index, std::string held, std::string errors,
                             report::FileOutcome outcome) {
    std::unique_lock lock(mutex_);
    if (index != next_) {
        if (!failed_) done_.emplace(index, Done{std::move(held), std::move(errors), std::move(outcome)});
        return;
    }
    WriteNext(held);
    Finish(errors, outcome);
    for (auto next = done_.find(next_); next != done_.end(); next = done_.find(next_)) {
        WriteNext(next->second.out);
        Finish(next->second.errors, next->second.outcome);
        done_.erase(next);
    }
    // Once for the files written now, however many there were: each is
    // whole on its reader's side as soon as it could be written.
    if (settings_.flushEachFile && !failed_ && !out_.flush()) {
        failed_ = true;
        room_.notify_all();
        failureError_ = errno;
    }
    changed_.notify_all();
    if (next_ >= roomAt_) room_.notify_all();
}

void OrderedOutput::WriteNext(std::string_view text) {
    if (failed_ || text.empty()) return;
    if (statusWithOut_) EraseStatus();
    if (!nextStarted_ && anyOut_) out_ << settings_.separator;
    nextStarted_ = anyOut_ = true;
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out_) {
        failed_ = true;
        room_.notify_all();
        failureError_ = errno;
        changed_.notify_all();
    }
}

void OrderedOutput::Finish(const std::string& errors, const report::FileOutcome& outcome) {
    ++next_;
    nextStarted_ = false;
    if (failed_) return;
    if (!errors.empty()) {
        EraseStatus();
        errors_ << errors << std::flush;
    }
    if (settings_.written) settings_.written(outcome);
}

void OrderedOutput::ShowStatus(const std::string& line, bool outIsTerminal) {
    const std::lock_guard lock(mutex_);
    if (failed_) return;
    statusWithOut_ = outIsTerminal;
    if (outIsTerminal) out_.flush();
    errors_ << '\r' << line << "\x1b[K" << std::flush;
    statusShown_ = true;
}

void OrderedOutput::ClearStatus() {
    const std::lock_guard lock(mutex_);
    EraseStatus();
}

void OrderedOutput::EraseStatus() {
    if (!statusShown_) return;
    errors_ << "\r\x1b[K" << std::flush;
    statusShown_ = false;
}

bool OrderedOutput::Failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

int OrderedOutput::FailureError() const {
    const std::lock_guard lock(mutex_);
    return failureError_;
}

std::uint64_t OrderedOutput::Written() const {
    const std::lock_guard lock(mutex_);
    return next_;
}

ReportStream::ReportStream(OrderedOutput& output) : std::ostream(nullptr), buffer_(output) {
    rdbuf(&buffer_);
}

void ReportStream::Start(std::uint64_t index) {
    clear();
    buffer_.Start(index);
}

void ReportStream::Complete(std::string errors, report::FileOutcome outcome) {
    buffer_.Complete(std::move(errors), std::move(outcome));
}

ReportStream::Buffer::Buffer(OrderedOutput& output) : output_(output), space_(kPieceSize) {
    setp(space_.data(), space_.data() + space_.size());
}

void ReportStream::Buffer::Start(std::uint64_t index) {
    index_ = index;
    held_.clear();
    setp(space_.data(), space_.data() + space_.size());
}

void ReportStream::Buffer::Complete(std::string errors, report::FileOutcome outcome) {
    Drain();
    output_.Complete(index_, std::move(held_), std::move(errors), std::move(outcome));
    held_ = {};
}

ReportStream::Buffer::int_type ReportStream::Buffer::overflow(int_type c) {
    Drain();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize ReportStream::Buffer::xsputn(const char* text, std::streamsize count) {
    // A piece of half the buffer or more (a writer's own gathered rows) goes
    // on as it is, after what the buffer holds, instead of being copied in.
    if (static_cast<std::size_t>(count) < space_.size() / 2) return std::streambuf::xsputn(text, count);
    Drain();
    output_.Write(index_, std::string_view(text, static_cast<std::size_t>(count)), held_);
    return count;
}

int ReportStream::Buffer::sync() {
    Drain();
    return 0;
}

void ReportStream::Buffer::Drain() {
    output_.Write(index_, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())), held_);
    setp(space_.data(), space_.data() + space_.size());
}
