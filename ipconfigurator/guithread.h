#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

// Runs f on the thread that owns ctx and returns its result. From another thread the caller
// blocks until f has run (a blocking queued call); on ctx's own thread f simply runs.
template <typename F> auto callOnThreadOf(QObject* ctx, F f) -> decltype(f())
{
    using Result = decltype(f());
    if (QThread::currentThread() == ctx->thread()) {
        return f();
    }
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(ctx, std::move(f), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(ctx, std::move(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}
