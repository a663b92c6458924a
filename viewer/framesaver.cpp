#include "framesaver.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QtConcurrent>

#include <memory>

#include <sys/resource.h>
#include <unistd.h>

namespace {
struct SaveTask
{
    SaveJob job;
    FrameSaver* saver;
};

QString nameWithSuffix(const QString& name, int n)
{
    if (n == 0) {
        return name;
    }
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QStringLiteral("-%1").arg(n) + name.mid(dot);
}

// Creates a file that did not exist before; another job of the same millisecond can then never
// take the same name.
bool openNewFile(const QString& base, QFile* file, QString* error)
{
    for (int n = 0; n < 1000; ++n) {
        file->setFileName(nameWithSuffix(base, n));
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return true;
        }
        if (!file->exists()) {
            *error = file->errorString();
            return false;
        }
    }
    *error = QStringLiteral("too many files of the same name");
    return false;
}

// Saving yields to the streaming threads: a niceness of 10 leaves it about a tenth of a
// processor they want, and all of what they leave.
void lowerThisThreadPriority()
{
    thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
        lowered = true;
    }
}

bool writeBytes(QFile* file, const QByteArray& data, QString* error)
{
    if (file->write(data) != data.size() || !file->flush()) {
        *error = file->errorString();
        return false;
    }
    return true;
}

bool writeImage(QFile* file, const SaveJob& job, QString* error)
{
    QImageWriter writer(file, job.extension.toLower().toLatin1());
    if (!writer.write(job.picture)) {
        *error = writer.errorString();
        return false;
    }
    if (!file->flush()) {
        *error = file->errorString();
        return false;
    }
    return true;
}
} // namespace

QString saveFileName(const SaveJob& job, const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1/%2_%3_%4_%5_%6_%7_%8.%9")
        .arg(job.path, job.cameraId)
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second())
        .arg(t.msec())
        .arg(job.extension);
}

bool writeSaveJob(const SaveJob& job, const QDateTime& when, QString* fileName, QString* error)
{
    const QString base = saveFileName(job, when);
    if (job.path.isEmpty()) {
        // "/<name>" would land in the root folder.
        *fileName = base;
        *error = QStringLiteral("no folder is set");
        return false;
    }
    QFile file;
    if (!openNewFile(base, &file, error)) {
        *fileName = base;
        return false;
    }
    *fileName = file.fileName();
    const bool rawBytes = job.extension.contains(QLatin1String("RAW")) ||
                          job.extension.contains(QLatin1String("RGB"));
    const bool ok = rawBytes ? writeBytes(&file, job.data, error) : writeImage(&file, job, error);
    file.close();
    if (!ok) {
        file.remove(); // a truncated file would pass for a saved frame
    }
    return ok;
}

FrameSaver::FrameSaver(std::function<void(const QString&)> log, int maxPending,
                       std::function<void(const QString&)> saved)
    : m_log(std::move(log)), m_saved(std::move(saved)), m_maxPending(maxPending)
{}

FrameSaver::~FrameSaver()
{
    waitForIdle();
}

bool FrameSaver::trySubmit(SaveJob& job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running >= m_maxPending) {
            return false;
        }
        ++m_running;
    }
    auto* task = new SaveTask{std::move(job), this};
    QtConcurrent::run(&m_pool, SaveThread, static_cast<void*>(task));
    return true;
}

void FrameSaver::waitForIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_running == 0; });
}

void FrameSaver::finished()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_running == 0) {
        m_idle.notify_all();
    }
}

void SaveThread(void* job)
{
    std::unique_ptr<SaveTask> task(static_cast<SaveTask*>(job));
    lowerThisThreadPriority();
    QString fileName;
    QString error;
    if (!writeSaveJob(task->job, QDateTime::currentDateTime(), &fileName, &error)) {
        task->saver->m_log(QStringLiteral("save %1 failed: %2").arg(fileName, error));
    } else if (task->job.announce && task->saver->m_saved) {
        task->saver->m_saved(
            QStringLiteral("saving to %1").arg(QFileInfo(fileName).absoluteFilePath()));
    }
    task->saver->finished();
}
