// Shared pieces of the camera control dock tests: a simulated camera opened for the test and
// small helpers to drive the dock's widgets the way a user does.
#ifndef TST_CAMERACTRL_SUPPORT_H
#define TST_CAMERACTRL_SUPPORT_H

#include <QAbstractSlider>
#include <QComboBox>
#include <QtTest>

#include "sdk/OrvantaAPI.h"
#include "sdk/OrvantaSimControl.h"

// Starts the SDK with simulated cameras only (no real-camera discovery on the network) and
// none of them plugged; the tests plug the kinds they need.
inline void initSdkWithoutCameras()
{
    qputenv("ORVANTA_BACKENDS", "simulated");
    qputenv("ORVANTA_SIM_CAMERAS", "");
    QCOMPARE(OrvantaInit(), int(ORVANTA_OK));
}

// A simulated camera of one kind, plugged and opened for the lifetime of the object.
class SimCamera
{
public:
    explicit SimCamera(const char* kind)
    {
        if (OrvantaSimPlugCamera(kind, m_id) == ORVANTA_OK)
            OrvantaOpenCamera(m_id, &m_handle);
    }
    ~SimCamera()
    {
        if (m_handle)
            OrvantaCloseCamera(m_handle);
        OrvantaSimUnplugCamera(m_id);
    }
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    OrvantaHandle handle() const { return m_handle; }
    const char* id() const { return m_id; }

    int gain() const
    {
        int v = -1;
        bool autoOn = false;
        OrvantaGetGain(m_handle, &v, &autoOn);
        return v;
    }
    uint32_t shutter(bool* autoOn = nullptr) const
    {
        uint32_t v = 0;
        bool a = false;
        OrvantaGetShutter(m_handle, &v, &a);
        if (autoOn)
            *autoOn = a;
        return v;
    }
    OSizeInfo size() const
    {
        OSizeInfo s{};
        OrvantaGetSizeInfo(m_handle, &s);
        return s;
    }
    QString text(int (*get)(OrvantaHandle, char*)) const
    {
        char buf[ORVANTA_TEXT_SIZE] = {};
        get(m_handle, buf);
        return QString::fromLatin1(buf);
    }

private:
    char m_id[ORVANTA_TEXT_SIZE] = {};
    OrvantaHandle m_handle = nullptr;
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

#endif // TST_CAMERACTRL_SUPPORT_H
