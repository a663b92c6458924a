#ifndef CAMERADISCOVERY_H
#define CAMERADISCOVERY_H

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

// The SDK's camera list, asked for at once on the calling thread or periodically on a pool
// thread, so that a slow enumeration (real cameras on a network) never holds up the window.
// What a periodic discovery found reaches this object's thread, where the window decides whether
// its open camera is still there.
class CameraDiscovery : public QObject
{
    Q_OBJECT

public:
    explicit CameraDiscovery(QObject* parent = nullptr);
    ~CameraDiscovery() override;

    // Asks the SDK now; namesFound follows. Returns the number of cameras.
    int refresh();
    // Starts a discovery on a pool thread, unless one still runs (a slow SDK is not doubled).
    void refreshInBackground();
    void start(int periodMs);
    // Stops the period and returns once a discovery still running has ended.
    void stop();

signals:
    // The cameras' display names, in the SDK's order (also emitted on the pool thread).
    void namesFound(QStringList names);
    // After a periodic discovery, on this object's thread: the count and the camera IDs.
    void camerasFound(int count, QStringList ids);

private:
    void discover();

    QTimer m_period;
    QFutureWatcher<void> m_running;
};

#endif // CAMERADISCOVERY_H
