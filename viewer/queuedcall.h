#ifndef QUEUEDCALL_H
#define QUEUEDCALL_H

#include <QMetaObject>
#include <QObject>

#include <mutex>
#include <utility>

// Runs call on receiver's thread, from any thread, through Qt's event queue.
//
// The queue synchronises with Qt's own primitives, which ThreadSanitizer cannot follow where Qt
// is not built with it: to the sanitizer, the call's captured values would be written on the
// posting thread and read and freed on the receiving one unordered. The call therefore takes
// one lock when it is posted and again before it runs or is dropped unrun, which orders them for
// any checker at the cost of one uncontended lock per call.
class QueuedCall
{
public:
    template <typename Call> static void post(QObject* receiver, Call call)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex());
        QMetaObject::invokeMethod(receiver, Handed<Call>(std::move(call)), Qt::QueuedConnection);
    }

private:
    template <typename Call> struct Handed
    {
        explicit Handed(Call c) : call(std::move(c)) {}
        Handed(Handed&&) = default;
        Handed& operator=(Handed&&) = delete;
        // Also when the receiver goes first and the call is dropped: the lock comes before the
        // captured values are destroyed. (The moved-from copies made while posting end under
        // the poster's lock, hence a recursive one.)
        ~Handed() { handOver(); }
        void operator()()
        {
            handOver();
            call();
        }
        Call call;
    };

    static void handOver() { std::lock_guard<std::recursive_mutex> lock(mutex()); }
    static std::recursive_mutex& mutex()
    {
        static std::recursive_mutex m;
        return m;
    }
};

#endif // QUEUEDCALL_H
