// Work done on the thread pool, its result handed back on the thread of the
// object that asked, so that a window never waits for a computation.
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace varnelle {

// Runs `work` aside and calls `done` with its result on `receiver`'s thread;
// if the receiver is destroyed first, the result is dropped. `work` must own
// everything it reads: it may outlive the receiver.
template <typename Work, typename Done>
void runAside(QObject* receiver, Work work, Done done) {
    using Result = std::invoke_result_t<Work>;
    auto* watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver,
                     [watcher, done = std::move(done)]() {
                         done(watcher->result());
                         watcher->deleteLater();
                     });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

}  // namespace varnelle
