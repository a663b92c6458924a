#ifndef CAMERACTRL_H
#define CAMERACTRL_H

#include <QDockWidget>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

#include "sdk/OrvantaAPI.h"

class CameraSession;
class QAbstractSlider;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class RoiPreviewWorker;

namespace Ui {
class CameraCtrl;
}

// The "Camera Control" dock: feature, video-mode, trigger/strobe, user-set and save-option
// controls of the open camera, plus the once-a-second ROI preview. Every change is written
// straight to the camera and read back; a refused write is logged through the session, which
// also stops and restarts the stream around changes that need it.
class CameraCtrl : public QDockWidget
{
    Q_OBJECT

public:
    explicit CameraCtrl(CameraSession* session, QWidget* parent = nullptr);
    ~CameraCtrl() override;

    // Takes a new camera handle (when not null) and reloads every tab from the camera.
    void loadConfigurationValue(void* handle);

    // Save options for the frame saver. Safe to call from any thread: it reads the session's
    // copy kept under a lock, updated on the GUI thread whenever the widgets change.
    void getSaveOpt(QString* path, QString* ext, int* count) const;
    void loadSaveOpt();

    // Start / stop the ROI preview worker. DeleteGrabThread returns within about a second;
    // StopGrabThreadSoon returns at once (for a camera that went away, whose grab may hang
    // until its timeout) and the worker ends by itself.
    void CreateGrabThread();
    void DeleteGrabThread();
    void StopGrabThreadSoon();

public slots:
    void loadFeatureValue(bool bUpdate = false);
    void loadTriggerValue();
    void loadStrobeValue();
    void loadVideoInfo();
    void loadUserSet();
    void slotCurrentPoint(QPoint start, QPoint end);

signals:
    void sigHideRubberBand();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // Feature Setting tab: integer features.
    void on_spiGain_valueChanged(int v);
    void on_sliGain_actionTriggered(int action);
    void on_sliGain_sliderReleased();
    void on_spiRGain_valueChanged(int v);
    void on_sliRGain_actionTriggered(int action);
    void on_sliRGain_sliderReleased();
    void on_spiGGain_valueChanged(int v);
    void on_sliGGain_actionTriggered(int action);
    void on_sliGGain_sliderReleased();
    void on_spiBGain_valueChanged(int v);
    void on_sliBGain_actionTriggered(int action);
    void on_sliBGain_sliderReleased();
    void on_spiBlackLevel_valueChanged(int v);
    void on_sliBlackLevel_actionTriggered(int action);
    void on_sliBlackLevel_sliderReleased();
    void on_spiContrast_valueChanged(int v);
    void on_sliContrast_actionTriggered(int action);
    void on_sliContrast_sliderReleased();
    void on_spiHue_valueChanged(int v);
    void on_sliHue_actionTriggered(int action);
    void on_sliHue_sliderReleased();
    void on_spiSaturation_valueChanged(int v);
    void on_sliSaturation_actionTriggered(int action);
    void on_sliSaturation_sliderReleased();
    void on_spiSharp_valueChanged(int v);
    void on_sliSharp_actionTriggered(int action);
    void on_sliSharp_sliderReleased();
    void on_spiAutoExp_valueChanged(int v);
    void on_sliAutoExp_actionTriggered(int action);
    void on_sliAutoExp_sliderReleased();

    // Gamma, shutter, auto boxes, white balance.
    void on_spiGamma_valueChanged(double v);
    void on_sliGamma_actionTriggered(int action);
    void on_sliGamma_sliderReleased();
    void on_spiShutter_valueChanged(qlonglong v);
    void on_sliShutter_actionTriggered(int action);
    void on_sliShutter_sliderReleased();
    void on_chkGain_clicked(bool checked);
    void on_chkShutter_clicked(bool checked);
    void on_cmbWB_activated(const QString& text);
    void on_btnWBDefault_clicked();

    // Video Modes tab.
    void on_btnROIMax_clicked();
    void on_btnROIApply_clicked();
    void on_spiFrameRate_valueChanged(double v);
    void on_cbPixelFormat_activated(const QString& text);

    // Trigger & strobe tab.
    void on_chkTriEnabled_clicked(bool checked);
    void on_cmbTriMode_activated(const QString& text);
    void on_cmbTriSource_activated(const QString& text);
    void on_cmbTriPol_activated(const QString& text);
    void on_spTriPara_valueChanged(int v);
    void on_spTriDelay_valueChanged(int v);
    void on_spTrNoiseFilter_valueChanged(int v);
    void on_chkStroEnabled_clicked(bool checked);
    void on_cmbStroMode_activated(const QString& text);
    void on_cmbStroPol_activated(const QString& text);
    void on_spStroDelay_valueChanged(int v);
    void on_spStroDuration_valueChanged(int v);
    void on_btnApply_clicked();
    void on_btnRunSWTri_clicked();

    // Miscellaneous tab: user sets and save options.
    void on_btnUserSetSave_clicked();
    void on_btnUserSetLoad_clicked();
    void on_btnUserSetPW_clicked();
    void on_radioSaveOnce_clicked();
    void on_radioSaveAll_clicked();
    void on_btnSaveBrowser_clicked();
    void rememberSaveOptions();

    void slotPreviewReady(const QImage& image);

private:
    // One integer feature: its widgets and the SDK calls that read, write and range it.
    struct IntFeature
    {
        QSpinBox* spin = nullptr;
        QSlider* slider = nullptr;
        QLabel* rangeLabel = nullptr;
        std::function<int(int*)> read;
        std::function<int(int)> write;
        std::function<int(int*, int*)> range;
    };
    enum IntFeatureId
    {
        FeatGain,
        FeatRGain,
        FeatGGain,
        FeatBGain,
        FeatBlackLevel,
        FeatContrast,
        FeatHue,
        FeatSaturation,
        FeatSharpness,
        FeatAutoExp,
        FeatCount
    };

    void setupIntFeatures();
    void loadIntFeature(IntFeatureId id);
    void intSpinChanged(IntFeatureId id, int v);
    void intSliderAction(IntFeatureId id, int action);
    void intSliderReleased(IntFeatureId id);
    void loadGamma();
    void loadShutter();
    void loadWhiteBalance();
    void setColourGainsEnabled(bool enabled);
    void readColourGains();
    void refillSaveExtensions(const QStringList& imageFormats);
    void publishSaveOptions();
    void publishPreviewSource();
    void connectEntryNotices();
    // Names a clamped or refused entry (or a refused write) in the dock's status line.
    void showNotice(QWidget* field, const QString& message);

    // Logs a refused write (or a failed read the control cannot do without).
    bool check(int status, const QString& what);
    // Marks the controls of a feature from the status of its read: not supported, the camera
    // lacks it (markSupported); any other failure is logged as "read <what>". True when the
    // read succeeded and the controls can show its value.
    bool shownAsRead(int status, const QString& what, std::initializer_list<QWidget*> widgets);
    // Fills a list with the camera's choices (fillFromCamera) and marks it as shownAsRead does;
    // a list without any entry counts as a feature the camera lacks.
    bool loadChoices(QComboBox* box, int (*count)(OrvantaHandle, int*),
                     int (*entry)(OrvantaHandle, int, char*), int (*current)(OrvantaHandle, char*),
                     const QString& what, bool* matched = nullptr);
    void setListFeature(int (*set)(OrvantaHandle, const char*), const QString& text,
                        const char* what);
    void setIntFeature(int (*set)(OrvantaHandle, int), int value, const char* what);
    bool selectUserSet(const char* selector);

    CameraSession* m_session;
    OrvantaHandle m_hCamera;
    bool m_bGammaScaled;
    OSizeInfo m_sizeInfo;
    int m_nSaveCount;
    std::unique_ptr<RoiPreviewWorker> m_preview;
    std::array<IntFeature, FeatCount> m_intFeatures;
    Ui::CameraCtrl* ui;
};

#endif // CAMERACTRL_H
