#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

// Asks the window's thread every 10 ms, from a thread of its own, to answer
// an event, as a key pressed or the mouse moved would; Stop() gives the
// longest any of them waited.
class AnswerProbe {
public:
    AnswerProbe() : state_(std::make_shared<State>()) {
        thread_ = std::thread([state = state_] {
            while (!state->stop.load()) {
                const auto sent = std::chrono::steady_clock::now();
                QMetaObject::invokeMethod(
                    qApp,
                    [state, sent] {
                        const auto waited = std::chrono::steady_clock::now() - sent;
                        state->longest = std::max<long long>(
                            state->longest,
                            std::chrono::duration_cast<std::chrono::milliseconds>(waited).count());
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~AnswerProbe() { Stop(); }
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;

    long long Stop() {
        if (thread_.joinable()) {
            state_->stop = true;
            thread_.join();
            QCoreApplication::processEvents();  // the events still waiting count too
        }
        return state_->longest;
    }

private:
    struct State {
        std::atomic<bool> stop{false};
        long long longest = 0;  // read and written on the window's thread only
    };
    std::shared_ptr<State> state_;
    std::thread thread_;
};
