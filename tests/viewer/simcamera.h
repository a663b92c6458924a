#ifndef SIMCAMERA_H
#define SIMCAMERA_H

#include <QtTest>

#include "sdk/OrvantaSimControl.h"

namespace simtest {

// Starts the SDK with no camera and with the simulated backend only, so that a test adds the
// cameras it needs and nothing is ever discovered on a network.
inline void initSimulatedOnly()
{
    qputenv("ORVANTA_BACKENDS", "simulated");
    qputenv("ORVANTA_SIM_CAMERAS", "");
    QCOMPARE(OrvantaInit(), int(ORVANTA_OK));
}

// One simulated camera of a kind, plugged and opened for a test, closed and unplugged after.
class Camera
{
public:
    explicit Camera(const char* kind)
    {
        OrvantaSimPlugCamera(kind, m_id);
        OrvantaOpenCamera(m_id, &m_handle);
    }
    ~Camera()
    {
        OrvantaCloseCamera(m_handle);
        OrvantaSimUnplugCamera(m_id);
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    OrvantaHandle handle() const { return m_handle; }
    bool isOpen() const { return m_handle != nullptr; }
    void clearNodes() { QCOMPARE(OrvantaSimClearNodes(m_id), int(ORVANTA_OK)); }
    void add(const char* parent, const QString& name, int type)
    {
        QCOMPARE(OrvantaSimAddNode(m_id, parent, name.toUtf8().constData(), type), int(ORVANTA_OK));
    }

private:
    char m_id[ORVANTA_TEXT_SIZE] = {};
    OrvantaHandle m_handle = nullptr;
};

} // namespace simtest

#endif // SIMCAMERA_H
