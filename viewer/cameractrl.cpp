#include "cameractrl.h"
#include "ui_cameractrl.h"

#include "camerasession.h"
#include "pixelfamily.h"
#include "qlonglongspinbox.h"
#include "rangespinbox.h"
#include "roipreviewworker.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <cmath>
#include <limits>

namespace {
// Upper bound on the entries read for a list, against a camera reporting a wild count.
constexpr int kMaxListEntries = 256;

using CountFn = int (*)(OrvantaHandle, int*);
using EntryFn = int (*)(OrvantaHandle, int, char*);
using CurrentFn = int (*)(OrvantaHandle, char*);

// Refills a combo box with the camera's choices and makes the camera's current choice current.
// Returns the status of the count's read; matched tells whether the current choice was found.
int fillFromCamera(QComboBox* box, OrvantaHandle handle, CountFn count, EntryFn entry,
                   CurrentFn current, bool* matched = nullptr)
{
    box->clear();
    int n = 0;
    const int countStatus = count(handle, &n);
    if (countStatus != ORVANTA_OK)
        n = 0;
    for (int i = 0; i < qMin(n, kMaxListEntries); ++i) {
        char text[ORVANTA_TEXT_SIZE] = {};
        if (entry(handle, i, text) != ORVANTA_OK)
            continue; // an entry that cannot be read is not offered
        text[ORVANTA_TEXT_SIZE - 1] = '\0';
        box->addItem(QString::fromLatin1(text));
    }
    char now[ORVANTA_TEXT_SIZE] = {};
    // A failed read leaves the text empty, which matches no entry: nothing is made current.
    (void)current(handle, now);
    now[ORVANTA_TEXT_SIZE - 1] = '\0';
    const int index =
        box->findText(QString::fromLatin1(now), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        box->setCurrentIndex(index);
    if (matched)
        *matched = index >= 0;
    return countStatus;
}

// The status of a list filled by fillFromCamera: one without any entry leaves nothing to
// choose, as when the camera lacks the feature.
int listStatus(const QComboBox* box, int countStatus)
{
    return countStatus == ORVANTA_OK && box->count() == 0 ? int(ORVANTA_ERR_NOT_SUPPORTED)
                                                          : countStatus;
}

QByteArray latin1(const QString& text)
{
    return text.toLatin1();
}

// Exposure steps: finer for short exposures, coarser for long ones.
qlonglong shutterStep(qlonglong v)
{
    if (v < 500)
        return 1;
    if (v < 5500)
        return 10;
    if (v < 76000)
        return 100;
    if (v < 710000)
        return 1000;
    if (v < 5800000)
        return 10000;
    if (v < 46000000)
        return 100000;
    return 1000000;
}

const char kNotSupported[] = "Not supported by this camera";

// False for a control marked as a feature the camera lacks.
bool isOffered(const QWidget* widget)
{
    return widget->toolTip() != QLatin1String(kNotSupported);
}

// A control whose feature the camera lacks is disabled and says why. A supported one that was
// disabled for that reason (the camera before lacked it) is enabled again; otherwise the
// caller's rules decide its state.
void markSupported(std::initializer_list<QWidget*> widgets, bool supported)
{
    for (QWidget* widget : widgets) {
        const bool wasUnsupported = !isOffered(widget);
        if (!supported)
            widget->setEnabled(false);
        else if (wasUnsupported)
            widget->setEnabled(true);
        widget->setToolTip(supported ? QString() : QString::fromLatin1(kNotSupported));
    }
}

// The caption of a field: the label left of it in its grid, else its object name.
QString captionOf(QWidget* field)
{
    auto* grid = qobject_cast<QGridLayout*>(field->parentWidget()->layout());
    const int index = grid ? grid->indexOf(field) : -1;
    if (index >= 0) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(index, &row, &column, &rows, &columns);
        QLayoutItem* left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr;
        if (auto* label = qobject_cast<QLabel*>(left ? left->widget() : nullptr))
            return label->text().trimmed();
    }
    return field->objectName();
}

int clampToInt(qlonglong v)
{
    return int(
        qBound<qlonglong>(std::numeric_limits<int>::min(), v, std::numeric_limits<int>::max()));
}

// A click on the slider groove or PageUp/PageDown asks for the slider's value plus or minus
// a page; the request goes to the spin box, whose handler writes the camera and moves the
// slider on success. The slider's own move is undone so a refused write leaves it in place.
void applyPageAction(QAbstractSlider* slider, int action,
                     const std::function<void(qlonglong)>& setSpin)
{
    int sign = 0;
    if (action == QAbstractSlider::SliderPageStepAdd)
        sign = 1;
    else if (action == QAbstractSlider::SliderPageStepSub)
        sign = -1;
    if (sign == 0)
        return;
    setSpin(qlonglong(slider->value()) + sign * qlonglong(slider->pageStep()));
    slider->setSliderPosition(slider->value());
}
} // namespace

CameraCtrl::CameraCtrl(CameraSession* session, QWidget* parent)
    : QDockWidget(parent), m_session(session), m_hCamera(nullptr),
      m_bGammaScaled(true), m_sizeInfo{}, m_nSaveCount(1),
      m_preview(std::make_unique<RoiPreviewWorker>()), ui(new Ui::CameraCtrl)
{
    ui->setupUi(this);
    ui->sliShutter->hide();
    ui->spiShutter->setKeyboardTracking(false);
    ui->radioSaveAll->hide();
    ui->btnSaveBrowser->setIcon(QIcon::fromTheme(
        QStringLiteral("browser"), QIcon(QStringLiteral(":/icons/20x20/browser.png"))));
    ui->btnSaveBrowser->setToolTip(QStringLiteral("Choose the folder"));
    ui->laROI->setFrameShape(QFrame::Box);
    connect(ui->laROI, &RoiLabelView::sigCurrentPoint, this, &CameraCtrl::slotCurrentPoint);
    connect(this, &CameraCtrl::sigHideRubberBand, ui->laROI, &RoiLabelView::slotHideRubberBand);

    connect(m_preview.get(), &RoiPreviewWorker::sigPreviewReady, this,
            &CameraCtrl::slotPreviewReady);
    ui->laROI->installEventFilter(this);
    m_preview->setViewSize(ui->laROI->size() - QSize(2, 2));

    connect(ui->edSavePath, &QLineEdit::textChanged, this, &CameraCtrl::publishSaveOptions);
    connect(ui->cmbSaveExt, &QComboBox::currentTextChanged, this, &CameraCtrl::publishSaveOptions);
    // What the user chooses is remembered for the next start.
    connect(ui->edSavePath, &QLineEdit::editingFinished, this, &CameraCtrl::rememberSaveOptions);
    connect(ui->cmbSaveExt, QOverload<int>::of(&QComboBox::activated), this,
            &CameraCtrl::rememberSaveOptions);
    publishSaveOptions();
    setupIntFeatures();
    connectEntryNotices();
}

// A typed value that was clamped or refused is named in the dock's status line.
void CameraCtrl::connectEntryNotices()
{
    for (auto* box : findChildren<RangeSpinBox*>())
        connect(box, &RangeSpinBox::entryAdjusted, this,
                [this, box](const QString& message) { showNotice(box, message); });
    for (auto* box : findChildren<RangeDoubleSpinBox*>())
        connect(box, &RangeDoubleSpinBox::entryAdjusted, this,
                [this, box](const QString& message) { showNotice(box, message); });
    connect(ui->spiShutter, &QLongLongSpinBox::entryAdjusted, this,
            [this](const QString& message) { showNotice(ui->spiShutter, message); });
}

void CameraCtrl::showNotice(QWidget* field, const QString& message)
{
    ui->laCtrlStatus->setText(QStringLiteral("%1: %2").arg(captionOf(field), message));
}

CameraCtrl::~CameraCtrl()
{
    DeleteGrabThread();
    delete ui;
}

void CameraCtrl::setupIntFeatures()
{
    using GetFn = int (*)(OrvantaHandle, int*);
    using SetFn = int (*)(OrvantaHandle, int);
    using RangeFn = int (*)(OrvantaHandle, int*, int*);
    auto make = [this](QSpinBox* spin, QSlider* slider, QLabel* label, GetFn get, SetFn set,
                       RangeFn range) {
        IntFeature f;
        f.spin = spin;
        f.slider = slider;
        f.rangeLabel = label;
        f.read = [this, get](int* v) { return get(m_hCamera, v); };
        f.write = [this, set](int v) { return set(m_hCamera, v); };
        f.range = [this, range](int* lo, int* hi) { return range(m_hCamera, lo, hi); };
        return f;
    };
    IntFeature gain;
    gain.spin = ui->spiGain;
    gain.slider = ui->sliGain;
    gain.rangeLabel = ui->laGain;
    // Gain is read together with its auto flag (loadIntFeature, on_chkGain_clicked).
    gain.write = [this](int v) { return OrvantaSetGain(m_hCamera, v, ui->chkGain->isChecked()); };
    gain.range = [this](int* lo, int* hi) { return OrvantaGetGainMinMax(m_hCamera, lo, hi); };
    m_intFeatures[FeatGain] = gain;
    m_intFeatures[FeatRGain] = make(ui->spiRGain, ui->sliRGain, ui->laRGain, OrvantaGetRGain,
                                    OrvantaSetRGain, OrvantaGetRGainMinMax);
    m_intFeatures[FeatGGain] = make(ui->spiGGain, ui->sliGGain, ui->laGGain, OrvantaGetGGain,
                                    OrvantaSetGGain, OrvantaGetGGainMinMax);
    m_intFeatures[FeatBGain] = make(ui->spiBGain, ui->sliBGain, ui->laBGain, OrvantaGetBGain,
                                    OrvantaSetBGain, OrvantaGetBGainMinMax);
    m_intFeatures[FeatBlackLevel] =
        make(ui->spiBlackLevel, ui->sliBlackLevel, ui->laBlack, OrvantaGetBlackLevel,
             OrvantaSetBlackLevel, OrvantaGetBlackLevelMinMax);
    m_intFeatures[FeatContrast] =
        make(ui->spiContrast, ui->sliContrast, ui->laCont, OrvantaGetContrast, OrvantaSetContrast,
             OrvantaGetContrastMinMax);
    m_intFeatures[FeatHue] =
        make(ui->spiHue, ui->sliHue, ui->laHue, OrvantaGetHue, OrvantaSetHue, OrvantaGetHueMinMax);
    m_intFeatures[FeatSaturation] =
        make(ui->spiSaturation, ui->sliSaturation, ui->laSaturation, OrvantaGetSaturation,
             OrvantaSetSaturation, OrvantaGetSaturationMinMax);
    m_intFeatures[FeatSharpness] =
        make(ui->spiSharp, ui->sliSharp, ui->laSharp, OrvantaGetSharpness, OrvantaSetSharpness,
             OrvantaGetSharpnessMinMax);
    m_intFeatures[FeatAutoExp] =
        make(ui->spiAutoExp, ui->sliAutoExp, ui->laAutoExp, OrvantaGetAutoExposure,
             OrvantaSetAutoExposure, OrvantaGetAutoExposureMinMax);
}

// ---- Loading ---------------------------------------------------------------------------------

void CameraCtrl::loadConfigurationValue(void* handle)
{
    if (handle) {
        m_hCamera = handle;
        ui->laCtrlStatus->clear(); // notices were about the camera before
    }
    loadTriggerValue();
    loadStrobeValue();
    loadFeatureValue(false);
    loadVideoInfo();
    loadUserSet();
    loadSaveOpt();
    publishPreviewSource();
}

void CameraCtrl::loadFeatureValue(bool /*bUpdate*/)
{
    if (!m_hCamera)
        return;
    loadGamma();
    for (int id = FeatGain; id <= FeatSharpness; ++id)
        loadIntFeature(IntFeatureId(id));
    loadShutter();
    loadIntFeature(FeatAutoExp);
    loadWhiteBalance();
}

void CameraCtrl::loadIntFeature(IntFeatureId id)
{
    IntFeature& f = m_intFeatures[id];
    int lo = 0;
    int hi = 0;
    // A failed range query keeps the range shown before rather than collapsing it to 0..0
    // (which would clamp the spin box and write 0 to the camera).
    const int rangeStatus = f.range(&lo, &hi);
    if (rangeStatus == ORVANTA_OK) {
        f.rangeLabel->setText(QStringLiteral("(%1 ~ %2)").arg(lo).arg(hi));
        f.spin->setRange(lo, hi);
        f.slider->setRange(lo, hi);
    }
    int v = 0;
    bool autoOn = false;
    const int readStatus = id == FeatGain ? OrvantaGetGain(m_hCamera, &v, &autoOn) : f.read(&v);
    // A feature the camera lacks, or whose range leaves nothing to choose, is not offered.
    const bool supported = rangeStatus != ORVANTA_ERR_NOT_SUPPORTED &&
                           readStatus != ORVANTA_ERR_NOT_SUPPORTED &&
                           (rangeStatus != ORVANTA_OK || lo < hi);
    markSupported({f.spin, f.slider}, supported);
    if (id == FeatGain)
        markSupported({ui->chkGain}, supported);
    if (!supported)
        return;
    if (id == FeatGain) {
        ui->chkGain->setChecked(autoOn);
        f.spin->setEnabled(!autoOn);
        f.slider->setEnabled(!autoOn);
    } else if (id != FeatBlackLevel || readStatus == ORVANTA_OK) {
        f.spin->setEnabled(readStatus == ORVANTA_OK);
        f.slider->setEnabled(readStatus == ORVANTA_OK);
    }
    if (readStatus != ORVANTA_OK)
        return;
    if (f.spin->value() != v)
        f.spin->setValue(v);
    f.slider->setValue(v);
}

void CameraCtrl::loadGamma()
{
    float lo = 0;
    float hi = 0;
    const int rangeStatus = OrvantaGetGammaMinMax(m_hCamera, &lo, &hi);
    // A camera without gamma, or with a range such as (0 ~ 0) that leaves nothing to set.
    markSupported({ui->spiGamma, ui->sliGamma}, rangeStatus != ORVANTA_ERR_NOT_SUPPORTED &&
                                                    (rangeStatus != ORVANTA_OK || lo < hi));
    if (rangeStatus == ORVANTA_OK)
        ui->laGamma->setText(QStringLiteral("(%1 ~ %2)").arg(double(lo)).arg(double(hi)));
    if (rangeStatus != ORVANTA_OK || !(lo < hi)) {
        // The control keeps its form and is not used.
        ui->spiGamma->setEnabled(false);
        ui->sliGamma->setEnabled(false);
        return;
    }
    ui->spiGamma->setEnabled(true);
    ui->sliGamma->setEnabled(true);
    m_bGammaScaled = hi <= 1.01f;
    ui->spiGamma->setRange(lo, hi);
    if (m_bGammaScaled) {
        // Tenths on the slider; the spin box steps by 0.1 (also after a camera that had 1.0).
        ui->sliGamma->setRange(int(std::trunc(lo * 10)), int(std::trunc(hi * 10)));
        ui->spiGamma->setSingleStep(0.1);
    } else {
        ui->sliGamma->setRange(int(std::trunc(lo)), int(std::trunc(hi)));
        ui->spiGamma->setSingleStep(1.0);
        ui->sliGamma->setSingleStep(1);
    }
    float v = 0;
    if (!check(OrvantaGetGamma(m_hCamera, &v), QStringLiteral("read Gamma")))
        return;
    if (ui->spiGamma->value() != double(v))
        ui->spiGamma->setValue(v);
    ui->sliGamma->setValue(m_bGammaScaled ? int(std::trunc(v * 10)) : int(std::trunc(v)));
}

void CameraCtrl::loadShutter()
{
    uint32_t lo = 0;
    uint32_t hi = 0;
    // A failed range read keeps the range shown before (as for the integer features).
    const int rangeStatus = OrvantaGetShutterMinMax(m_hCamera, &lo, &hi);
    if (rangeStatus == ORVANTA_OK) {
        ui->spiShutter->setRange(qlonglong(lo), qlonglong(hi));
        ui->sliShutter->setRange(clampToInt(lo), clampToInt(hi));
        ui->laShutter->setText(QStringLiteral("us (%1 ~ %2)").arg(lo).arg(hi));
    }

    uint32_t v = 0;
    bool autoOn = false;
    const int readStatus = OrvantaGetShutter(m_hCamera, &v, &autoOn);
    // A camera without the exposure, or with a range such as (0 ~ 0) that leaves nothing to set.
    const bool supported = rangeStatus != ORVANTA_ERR_NOT_SUPPORTED &&
                           readStatus != ORVANTA_ERR_NOT_SUPPORTED &&
                           (rangeStatus != ORVANTA_OK || lo < hi);
    markSupported({ui->spiShutter, ui->chkShutter}, supported);
    if (!supported || readStatus != ORVANTA_OK) {
        ui->spiShutter->setEnabled(false);
        ui->sliShutter->setEnabled(false);
        return;
    }
    ui->chkShutter->setChecked(autoOn);
    ui->spiShutter->setEnabled(!autoOn);
    ui->sliShutter->setEnabled(!autoOn);
    if (ui->spiShutter->value() != qlonglong(v))
        ui->spiShutter->setValue(v);
    ui->sliShutter->setValue(clampToInt(v));
}

void CameraCtrl::loadWhiteBalance()
{
    char format[ORVANTA_TEXT_SIZE] = {};
    // An unreadable format counts as colour: the white-balance list below then decides.
    (void)OrvantaGetPixelFormatStr(m_hCamera, format);
    format[ORVANTA_TEXT_SIZE - 1] = '\0';
    const bool mono = QString::fromLatin1(format).toLower().contains(QLatin1String("mono"));
    ui->cmbWB->setEnabled(!mono);

    const bool supported = fillFromCamera(ui->cmbWB, m_hCamera, OrvantaGetNumAvailableWhiteBalances,
                                          OrvantaGetAvailableWhiteBalancesIdxToStr,
                                          OrvantaGetWhiteBalanceStr) == ORVANTA_OK &&
                           ui->cmbWB->count() > 0;
    markSupported({ui->cmbWB}, supported);
    if (supported) {
        ui->cmbWB->setEnabled(true);
        char mode[ORVANTA_TEXT_SIZE] = {};
        // Unreadable, the mode is not "Continuous": the gains stay usable.
        (void)OrvantaGetWhiteBalanceStr(m_hCamera, mode);
        mode[ORVANTA_TEXT_SIZE - 1] = '\0';
        setColourGainsEnabled(qstrcmp(mode, "Continuous") != 0);
    } else {
        ui->cmbWB->clear();
        ui->cmbWB->setEnabled(false);
        setColourGainsEnabled(false);
        ui->cmbWB->addItem(QStringLiteral("Not Supported"));
    }
    if (mono) {
        ui->cmbWB->setEnabled(false);
        setColourGainsEnabled(false);
    }
}

void CameraCtrl::setColourGainsEnabled(bool enabled)
{
    for (int id : {FeatRGain, FeatGGain, FeatBGain}) {
        m_intFeatures[id].spin->setEnabled(enabled);
        m_intFeatures[id].slider->setEnabled(enabled);
    }
}

void CameraCtrl::readColourGains()
{
    for (int id : {FeatRGain, FeatGGain, FeatBGain}) {
        IntFeature& f = m_intFeatures[id];
        int v = 0;
        if (f.read(&v) != ORVANTA_OK)
            continue; // the control keeps its value rather than showing (and writing) 0
        f.spin->setValue(v);
        f.slider->setValue(v);
    }
}

// ---- Integer features ------------------------------------------------------------------------

void CameraCtrl::intSpinChanged(IntFeatureId id, int v)
{
    IntFeature& f = m_intFeatures[id];
    if (check(f.write(v), QStringLiteral("set %1 to %2").arg(captionOf(f.spin)).arg(v)))
        f.slider->setValue(v);
}

void CameraCtrl::intSliderAction(IntFeatureId id, int action)
{
    IntFeature& f = m_intFeatures[id];
    applyPageAction(f.slider, action, [&f](qlonglong v) { f.spin->setValue(clampToInt(v)); });
}

void CameraCtrl::intSliderReleased(IntFeatureId id)
{
    IntFeature& f = m_intFeatures[id];
    f.spin->setValue(f.slider->value());
}

#define CAMERACTRL_INT_FEATURE_SLOTS(Spin, Slider, Id)                                             \
    void CameraCtrl::on_##Spin##_valueChanged(int v)                                               \
    {                                                                                              \
        intSpinChanged(Id, v);                                                                     \
    }                                                                                              \
    void CameraCtrl::on_##Slider##_actionTriggered(int action)                                     \
    {                                                                                              \
        intSliderAction(Id, action);                                                               \
    }                                                                                              \
    void CameraCtrl::on_##Slider##_sliderReleased()                                                \
    {                                                                                              \
        intSliderReleased(Id);                                                                     \
    }

CAMERACTRL_INT_FEATURE_SLOTS(spiGain, sliGain, FeatGain)
CAMERACTRL_INT_FEATURE_SLOTS(spiRGain, sliRGain, FeatRGain)
CAMERACTRL_INT_FEATURE_SLOTS(spiGGain, sliGGain, FeatGGain)
CAMERACTRL_INT_FEATURE_SLOTS(spiBGain, sliBGain, FeatBGain)
CAMERACTRL_INT_FEATURE_SLOTS(spiBlackLevel, sliBlackLevel, FeatBlackLevel)
CAMERACTRL_INT_FEATURE_SLOTS(spiContrast, sliContrast, FeatContrast)
CAMERACTRL_INT_FEATURE_SLOTS(spiHue, sliHue, FeatHue)
CAMERACTRL_INT_FEATURE_SLOTS(spiSaturation, sliSaturation, FeatSaturation)
CAMERACTRL_INT_FEATURE_SLOTS(spiSharp, sliSharp, FeatSharpness)
CAMERACTRL_INT_FEATURE_SLOTS(spiAutoExp, sliAutoExp, FeatAutoExp)
#undef CAMERACTRL_INT_FEATURE_SLOTS

// ---- Gamma and shutter -----------------------------------------------------------------------

void CameraCtrl::on_spiGamma_valueChanged(double v)
{
    const int position = m_bGammaScaled ? int(std::trunc(v * 10 + 0.5)) : int(std::trunc(v));
    if (check(OrvantaSetGamma(m_hCamera, float(v)), QStringLiteral("set Gamma to %1").arg(v)))
        ui->sliGamma->setValue(position);
}

void CameraCtrl::on_sliGamma_actionTriggered(int action)
{
    applyPageAction(ui->sliGamma, action, [this](qlonglong v) {
        ui->spiGamma->setValue(m_bGammaScaled ? double(v) / 10.0 : double(v));
    });
}

void CameraCtrl::on_sliGamma_sliderReleased()
{
    const int v = ui->sliGamma->value();
    ui->spiGamma->setValue(m_bGammaScaled ? v / 10.0 : double(v));
}

void CameraCtrl::on_spiShutter_valueChanged(qlonglong v)
{
    const qlonglong step = shutterStep(v);
    ui->spiShutter->setSingleStep(int(step));
    // Only values on the step grid reach the camera; a value that does not fit the camera's
    // unsigned 32-bit exposure (stepping below 0) is shown but not written either.
    if (v % step != 0 || v < 0 || v > qlonglong(std::numeric_limits<uint32_t>::max()))
        return;
    check(OrvantaSetShutter(m_hCamera, uint32_t(v), ui->chkShutter->isChecked()),
          QStringLiteral("set the exposure to %1 us").arg(v));
}

void CameraCtrl::on_sliShutter_actionTriggered(int action)
{
    applyPageAction(ui->sliShutter, action, [this](qlonglong v) { ui->spiShutter->setValue(v); });
}

void CameraCtrl::on_sliShutter_sliderReleased()
{
    const qlonglong v = ui->sliShutter->value();
    ui->spiShutter->setValue(v - v % shutterStep(v));
}

// ---- Auto boxes and white balance ------------------------------------------------------------

void CameraCtrl::on_chkGain_clicked(bool checked)
{
    if (!checked) {
        int v = 0;
        bool autoOn = false;
        // The gain the automatic left behind; unreadable, the control keeps its value.
        if (OrvantaGetGain(m_hCamera, &v, &autoOn) == ORVANTA_OK) {
            ui->spiGain->setValue(v);
            ui->sliGain->setValue(v);
        }
    }
    check(OrvantaSetGain(m_hCamera, ui->spiGain->value(), checked),
          QStringLiteral("set the automatic gain"));
    ui->spiGain->setEnabled(!checked);
    ui->sliGain->setEnabled(!checked);
}

void CameraCtrl::on_chkShutter_clicked(bool checked)
{
    uint32_t v = 0;
    if (!checked) {
        bool autoOn = false;
        // The exposure the automatic left behind; unreadable, the value shown is written.
        if (OrvantaGetShutter(m_hCamera, &v, &autoOn) == ORVANTA_OK) {
            ui->spiShutter->setValue(v);
            ui->sliShutter->setValue(clampToInt(v));
        } else {
            v = uint32_t(qMax<qlonglong>(0, ui->spiShutter->value()));
        }
    }
    if (check(OrvantaSetShutter(m_hCamera, v, checked),
              QStringLiteral("set the automatic exposure"))) {
        ui->spiShutter->setEnabled(!checked);
        ui->sliShutter->setEnabled(!checked);
    } else {
        ui->chkShutter->setEnabled(!checked);
    }
}

void CameraCtrl::on_cmbWB_activated(const QString& text)
{
    if (!check(OrvantaSetWhiteBalanceStr(m_hCamera, latin1(text).constData()),
               QStringLiteral("set the white balance to %1").arg(text)))
        return;
    if (text != QLatin1String("Continuous")) {
        setColourGainsEnabled(true);
        readColourGains();
    } else {
        setColourGainsEnabled(false);
    }
    if (text == QLatin1String("Once"))
        ui->cmbWB->setCurrentIndex(0);
}

void CameraCtrl::on_btnWBDefault_clicked()
{
    m_session->withStreamStopped([this] {
        if (check(OrvantaSetUserDefault(m_hCamera), QStringLiteral("load the default features")))
            loadConfigurationValue(nullptr);
    });
}

// ---- Video modes -----------------------------------------------------------------------------

void CameraCtrl::loadVideoInfo()
{
    if (!m_hCamera)
        return;
    if (!check(OrvantaGetSizeInfo(m_hCamera, &m_sizeInfo), QStringLiteral("read the image size")))
        return;
    ui->spiOffsetX->setRange(0, m_sizeInfo.maxWidth);
    ui->spiWidth->setRange(0, m_sizeInfo.maxWidth);
    ui->spiOffsetY->setRange(0, m_sizeInfo.maxHeight);
    ui->spiHeight->setRange(0, m_sizeInfo.maxHeight);
    ui->spiOffsetX->setValue(m_sizeInfo.xOffset);
    ui->spiOffsetY->setValue(m_sizeInfo.yOffset);
    ui->spiWidth->setValue(m_sizeInfo.width);
    ui->spiHeight->setValue(m_sizeInfo.height);

    {
        // Showing the camera's rate changes nothing: the box's one decimal (or a clamp to the
        // new range) must not be written back to the camera as a new rate.
        const QSignalBlocker showOnly(ui->spiFrameRate);
        float lo = 0;
        float hi = 0;
        // A range pinned by a long exposure (lo == hi) is not taken for a missing feature: it
        // opens again with a shorter exposure.
        const int rangeStatus = OrvantaGetFrameRateMinMax(m_hCamera, &lo, &hi);
        if (shownAsRead(rangeStatus, QStringLiteral("the frame rate range"), {ui->spiFrameRate})) {
            ui->spiFrameRate->setRange(lo, hi);
            ui->laFrameRate->setText(QStringLiteral("(%1 ~ %2)")
                                         .arg(ui->spiFrameRate->minimum(), 0, 'f', 1)
                                         .arg(ui->spiFrameRate->maximum(), 0, 'f', 1));
        }
        float fps = 0;
        if (rangeStatus != ORVANTA_ERR_NOT_SUPPORTED &&
            shownAsRead(OrvantaGetFrameRate(m_hCamera, &fps), QStringLiteral("the frame rate"),
                        {ui->spiFrameRate}) &&
            ui->spiFrameRate->value() != fps)
            ui->spiFrameRate->setValue(fps);
    }

    bool matched = false;
    loadChoices(ui->cbPixelFormat, OrvantaGetNumAvailablePixelFormats,
                OrvantaGetAvailablePixelFormatsIdxToStr, OrvantaGetPixelFormatStr,
                QStringLiteral("the pixel formats"), &matched);
    publishPreviewSource();
    if (matched)
        on_cbPixelFormat_activated(ui->cbPixelFormat->currentText());
}

void CameraCtrl::on_btnROIMax_clicked()
{
    ui->spiOffsetX->setValue(0);
    ui->spiOffsetY->setValue(0);
    ui->spiWidth->setValue(m_sizeInfo.maxWidth);
    ui->spiHeight->setValue(m_sizeInfo.maxHeight);
}

void CameraCtrl::on_btnROIApply_clicked()
{
    m_session->withStreamStopped([this] {
        OSizeInfo size{};
        size.xOffset = ui->spiOffsetX->value();
        size.yOffset = ui->spiOffsetY->value();
        size.width = ui->spiWidth->value();
        size.height = ui->spiHeight->value();
        check(OrvantaSetSizeInfo(m_hCamera, size), QStringLiteral("set the region of interest"));
        // Shows what the camera kept, whether it took the region or not.
        if (!check(OrvantaGetSizeInfo(m_hCamera, &m_sizeInfo),
                   QStringLiteral("read the image size")))
            return;
        ui->spiOffsetX->setValue(m_sizeInfo.xOffset);
        ui->spiOffsetY->setValue(m_sizeInfo.yOffset);
        ui->spiWidth->setValue(m_sizeInfo.width);
        ui->spiHeight->setValue(m_sizeInfo.height);
        publishPreviewSource();
    });
    emit sigHideRubberBand();
}

void CameraCtrl::on_spiFrameRate_valueChanged(double v)
{
    if (v < 1.0) {
        showNotice(ui->spiFrameRate, QStringLiteral("below 1.0 is not written"));
        return;
    }
    m_session->withStreamStopped([this, v] {
        check(OrvantaSetFrameRate(m_hCamera, float(v)),
              QStringLiteral("set the frame rate to %1").arg(v));
    });
}

void CameraCtrl::on_cbPixelFormat_activated(const QString& text)
{
    m_session->withStreamStopped([this, &text] {
        check(OrvantaSetPixelFormatStr(m_hCamera, latin1(text).constData()),
              QStringLiteral("set the pixel format to %1").arg(text));
        loadFeatureValue();
    });
    refillSaveExtensions({QStringLiteral("BMP"), QStringLiteral("JPG"), QStringLiteral("TIF"),
                          QStringLiteral("RAW")});
    publishPreviewSource();
}

void CameraCtrl::slotCurrentPoint(QPoint start, QPoint end)
{
    OSizeInfo sensor{};
    if (!check(OrvantaGetSizeInfo(m_hCamera, &sensor), QStringLiteral("read the sensor size")))
        return;
    const QRect view = ui->laROI->geometry();
    if (view.width() <= 0 || view.height() <= 0)
        return;
    const double kx = double(sensor.maxWidth) / view.width();
    const double ky = double(sensor.maxHeight) / view.height();
    ui->spiOffsetX->setValue(int(start.x() * kx));
    ui->spiOffsetY->setValue(int(start.y() * ky));
    ui->spiWidth->setValue(int((end.x() - start.x()) * kx));
    ui->spiHeight->setValue(int((end.y() - start.y()) * ky));
}

// ---- Trigger and strobe ----------------------------------------------------------------------

void CameraCtrl::loadTriggerValue()
{
    if (!m_hCamera)
        return;
    // Reads that fail leave the control as it was instead of showing (and writing back) 0.
    bool enabled = false;
    if (shownAsRead(OrvantaGetTriggerEnable(m_hCamera, &enabled),
                    QStringLiteral("the trigger switch"), {ui->chkTriEnabled}))
        ui->chkTriEnabled->setChecked(enabled);
    loadChoices(ui->cmbTriSource, OrvantaGetNumAvailableTriggerSources,
                OrvantaGetAvailableTriggerSourcesIdxToStr, OrvantaGetTriggerSourceStr,
                QStringLiteral("the trigger sources"));
    int v = 0;
    if (shownAsRead(OrvantaGetTriggerParameter(m_hCamera, &v),
                    QStringLiteral("the trigger parameter"), {ui->spTriPara}))
        ui->spTriPara->setValue(v);
    loadChoices(ui->cmbTriMode, OrvantaGetNumAvailableTriggerModes,
                OrvantaGetAvailableTriggerModesIdxToStr, OrvantaGetTriggerModeStr,
                QStringLiteral("the trigger modes"));
    loadChoices(ui->cmbTriPol, OrvantaGetNumAvailableTriggerPolaritys,
                OrvantaGetAvailableTriggerPolaritysIdxToStr, OrvantaGetTriggerPolarityStr,
                QStringLiteral("the trigger polarities"));
    if (shownAsRead(OrvantaGetTriggerDelay(m_hCamera, &v), QStringLiteral("the trigger delay"),
                    {ui->spTriDelay}))
        ui->spTriDelay->setValue(v);
    if (shownAsRead(OrvantaGetTriggerNoiseFilter(m_hCamera, &v),
                    QStringLiteral("the trigger noise filter"), {ui->spTrNoiseFilter}))
        ui->spTrNoiseFilter->setValue(v);
}

void CameraCtrl::loadStrobeValue()
{
    if (!m_hCamera)
        return;
    bool enabled = false;
    if (shownAsRead(OrvantaGetStrobeEnable(m_hCamera, &enabled),
                    QStringLiteral("the strobe switch"), {ui->chkStroEnabled}))
        ui->chkStroEnabled->setChecked(enabled);
    loadChoices(ui->cmbStroMode, OrvantaGetNumAvailableStrobeModes,
                OrvantaGetAvailableStrobeModesIdxToStr, OrvantaGetStrobeModeStr,
                QStringLiteral("the strobe modes"));
    loadChoices(ui->cmbStroPol, OrvantaGetNumAvailableStrobePolaritys,
                OrvantaGetAvailableStrobePolaritysIdxToStr, OrvantaGetStrobePolarityStr,
                QStringLiteral("the strobe polarities"));
    int v = 0;
    if (shownAsRead(OrvantaGetStrobeDelay(m_hCamera, &v), QStringLiteral("the strobe delay"),
                    {ui->spStroDelay}))
        ui->spStroDelay->setValue(v);
    if (shownAsRead(OrvantaGetStrobeDuration(m_hCamera, &v), QStringLiteral("the strobe duration"),
                    {ui->spStroDuration}))
        ui->spStroDuration->setValue(v);
}

bool CameraCtrl::loadChoices(QComboBox* box, CountFn count, EntryFn entry, CurrentFn current,
                             const QString& what, bool* matched)
{
    return shownAsRead(
        listStatus(box, fillFromCamera(box, m_hCamera, count, entry, current, matched)), what,
        {box});
}

bool CameraCtrl::shownAsRead(int status, const QString& what,
                             std::initializer_list<QWidget*> widgets)
{
    markSupported(widgets, status != ORVANTA_ERR_NOT_SUPPORTED);
    return status != ORVANTA_ERR_NOT_SUPPORTED &&
           check(status, QStringLiteral("read %1").arg(what));
}

void CameraCtrl::setListFeature(int (*set)(OrvantaHandle, const char*), const QString& text,
                                const char* what)
{
    check(set(m_hCamera, latin1(text).constData()),
          QStringLiteral("set %1 to %2").arg(QLatin1String(what), text));
}

void CameraCtrl::setIntFeature(int (*set)(OrvantaHandle, int), int value, const char* what)
{
    check(set(m_hCamera, value),
          QStringLiteral("set %1 to %2").arg(QLatin1String(what)).arg(value));
}

void CameraCtrl::on_chkTriEnabled_clicked(bool checked)
{
    check(OrvantaSetTriggerEnable(m_hCamera, checked), QStringLiteral("switch the trigger"));
}

void CameraCtrl::on_cmbTriMode_activated(const QString& text)
{
    setListFeature(OrvantaSetTriggerModeStr, text, "the trigger mode");
}

void CameraCtrl::on_cmbTriSource_activated(const QString& text)
{
    setListFeature(OrvantaSetTriggerSourceStr, text, "the trigger source");
}

void CameraCtrl::on_cmbTriPol_activated(const QString& text)
{
    setListFeature(OrvantaSetTriggerPolarityStr, text, "the trigger polarity");
}

void CameraCtrl::on_spTriPara_valueChanged(int v)
{
    setIntFeature(OrvantaSetTriggerParameter, v, "the trigger parameter");
}

void CameraCtrl::on_spTriDelay_valueChanged(int v)
{
    setIntFeature(OrvantaSetTriggerDelay, v, "the trigger delay");
}

void CameraCtrl::on_spTrNoiseFilter_valueChanged(int v)
{
    setIntFeature(OrvantaSetTriggerNoiseFilter, v, "the trigger noise filter");
}

void CameraCtrl::on_chkStroEnabled_clicked(bool checked)
{
    check(OrvantaSetStrobeEnable(m_hCamera, checked), QStringLiteral("switch the strobe"));
}

void CameraCtrl::on_cmbStroMode_activated(const QString& text)
{
    setListFeature(OrvantaSetStrobeModeStr, text, "the strobe mode");
}

void CameraCtrl::on_cmbStroPol_activated(const QString& text)
{
    setListFeature(OrvantaSetStrobePolarityStr, text, "the strobe polarity");
}

void CameraCtrl::on_spStroDelay_valueChanged(int v)
{
    setIntFeature(OrvantaSetStrobeDelay, v, "the strobe delay");
}

void CameraCtrl::on_spStroDuration_valueChanged(int v)
{
    setIntFeature(OrvantaSetStrobeDuration, v, "the strobe duration");
}

void CameraCtrl::on_btnApply_clicked()
{
    // Features the camera lacks are left out: it could only refuse them.
    if (isOffered(ui->chkTriEnabled))
        on_chkTriEnabled_clicked(ui->chkTriEnabled->isChecked());
    if (isOffered(ui->spTriPara))
        on_spTriPara_valueChanged(ui->spTriPara->value());
    if (isOffered(ui->cmbTriMode))
        on_cmbTriMode_activated(ui->cmbTriMode->currentText());
    if (isOffered(ui->cmbTriSource))
        on_cmbTriSource_activated(ui->cmbTriSource->currentText());
    if (isOffered(ui->cmbTriPol))
        on_cmbTriPol_activated(ui->cmbTriPol->currentText());
}

void CameraCtrl::on_btnRunSWTri_clicked()
{
    m_session->resetFrameCount();
    check(OrvantaRunSoftwareTrigger(m_hCamera), QStringLiteral("fire the software trigger"));
}

// ---- User sets -------------------------------------------------------------------------------

void CameraCtrl::loadUserSet()
{
    if (!m_hCamera)
        return;
    auto sets = std::make_unique<NodeEnumInfo>();
    sets->count = ORVANTA_ENUM_CAPACITY;
    sets->index = 0;
    int status = OrvantaGetNodeEnum(m_hCamera, "UserSetSelector", sets.get());
    // The selector is a node of the camera's tree: a camera without it has no user sets.
    if (status == ORVANTA_ERR_NO_NODE)
        status = ORVANTA_ERR_NOT_SUPPORTED;
    if (status == ORVANTA_ERR_NOT_SUPPORTED)
        ui->cmbUserSet->clear(); // the sets of the camera before
    if (!shownAsRead(status, QStringLiteral("the user sets"),
                     {ui->cmbUserSet, ui->btnUserSetSave, ui->btnUserSetLoad, ui->btnUserSetPW}))
        return;
    ui->cmbUserSet->clear();
    const uint32_t n = qMin<uint32_t>(sets->count, ORVANTA_ENUM_CAPACITY);
    for (uint32_t i = 0; i < n; ++i) {
        sets->entries[i][ORVANTA_NODE_TEXT_SIZE - 1] = '\0';
        ui->cmbUserSet->addItem(QString::fromLatin1(sets->entries[i]));
    }
    // String nodes are read into their full 256-byte buffer.
    char powerOn[ORVANTA_NODE_TEXT_SIZE] = {};
    // Unreadable, the power-on set matches no entry and the list keeps its current one.
    (void)OrvantaGetNodeString(m_hCamera, "UserSetDefaultSelector", powerOn);
    powerOn[ORVANTA_NODE_TEXT_SIZE - 1] = '\0';
    const int index = ui->cmbUserSet->findText(QString::fromLatin1(powerOn),
                                               Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui->cmbUserSet->setCurrentIndex(index);
}

bool CameraCtrl::selectUserSet(const char* selector)
{
    const QString set = ui->cmbUserSet->currentText();
    return check(OrvantaSetNodeEnum(m_hCamera, selector, latin1(set).constData()),
                 QStringLiteral("select user set %1").arg(set));
}

void CameraCtrl::on_btnUserSetSave_clicked()
{
    // Saving into another set than the one chosen would overwrite it: nothing without it.
    if (selectUserSet("UserSetSelector"))
        check(OrvantaSetNodeCommand(m_hCamera, "UserSetSave"), QStringLiteral("save the user set"));
}

void CameraCtrl::on_btnUserSetLoad_clicked()
{
    m_session->withStreamStopped([this] {
        if (selectUserSet("UserSetSelector") &&
            check(OrvantaSetNodeCommand(m_hCamera, "UserSetLoad"),
                  QStringLiteral("load the user set")))
            loadConfigurationValue(nullptr);
    });
}

void CameraCtrl::on_btnUserSetPW_clicked()
{
    selectUserSet("UserSetDefaultSelector");
}

// ---- Save options ----------------------------------------------------------------------------

void CameraCtrl::getSaveOpt(QString* path, QString* ext, int* count) const
{
    const SaveOptions::Values values = m_session->saveOptions().get();
    if (path)
        *path = values.path;
    if (ext)
        *ext = values.extension;
    if (count)
        *count = values.count;
}

void CameraCtrl::loadSaveOpt()
{
    // The folder, format and count used last, or the documents folder and "Once".
    const SaveOptions::Values remembered = SaveOptions::recall();
    m_nSaveCount = remembered.count == -1 ? -1 : 1;
    (m_nSaveCount == -1 ? ui->radioSaveAll : ui->radioSaveOnce)->setChecked(true);
    refillSaveExtensions({QStringLiteral("BMP"), QStringLiteral("JPG"), QStringLiteral("PNG"),
                          QStringLiteral("RAW")});
    const int format = ui->cmbSaveExt->findText(remembered.extension);
    if (format >= 0)
        ui->cmbSaveExt->setCurrentIndex(format);
    ui->edSavePath->setText(remembered.path);
    publishSaveOptions();
}

void CameraCtrl::refillSaveExtensions(const QStringList& imageFormats)
{
    ui->cmbSaveExt->clear();
    ui->cmbSaveExt->addItems(imageFormats);
    if (isColourFormat(ui->cbPixelFormat->currentText()))
        ui->cmbSaveExt->addItem(QStringLiteral("RGB"));
}

void CameraCtrl::publishSaveOptions()
{
    m_session->saveOptions().set(
        {ui->edSavePath->text(), ui->cmbSaveExt->currentText(), m_nSaveCount});
}

void CameraCtrl::on_radioSaveOnce_clicked()
{
    m_nSaveCount = 1;
    publishSaveOptions();
    rememberSaveOptions();
}

void CameraCtrl::on_radioSaveAll_clicked()
{
    m_nSaveCount = -1;
    publishSaveOptions();
    rememberSaveOptions();
}

void CameraCtrl::rememberSaveOptions()
{
    SaveOptions::remember(m_session->saveOptions().get());
}

void CameraCtrl::on_btnSaveBrowser_clicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("dd"), ui->edSavePath->text(), QFileDialog::ShowDirsOnly);
    // A cancelled dialog returns an empty text; the folder typed before is kept.
    if (!folder.isEmpty()) {
        ui->edSavePath->setText(folder);
        rememberSaveOptions();
    }
}

// ---- ROI preview -----------------------------------------------------------------------------

void CameraCtrl::CreateGrabThread()
{
    publishPreviewSource();
    m_preview->start();
}

void CameraCtrl::DeleteGrabThread()
{
    m_preview->stop();
}

void CameraCtrl::StopGrabThreadSoon()
{
    m_preview->requestStop();
}

void CameraCtrl::publishPreviewSource()
{
    m_preview->setSource(m_hCamera, m_sizeInfo, ui->cbPixelFormat->currentText());
}

void CameraCtrl::slotPreviewReady(const QImage& image)
{
    ui->laROI->setPixmap(QPixmap::fromImage(image));
}

// ---- Events and stream control ---------------------------------------------------------------

void CameraCtrl::keyPressEvent(QKeyEvent* event)
{
    // The keypad Enter key is swallowed so it cannot reach the main window.
    if (event->key() == Qt::Key_Enter)
        return;
    QWidget::keyPressEvent(event);
}

bool CameraCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->laROI && event->type() == QEvent::Resize)
        m_preview->setViewSize(ui->laROI->size() - QSize(2, 2));
    return QDockWidget::eventFilter(watched, event);
}

bool CameraCtrl::check(int status, const QString& what)
{
    if (m_session->check(status, what))
        return true;
    ui->laCtrlStatus->setText(
        QStringLiteral("Could not %1: %2").arg(what, QString::fromUtf8(OrvantaStatusText(status))));
    return false;
}
