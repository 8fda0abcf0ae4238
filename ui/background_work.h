// Work done aside, on a window's own thread pool, its result handed back on
// the window's thread, so that a window never waits for a computation. The
// pool is the window's, not Qt's global one: Qt's painter hands parts of its
// work to the global pool and would wait behind long computations there.
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace varnelle {

// One kind of computation of a window (its chart, one of its look-ups). One
// rule: a newer request abandons the older one. At most one runs at a time;
// a request made meanwhile sets the abandon flag of the one running and waits
// for it to stop, replacing any request that was already waiting, and the
// result of an abandoned computation is never shown. Destroying the window
// abandons everything; its pool then waits for what was running to stop.
class LatestComputation : public QObject {
  public:
    LatestComputation(QThreadPool* pool, QObject* parent) : QObject(parent), pool_(pool) {}
    ~LatestComputation() override { abandon(); }

    // `work(const std::atomic<bool>& abandoned)` runs aside and must own
    // everything it reads; `done(result)` runs on this object's thread, only
    // for the latest request.
    template <typename Work, typename Done>
    void start(Work work, Done done) {
        abandon();
        waiting_ = [this, work = std::move(work), done = std::move(done)]() mutable {
            run(std::move(work), std::move(done));
        };
        if (!running_) {
            startWaiting();
        }
    }

    // Drops the request waiting, if any, and stops the computation running.
    void abandon() {
        waiting_ = nullptr;
        if (abandoned_) {
            abandoned_->store(true);
        }
    }

    bool isRunning() const { return running_; }

  private:
    template <typename Work, typename Done>
    void run(Work work, Done done) {
        using Result = std::invoke_result_t<Work, const std::atomic<bool>&>;
        auto abandoned = std::make_shared<std::atomic<bool>>(false);
        abandoned_ = abandoned;
        running_ = true;
        auto* watcher = new QFutureWatcher<Result>(this);
        connect(watcher, &QFutureWatcherBase::finished, this,
                [this, watcher, abandoned, done = std::move(done)]() {
                    watcher->deleteLater();
                    running_ = false;
                    if (!abandoned->load()) {
                        done(watcher->result());
                    }
                    startWaiting();
                });
        watcher->setFuture(QtConcurrent::run(
            pool_, [work = std::move(work), abandoned]() { return work(*abandoned); }));
    }

    void startWaiting() {
        if (waiting_) {
            auto next = std::move(waiting_);
            waiting_ = nullptr;
            next();
        }
    }

    QThreadPool* pool_;
    std::function<void()> waiting_;
    std::shared_ptr<std::atomic<bool>> abandoned_;  // of the computation running
    bool running_ = false;
};

}  // namespace varnelle
