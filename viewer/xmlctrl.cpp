#include "xmlctrl.h"
#include "ui_xmlctrl.h"

#include <QAction>
#include <QHostAddress>
#include <QKeyEvent>
#include <QSet>
#include <QSortFilterProxyModel>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "camerasession.h"
#include "rangespinbox.h"
#include "sdk/OrvantaAPI.h"
#include "treemodel.h"

namespace {
bool containsAny(const QString& name, std::initializer_list<const char*> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const char* word) { return name.contains(QLatin1String(word)); });
}

// Integer nodes that hold an IPv4 address are shown and entered as dotted quads.
bool isAddressNode(const QString& name)
{
    return name.contains(QLatin1String("Persistent")) || name == QLatin1String("GevSCDA");
}

QString integerText(const QString& name, int32_t value)
{
    if (isAddressNode(name))
        return QHostAddress(quint32(value)).toString();
    return QString::number(value);
}

// Entries outside the node's range take the nearer bound. A range that is not negative holds
// unsigned 32-bit patterns: there a negative entry counts as very large and takes the maximum.
// A signed range compares signed values.
qint64 clampToNode(qint64 entry, const NodeIntInfo& range)
{
    if (range.minimum < 0)
        return qBound<qint64>(range.minimum, entry, range.maximum);
    const quint64 minimum = quint32(range.minimum);
    const quint64 maximum = quint32(range.maximum);
    const quint64 pattern = entry >= 0 ? quint64(entry) : std::numeric_limits<quint64>::max();
    return qint64(qBound(minimum, pattern, maximum));
}

// A boolean entry: a base-10 integer (non-zero is true), or true / false.
bool parseBoolean(const QString& text, bool* value)
{
    const QString entry = text.trimmed();
    bool ok = false;
    *value = entry.toLongLong(&ok, 10) != 0;
    for (const bool word : {false, true})
        if (!ok &&
            entry.compare(QLatin1String(word ? "true" : "false"), Qt::CaseInsensitive) == 0) {
            *value = word;
            ok = true;
        }
    return ok;
}

QString floatText(double value)
{
    return QString::number(value, 'g', 6);
}

bool parseAddress(const QString& text, quint32* value)
{
    const QHostAddress address(text.trimmed());
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    *value = address.toIPv4Address();
    return true;
}

QString bufferText(const char* buffer, size_t size)
{
    return QString::fromUtf8(buffer, int(strnlen(buffer, size)));
}
} // namespace

XMLCtrl::XMLCtrl(CameraSession* session, QWidget* parent)
    : QDockWidget(parent), ui(new Ui::XMLCtrl), m_session(session)
{
    ui->setupUi(this);
    HideShowXMLCtrl(EditorMode::None, true);
    connect(m_session, &CameraSession::streamingChanged, this, &XMLCtrl::UpdateAcqState);
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setRecursiveFilteringEnabled(true); // a match keeps its categories
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    ui->treeXML->setModel(m_filter);
    auto* clearFilter = new QAction(ui->edXMLFilter);
    clearFilter->setShortcut(Qt::Key_Escape);
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    connect(clearFilter, &QAction::triggered, ui->edXMLFilter, &QLineEdit::clear);
    ui->edXMLFilter->addAction(clearFilter);
}

XMLCtrl::~XMLCtrl() = default;

void XMLCtrl::CreateXMLTree(void* hCamera)
{
    const QStringList headers{tr("Root")};
    m_hCamera = hCamera;
    m_filter->setSourceModel(nullptr);
    delete m_model;
    m_model = new TreeModel(headers, m_hCamera, this);
    m_filter->setSourceModel(m_model);
    if (!ui->edXMLFilter->text().trimmed().isEmpty())
        ui->treeXML->expandAll();
    for (int column = 0; column < m_model->columnCount(); ++column)
        ui->treeXML->resizeColumnToContents(column);
}

void XMLCtrl::DeleteXMLTree()
{
    m_filter->setSourceModel(nullptr); // the view shows an empty tree
    delete m_model;
    m_model = nullptr;
    m_hCamera = nullptr;
}

void XMLCtrl::on_edXMLFilter_textChanged(const QString& text)
{
    m_filter->setFilterFixedString(text.trimmed());
    // Matches are shown unfolded; without a filter the tree folds back around the current node.
    if (text.trimmed().isEmpty())
        ui->treeXML->collapseAll();
    else
        ui->treeXML->expandAll();
    revealCurrentNode();
}

namespace {
// The row of a node, anywhere in the tree; invalid when the model does not show it.
QModelIndex findNode(const QAbstractItemModel* model, const QString& name)
{
    if (!model || name.isEmpty() || model->rowCount() == 0)
        return QModelIndex();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1,
                                               Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
}
} // namespace

// Selects the node in the editor again wherever the filtered tree still shows it.
void XMLCtrl::revealCurrentNode()
{
    const QModelIndex shown = findNode(m_filter, m_nodeName);
    if (!shown.isValid())
        return;
    ui->treeXML->setCurrentIndex(shown);
    ui->treeXML->scrollTo(shown);
}

void XMLCtrl::reloadCurrentNode()
{
    const QModelIndex node = findNode(m_model, m_nodeName);
    if (node.isValid())
        on_treeXML_clicked(node);
}

void XMLCtrl::HideShowXMLCtrl(EditorMode mode, bool enable)
{
    ui->edXMLValue->setEnabled(enable);
    ui->cmbXMLValue->setEnabled(enable);
    ui->btnXMLExcute->setEnabled(enable);
    ui->laXMLValue->setVisible(mode == EditorMode::LineEdit);
    ui->edXMLValue->setVisible(mode == EditorMode::LineEdit);
    ui->laXMLEnum->setVisible(mode == EditorMode::Enum);
    ui->cmbXMLValue->setVisible(mode == EditorMode::Enum);
    ui->laXMLExcute->setVisible(mode == EditorMode::Command);
    ui->btnXMLExcute->setVisible(mode == EditorMode::Command);
}

void XMLCtrl::UpdateAcqState(bool acquiring)
{
    static const QSet<QString> lockedWhileStreaming = {QStringLiteral("Width"),
                                                       QStringLiteral("Height"),
                                                       QStringLiteral("OffsetX"),
                                                       QStringLiteral("OffsetY"),
                                                       QStringLiteral("PixelFormat"),
                                                       QStringLiteral("AcquisitionFrameRateAbs"),
                                                       QStringLiteral("AcquisitionFrameRate")};
    if (!lockedWhileStreaming.contains(m_nodeName))
        return;
    // Unlocking restores what the camera allows, so a read-only node never becomes editable.
    const bool enable = !acquiring && m_editable;
    ui->edXMLValue->setEnabled(enable);
    ui->cmbXMLValue->setEnabled(enable);
}

// Writes are checked here; the editor then reads the node back, so it shows what the camera
// kept either way.
bool XMLCtrl::writeChecked(int status, const QString& what)
{
    if (m_session->check(status, QStringLiteral("%1 %2").arg(what, m_nodeName)))
        return true;
    say(QStringLiteral("not written: %1").arg(QString::fromUtf8(OrvantaStatusText(status))));
    return false;
}

void XMLCtrl::say(const QString& message)
{
    ui->laXMLStatus->setText(QStringLiteral("%1: %2").arg(m_nodeName, message));
}

bool XMLCtrl::refuse(const QString& text, const char* expected)
{
    say(refusedEntryText(text.trimmed(), QLatin1String(expected),
                         QStringLiteral("nothing written")));
    return false;
}

void XMLCtrl::on_treeXML_clicked(const QModelIndex& index)
{
    const QString name = index.data(Qt::DisplayRole).toString();
    if (!m_hCamera)
        return;
    const QByteArray nodeName = name.toUtf8();
    NodeInfo info;
    std::memset(&info, 0, sizeof info);
    info.type = -1;
    info.access = ORVANTA_ACCESS_READ_ONLY;
    // A node the camera does not describe keeps type -1: the editor is hidden for it.
    (void)OrvantaGetNodeInfo(m_hCamera, nodeName.constData(), &info);
    // Commands are write-only by nature; they can be executed when writable at all.
    const bool editable =
        info.access == ORVANTA_ACCESS_READ_WRITE ||
        (info.type == ORVANTA_NODE_COMMAND && info.access == ORVANTA_ACCESS_WRITE_ONLY);
    m_editable = false;
    ui->laXMLStatus->clear();

    switch (info.type) {
    case ORVANTA_NODE_INTEGER:
        HideShowXMLCtrl(EditorMode::LineEdit, editable);
        m_editable = showIntegerNode(name, editable);
        break;
    case ORVANTA_NODE_FLOAT:
        HideShowXMLCtrl(EditorMode::LineEdit, editable);
        m_editable = showFloatNode(nodeName, editable);
        break;
    case ORVANTA_NODE_STRING:
        HideShowXMLCtrl(EditorMode::LineEdit, editable);
        m_editable = showStringNode(nodeName, editable);
        break;
    case ORVANTA_NODE_BOOLEAN:
        HideShowXMLCtrl(EditorMode::LineEdit, editable);
        m_editable = showBooleanNode(nodeName, editable);
        break;
    case ORVANTA_NODE_ENUMERATION:
        HideShowXMLCtrl(EditorMode::Enum, editable);
        m_editable = showEnumNode(nodeName, editable);
        break;
    case ORVANTA_NODE_COMMAND:
        HideShowXMLCtrl(EditorMode::Command, editable);
        m_editable = editable;
        break;
    default:
        HideShowXMLCtrl(EditorMode::None, true);
        break;
    }
    m_nodeName = name;
    m_nodeType = info.type;
    if (m_session->isAcquiring())
        UpdateAcqState(true);
}

// Each show* reads the node's value into the editor; a failed read disables the editor and
// keeps the previous text. They return whether the editor ended up enabled.
bool XMLCtrl::showLineValue(int readStatus, const QString& text, bool editable)
{
    if (readStatus != ORVANTA_OK) {
        ui->edXMLValue->setEnabled(false);
        return false;
    }
    ui->edXMLValue->setEnabled(editable);
    ui->edXMLValue->setText(text);
    return editable;
}

bool XMLCtrl::showIntegerNode(const QString& name, bool editable)
{
    NodeIntInfo value = {};
    const int status = OrvantaGetNodeInt(m_hCamera, name.toUtf8().constData(), &value);
    return showLineValue(status, integerText(name, value.value), editable);
}

bool XMLCtrl::showFloatNode(const QByteArray& name, bool editable)
{
    NodeFloatInfo value = {0, 0, 0, 0.001};
    const int status = OrvantaGetNodeFloat(m_hCamera, name.constData(), &value);
    return showLineValue(status, floatText(value.value), editable);
}

bool XMLCtrl::showStringNode(const QByteArray& name, bool editable)
{
    char buffer[ORVANTA_NODE_TEXT_SIZE] = {};
    const int status = OrvantaGetNodeString(m_hCamera, name.constData(), buffer);
    return showLineValue(status, bufferText(buffer, sizeof buffer), editable);
}

bool XMLCtrl::showBooleanNode(const QByteArray& name, bool editable)
{
    bool value = false;
    const int status = OrvantaGetNodeBoolean(m_hCamera, name.constData(), &value);
    return showLineValue(status, value ? QStringLiteral("1") : QStringLiteral("0"), editable);
}

bool XMLCtrl::showEnumNode(const QByteArray& name, bool editable)
{
    ui->cmbXMLValue->clear();
    auto info = std::make_unique<NodeEnumInfo>();
    std::memset(info.get(), 0, sizeof *info);
    info->count = ORVANTA_ENUM_CAPACITY;
    if (OrvantaGetNodeEnum(m_hCamera, name.constData(), info.get()) != ORVANTA_OK) {
        ui->cmbXMLValue->setEditable(false);
        ui->cmbXMLValue->setEnabled(false);
        return false;
    }
    ui->cmbXMLValue->setEditable(editable);
    const int count = int(std::min<uint32_t>(info->count, ORVANTA_ENUM_CAPACITY));
    for (int i = 0; i < count; ++i)
        ui->cmbXMLValue->addItem(bufferText(info->entries[i], ORVANTA_NODE_TEXT_SIZE));
    ui->cmbXMLValue->setCurrentIndex(info->index < uint32_t(count) ? int(info->index) : -1);
    return editable;
}

void XMLCtrl::on_cmbXMLValue_activated(const QString& text)
{
    if (!m_hCamera)
        return;
    const QByteArray name = m_nodeName.toUtf8();
    writeChecked(OrvantaSetNodeString(m_hCamera, name.constData(), text.toUtf8().constData()),
                 QStringLiteral("set"));
    // Read back so the combo shows the camera's entry, also when the write was refused.
    m_editable = showEnumNode(name, m_editable);
    emitEnumReloads();
}

void XMLCtrl::emitEnumReloads()
{
    if (m_nodeName.contains(QLatin1String("PixelFormat")))
        emit sigUpdateVideoInfo();
    if (containsAny(m_nodeName, {"GainAuto", "ExposureTime", "ExposureAuto", "BalanceWhite"}))
        emit sigUpdateFeatureInfo(false);
    if (containsAny(m_nodeName, {"Trigger", "ExposureMode"}))
        emit sigUpdateTriggerInfo();
    if (m_nodeName.contains(QLatin1String("Timer")))
        emit sigUpdateStrobeInfo();
}

void XMLCtrl::on_btnXMLExcute_clicked()
{
    if (!m_hCamera)
        return;
    const auto execute = [this] {
        writeChecked(OrvantaSetNodeCommand(m_hCamera, m_nodeName.toUtf8().constData()),
                     QStringLiteral("execute"));
    };
    if (!m_nodeName.contains(QLatin1String("UserSetLoad"))) {
        execute();
        return;
    }
    // A user set may change the image format: it loads with the stream stopped.
    m_session->withStreamStopped([&] {
        execute();
        emit sigUpdateFeatureInfo(false);
        emit sigUpdateVideoInfo();
        emit sigUpdateTriggerInfo();
        emit sigUpdateStrobeInfo();
        emit sigUpdateUSerSetInfo();
    });
}

void XMLCtrl::keyPressEvent(QKeyEvent* event)
{
    // Both Enter keys write: Return is the one every keyboard has.
    if (event->key() != Qt::Key_Enter && event->key() != Qt::Key_Return) {
        QDockWidget::keyPressEvent(event);
        return;
    }
    if (focusWidget() != ui->edXMLValue || !m_hCamera)
        return;
    if (enterValue(ui->edXMLValue->text()))
        emitValueReloads();
}

// Writes the entry to the current node and shows the node's value again. Text that does not
// parse as the node's type is refused (nothing written, false returned); an entry outside the
// node's range is clamped. Either is said in the dock's status line.
bool XMLCtrl::enterValue(const QString& text)
{
    ui->laXMLStatus->clear();
    const QByteArray name = m_nodeName.toUtf8();
    switch (m_nodeType) {
    case ORVANTA_NODE_INTEGER: {
        const bool written = writeInteger(text);
        m_editable = showIntegerNode(m_nodeName, m_editable);
        return written;
    }
    case ORVANTA_NODE_FLOAT: {
        const bool written = writeFloat(text);
        m_editable = showFloatNode(name, m_editable);
        return written;
    }
    case ORVANTA_NODE_STRING:
        writeChecked(OrvantaSetNodeString(m_hCamera, name.constData(), text.toUtf8().constData()),
                     QStringLiteral("set"));
        m_editable = showStringNode(name, m_editable);
        return true;
    case ORVANTA_NODE_BOOLEAN: {
        bool value = false;
        if (!parseBoolean(text, &value)) {
            m_editable = showBooleanNode(name, m_editable);
            return refuse(text, "0 or 1");
        }
        writeChecked(OrvantaSetNodeBoolean(m_hCamera, name.constData(), value),
                     QStringLiteral("set"));
        m_editable = showBooleanNode(name, m_editable);
        return true;
    }
    default:
        return true; // nothing to write, the reloads still follow
    }
}

bool XMLCtrl::writeInteger(const QString& text)
{
    const QByteArray name = m_nodeName.toUtf8();
    qint64 entry = 0;
    bool ok = false;
    // Dotted addresses that do not parse are refused too: 0 would wipe the address.
    const bool dotted = isAddressNode(m_nodeName) && text.contains(QLatin1Char('.'));
    if (dotted) {
        quint32 address = 0;
        ok = parseAddress(text, &address);
        entry = address;
    } else {
        entry = text.trimmed().toLongLong(&ok, 10);
    }
    if (!ok)
        return refuse(text, dotted ? "an IPv4 address" : "a whole number");
    NodeIntInfo range = {};
    // Without its range the entry cannot be clamped: nothing is written.
    if (!m_session->check(OrvantaGetNodeInt(m_hCamera, name.constData(), &range),
                          QStringLiteral("read the range of %1").arg(m_nodeName)))
        return false;
    const qint64 value = clampToNode(entry, range);
    if (value != entry) {
        const bool isSigned = range.minimum < 0;
        auto shown = [&](qint64 v) { return integerText(m_nodeName, int32_t(v)); };
        say(clampedEntryText(
            text.trimmed(),
            isSigned ? shown(range.minimum) : QString::number(quint32(range.minimum)),
            isSigned ? shown(range.maximum) : QString::number(quint32(range.maximum)),
            isAddressNode(m_nodeName) ? shown(value) : QString::number(value)));
    }
    writeChecked(OrvantaSetNodeInt(m_hCamera, name.constData(), value), QStringLiteral("set"));
    return true;
}

bool XMLCtrl::writeFloat(const QString& text)
{
    const QByteArray name = m_nodeName.toUtf8();
    bool ok = false;
    const double entry = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(entry))
        return refuse(text, "a number");
    NodeFloatInfo range = {0, 0, 0, 0.001};
    // Without its range the entry cannot be clamped: nothing is written.
    if (!m_session->check(OrvantaGetNodeFloat(m_hCamera, name.constData(), &range),
                          QStringLiteral("read the range of %1").arg(m_nodeName)))
        return false;
    const double value = std::max(range.minimum, std::min(entry, range.maximum));
    if (value != entry)
        say(clampedEntryText(text.trimmed(), floatText(range.minimum), floatText(range.maximum),
                             floatText(value)));
    writeChecked(OrvantaSetNodeFloat(m_hCamera, name.constData(), value), QStringLiteral("set"));
    return true;
}

void XMLCtrl::emitValueReloads()
{
    if (containsAny(m_nodeName, {"Gamma", "Gain", "BlackLevel", "Contrast", "Hue", "Saturation",
                                 "Sharpness", "ExposureTime", "AutoExposure"}))
        emit sigUpdateFeatureInfo(false);
    if (m_nodeName.contains(QLatin1String("Trigger")))
        emit sigUpdateTriggerInfo();
    if (m_nodeName.contains(QLatin1String("Timer")))
        emit sigUpdateStrobeInfo();
    if (m_nodeName.contains(QLatin1String("UserSet")))
        emit sigUpdateUSerSetInfo();
    if (containsAny(m_nodeName, {"Width", "Height", "OffsetX", "OffsetY", "AcquisitionFrameRate"}))
        emit sigUpdateVideoInfo();
}
