#ifndef FRAMESAVER_H
#define FRAMESAVER_H

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QThreadPool>

#include <condition_variable>
#include <functional>
#include <mutex>

// One frame to save. It owns its pixels (copied when the job was made), so the file holds the
// frame that was displayed even though the SDK and the display thread reuse their buffers.
struct SaveJob
{
    QImage picture;    // image formats ("BMP", "JPG", "PNG", "TIF")
    QString path;      // directory, as typed, without an added separator
    QString extension; // "BMP", "JPG", "PNG", "TIF", "RAW" or "RGB"
    QString cameraId;
    int width = 0;
    int height = 0;
    QByteArray data;       // "RAW": the sensor bytes; "RGB": width x height x 3 bytes
    bool announce = false; // the first of a save run: its full path goes to the log once written
};

// "<path>/<camera>_<month>_<day>_<hour>_<minute>_<second>_<ms>.<ext>", no leading zeros.
QString saveFileName(const SaveJob& job, const QDateTime& when);

// Writes the job to a new file named for 'when'. When that name is taken (two frames in the
// same millisecond), "-1", "-2", ... is added before the extension, so no file is replaced.
// Returns true and the name written, or false and a message naming the file and the reason.
bool writeSaveJob(const SaveJob& job, const QDateTime& when, QString* fileName, QString* error);

// Runs save jobs on a pool of its own whose threads run at a lower priority, so encoding never
// takes the processor from the camera and display threads; failures go to the log callback,
// and "saving to <full path>" for an announced job to the saved callback (both called on the
// pool thread). At most maxPending jobs wait or run at once: each holds a whole
// frame, and saving every displayed frame can be slower than the display. The destructor waits for
// the jobs still running.
class FrameSaver
{
public:
    explicit FrameSaver(std::function<void(const QString&)> log, int maxPending = 4,
                        std::function<void(const QString&)> saved = {});
    ~FrameSaver();
    FrameSaver(const FrameSaver&) = delete;
    FrameSaver& operator=(const FrameSaver&) = delete;

    // Starts the job, or returns false (job not taken) while maxPending jobs are pending.
    bool trySubmit(SaveJob& job);
    void waitForIdle();

private:
    friend void SaveThread(void* job);
    void finished();

    std::function<void(const QString&)> m_log;
    std::function<void(const QString&)> m_saved;
    const int m_maxPending;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_running = 0;
    QThreadPool m_pool; // last: its threads are joined before the members above go
};

// Pool task body: writes one job (a heap-allocated save task) and frees it.
void SaveThread(void* job);

#endif // FRAMESAVER_H
