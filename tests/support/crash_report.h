// For long tests that drive a window through many actions: when the process
// dies or one action hangs, what the test was doing at that moment is printed.
#pragma once

#include <QByteArray>
#include <QString>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define VARNELLE_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNELLE_TEST_SANITIZED 1
#endif
#endif
#if defined(VARNELLE_TEST_SANITIZED)
#include <sanitizer/common_interface_defs.h>
#endif

namespace varnelle::testing {

// What the crash report prints, in fixed buffers that a signal handler may read.
inline char programName[64];
inline std::atomic<std::size_t> programNameLength{0};
inline char lastActionText[1024];
inline std::atomic<std::size_t> lastActionLength{0};
inline std::atomic<bool> lastActionReported{false};

// Async-signal-safe: write(2) only, and once.
inline void reportLastAction() {
    if (lastActionReported.exchange(true)) {
        return;
    }
    constexpr char middle[] = ": died during ";
    constexpr char suffix[] = "\n";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, suffix, sizeof suffix - 1);
    written = ::write(STDERR_FILENO, programName, programNameLength);
    written = ::write(STDERR_FILENO, middle, sizeof middle - 1);
    written = ::write(STDERR_FILENO, lastActionText, lastActionLength);
    written = ::write(STDERR_FILENO, suffix, sizeof suffix - 1);
}

inline constexpr int fatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
inline struct sigaction previousHandlers[std::size(fatalSignals)];

inline void onFatalSignal(int signal) {
    reportLastAction();
    for (std::size_t i = 0; i < std::size(fatalSignals); ++i) {
        if (fatalSignals[i] == signal) {
            sigaction(signal, &previousHandlers[i], nullptr);
        }
    }
    // A fault happens again when the handler returns, now for the previous
    // handler; an abort has to be raised again.
    if (signal == SIGABRT) {
        raise(signal);
    }
}

// Keeps the action under way where a dying process can still print it.
inline void rememberAction(const QString& description) {
    const QByteArray text = description.toUtf8();
    const std::size_t length = std::min<std::size_t>(text.size(), sizeof lastActionText - 1);
    lastActionLength = 0;
    std::memcpy(lastActionText, text.constData(), length);
    lastActionLength = length;
}

// Prints "<program>: died during <action>" on a fatal signal or a sanitizer's
// report, then leaves the death to whoever handled it before (the test
// library, the sanitizer, or the system).
class CrashReporter {
  public:
    explicit CrashReporter(const char* program) {
        const std::size_t length = std::min(std::strlen(program), sizeof programName);
        std::memcpy(programName, program, length);
        programNameLength = length;
        struct sigaction ours = {};
        ours.sa_handler = &onFatalSignal;
        sigemptyset(&ours.sa_mask);
        for (std::size_t i = 0; i < std::size(fatalSignals); ++i) {
            sigaction(fatalSignals[i], &ours, &previousHandlers[i]);
        }
#if defined(VARNELLE_TEST_SANITIZED)
        __sanitizer_set_death_callback(&reportLastAction);
#endif
    }
    ~CrashReporter() {
#if defined(VARNELLE_TEST_SANITIZED)
        __sanitizer_set_death_callback(nullptr);
#endif
        for (std::size_t i = 0; i < std::size(fatalSignals); ++i) {
            sigaction(fatalSignals[i], &previousHandlers[i], nullptr);
        }
    }
    CrashReporter(const CrashReporter&) = delete;
    CrashReporter& operator=(const CrashReporter&) = delete;
};

// A hang cannot be seen from the hung thread: another thread watches the clock
// and ends the process when one action takes longer than the limit.
class Watchdog {
  public:
    Watchdog(const char* program, std::chrono::seconds limit)
        : program_(program), limit_(limit), thread_([this] { watch(); }) {}
    ~Watchdog() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void start(const QString& action) {
        const std::lock_guard<std::mutex> lock(mutex_);
        action_ = action.toStdString();
        since_ = std::chrono::steady_clock::now();
        watching_ = true;
    }
    void stop() {
        const std::lock_guard<std::mutex> lock(mutex_);
        watching_ = false;
    }

  private:
    void watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            wake_.wait_for(lock, std::chrono::milliseconds(100));
            if (watching_ && std::chrono::steady_clock::now() - since_ > limit_) {
                std::fprintf(stderr, "\n%s: no answer within %lld s during %s\n", program_.c_str(),
                             static_cast<long long>(limit_.count()), action_.c_str());
                std::fflush(stderr);
                lastActionReported = true;  // just said
                std::abort();
            }
        }
    }

    const std::string program_;
    const std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool watching_ = false;
    std::chrono::steady_clock::time_point since_;
    std::string action_;
    std::thread thread_;
};

}  // namespace varnelle::testing
