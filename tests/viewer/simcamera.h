// The viewer tests' simulated camera: the SDK started with simulated cameras only, and one
// camera of a kind plugged and opened through a CameraSession for a test; plus the combo-box
// helpers that drive the docks the way a user does.
#ifndef SIMCAMERA_H
#define SIMCAMERA_H

#include <QComboBox>
#include <QtTest>

#include "camerasession.h"
#include "sdk/OrvantaAPI.h"
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

// One simulated camera of a kind, plugged and opened in its own session for a test, closed and
// unplugged after.
class Camera
{
public:
    explicit Camera(const char* kind)
    {
        if (OrvantaSimPlugCamera(kind, m_id) == ORVANTA_OK)
            m_session.open(QString::fromLatin1(m_id));
    }
    ~Camera()
    {
        m_session.close();
        OrvantaSimUnplugCamera(m_id);
    }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    CameraSession& session() { return m_session; }
    OrvantaHandle handle() const { return m_session.handle(); }
    const char* id() const { return m_id; }
    bool isOpen() const { return m_session.isOpen(); }

    void clearNodes() { QCOMPARE(OrvantaSimClearNodes(m_id), int(ORVANTA_OK)); }
    void add(const char* parent, const QString& name, int type)
    {
        QCOMPARE(OrvantaSimAddNode(m_id, parent, name.toUtf8().constData(), type), int(ORVANTA_OK));
    }
    int gain() const
    {
        int v = -1;
        bool autoOn = false;
        OrvantaGetGain(handle(), &v, &autoOn);
        return v;
    }
    uint32_t shutter(bool* autoOn = nullptr) const
    {
        uint32_t v = 0;
        bool a = false;
        OrvantaGetShutter(handle(), &v, &a);
        if (autoOn)
            *autoOn = a;
        return v;
    }
    OSizeInfo size() const
    {
        OSizeInfo s{};
        OrvantaGetSizeInfo(handle(), &s);
        return s;
    }
    QString text(int (*get)(OrvantaHandle, char*)) const
    {
        char buf[ORVANTA_TEXT_SIZE] = {};
        get(handle(), buf);
        return QString::fromLatin1(buf);
    }

private:
    char m_id[ORVANTA_TEXT_SIZE] = {};
    CameraSession m_session;
};

// What a user's choice in a combo box does: the item becomes current and activated(QString)
// is emitted, which reaches the dock's slot connected by name.
inline void chooseItem(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    QMetaObject::invokeMethod(box, "activated", Q_ARG(int, index));
    QMetaObject::invokeMethod(box, "activated", Q_ARG(QString, text));
}

inline QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

} // namespace simtest

#endif // SIMCAMERA_H
