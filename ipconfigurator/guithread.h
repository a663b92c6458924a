#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace guithread_detail {

// Held by a caller while it makes and posts its call, and taken by the target before it reads
// the call: so what the caller wrote up to posting is visible to the target (and to thread
// checkers, which cannot see Qt's own locking).
inline std::mutex& postMutex()
{
    static std::mutex mutex;
    return mutex;
}

template <typename R> struct Call
{
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    std::conditional_t<std::is_void_v<R>, bool, R> result{};

    void finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        cv.notify_all();
    }
    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        cv.wait(lock, [this] { return done; });
    }
};

// Finishes the call when the queued function object is destroyed: after it has run, or when
// Qt discards it because the target object went away. Either way the caller wakes up.
template <typename R> class Finisher
{
public:
    explicit Finisher(std::shared_ptr<Call<R>> call) : m_call(std::move(call)) {}
    ~Finisher() { m_call->finish(); }
    Finisher(const Finisher&) = delete;
    Finisher& operator=(const Finisher&) = delete;
    Call<R>& call() const { return *m_call; }

private:
    std::shared_ptr<Call<R>> m_call;
};

} // namespace guithread_detail

// Runs f on the thread that owns ctx and returns its result. From another thread the caller
// blocks until f has run, as with a blocking queued call; the hand-over goes through a
// standard mutex so that thread checkers can follow it. On ctx's own thread f simply runs.
template <typename F> auto callOnThreadOf(QObject* ctx, F f) -> decltype(f())
{
    using Result = decltype(f());
    using namespace guithread_detail;
    if (QThread::currentThread() == ctx->thread()) {
        return f();
    }
    auto call = std::make_shared<Call<Result>>();
    {
        std::lock_guard<std::mutex> posting(postMutex());
        auto finisher = std::make_shared<Finisher<Result>>(call);
        QMetaObject::invokeMethod(
            ctx,
            [finisher, f = std::move(f)]() mutable {
                {
                    std::lock_guard<std::mutex> posted(postMutex());
                }
                if constexpr (std::is_void_v<Result>) {
                    f();
                } else {
                    finisher->call().result = f();
                }
            },
            Qt::QueuedConnection);
    }
    call->wait();
    if constexpr (!std::is_void_v<Result>) {
        return std::move(call->result);
    }
}
