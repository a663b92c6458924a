#include "cameradiscovery.h"

#include <QtConcurrent>

#include "sdk/OrvantaAPI.h"

CameraDiscovery::CameraDiscovery(QObject* parent) : QObject(parent), m_period(this)
{
    m_period.setObjectName(QStringLiteral("discoveryTimer"));
    connect(&m_period, &QTimer::timeout, this, &CameraDiscovery::refreshInBackground);
}

CameraDiscovery::~CameraDiscovery()
{
    stop();
}

int CameraDiscovery::refresh()
{
    int n = 0;
    // A failed enumeration leaves n at 0: the list then shows no camera, which is the answer.
    (void)OrvantaNumberOfCameras(&n);
    QStringList names;
    for (int i = 0; i < n; ++i) {
        char name[ORVANTA_TEXT_SIZE] = {};
        // A camera gone since the count keeps its zeroed, empty name.
        (void)OrvantaGetDisplayName(i, name);
        names << QString::fromLatin1(name);
    }
    emit namesFound(names);
    return n;
}

void CameraDiscovery::refreshInBackground()
{
    if (m_running.isRunning()) {
        return;
    }
    m_running.setFuture(QtConcurrent::run([this] { discover(); }));
}

void CameraDiscovery::start(int periodMs)
{
    m_period.start(periodMs);
}

void CameraDiscovery::stop()
{
    m_period.stop();
    m_running.waitForFinished();
}

// Pool thread: only the SDK is asked here; camerasFound is queued to this object's thread.
void CameraDiscovery::discover()
{
    const int n = refresh();
    QStringList ids;
    for (int i = 0; i < n; ++i) {
        char id[ORVANTA_TEXT_SIZE] = {};
        (void)OrvantaGetCameraID(i, id); // a zeroed ID matches no camera
        ids << QString::fromLatin1(id);
    }
    emit camerasFound(n, ids);
}
