// Calls from worker threads onto the window's thread: results, blocking and ordering, with
// plain data handed over in both directions. Runs under ThreadSanitizer as well, so it uses
// Google Test (Qt Test's watchdog thread trips the checker inside Qt).
#include "guithread.h"

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Serves the event loop until the worker has finished.
void runWorker(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
}

TEST(CallOnThreadOf, RunsDirectlyOnTheOwnThread)
{
    QObject owner;
    EXPECT_EQ(callOnThreadOf(&owner, [] { return QThread::currentThread(); }),
              QThread::currentThread());
}

TEST(CallOnThreadOf, WorkersGetTheResultComputedOnTheOwnerThread)
{
    QObject owner;
    QThread* ranOn = nullptr;
    QString text;
    runWorker([&] {
        ranOn = callOnThreadOf(&owner, [] { return QThread::currentThread(); });
        text = callOnThreadOf(&owner, [] { return QStringLiteral("read on the owner"); });
    });
    EXPECT_EQ(ranOn, QThread::currentThread());
    EXPECT_EQ(text, QString("read on the owner"));
}

// Every call has run when it returns, in order, and sees what the worker wrote before it.
TEST(CallOnThreadOf, CallsBlockUntilDoneAndKeepTheirOrder)
{
    QObject owner;
    std::vector<int> seen; // touched only on the owner's thread
    int fromWorker = 0;    // written by the worker, read by the owner
    size_t lastReturned = 0;
    runWorker([&] {
        for (int i = 0; i < 200; ++i) {
            fromWorker = i;
            callOnThreadOf(&owner, [&] { seen.push_back(fromWorker); });
            lastReturned = callOnThreadOf(&owner, [&] { return seen.size(); });
            if (lastReturned != size_t(i) + 1) {
                return;
            }
        }
    });
    EXPECT_EQ(lastReturned, 200u);
    ASSERT_EQ(seen.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(seen[size_t(i)], i);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
