// For long tests that drive a window through many actions: when the process
// dies or one action hangs, what the test was doing at that moment is printed.
#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace varnelle::testing {

// Keeps the action under way where a dying process can still print it.
void rememberAction(const QString& description);

// Prints "<program>: died during <action>" on a fatal signal or a sanitizer's
// report, then leaves the death to whoever handled it before (the test
// library, the sanitizer, or the system).
class CrashReporter {
  public:
    explicit CrashReporter(const char* program);
    ~CrashReporter();
    CrashReporter(const CrashReporter&) = delete;
    CrashReporter& operator=(const CrashReporter&) = delete;
};

// A hang cannot be seen from the hung thread: another thread watches the clock
// and ends the process when one action takes longer than the limit.
class Watchdog {
  public:
    Watchdog(const char* program, std::chrono::seconds limit);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void start(const QString& action);
    void stop();

  private:
    void watch();

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
