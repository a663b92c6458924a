#include "saveoptions.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

namespace {

// The strings come from widgets, whose own copies are released inside Qt's libraries. Keeping
// private copies means no string buffer is ever shared between the GUI and display threads,
// so a reader never depends on reference counting done in code that sanitizers cannot see.
QString ownCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

SaveOptions::Values ownCopy(const SaveOptions::Values& values)
{
    return {ownCopy(values.path), ownCopy(values.extension), values.count};
}

} // namespace

void SaveOptions::set(const Values& values)
{
    Values copy = ownCopy(values);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values = std::move(copy);
}

SaveOptions::Values SaveOptions::get() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return ownCopy(m_values);
}

namespace {
// The viewer's settings file (~/.config/Orvanta/OrvantaViewer.conf on Linux).
const char kOrganization[] = "Orvanta";
const char kApplication[] = "OrvantaViewer";
} // namespace

SaveOptions::Values SaveOptions::recall()
{
    QSettings settings{QLatin1String(kOrganization), QLatin1String(kApplication)};
    Values values;
    values.path = settings
                      .value(QStringLiteral("save/folder"),
                             QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                      .toString();
    values.extension = settings.value(QStringLiteral("save/format")).toString();
    values.count = settings.value(QStringLiteral("save/count"), 1).toInt() == -1 ? -1 : 1;
    return values;
}

void SaveOptions::remember(const Values& values)
{
    QSettings settings{QLatin1String(kOrganization), QLatin1String(kApplication)};
    settings.setValue(QStringLiteral("save/folder"), values.path);
    settings.setValue(QStringLiteral("save/format"), values.extension);
    settings.setValue(QStringLiteral("save/count"), values.count);
}

bool prepareSaveFolder(const QString& path, QString* reason)
{
    if (path.trimmed().isEmpty()) {
        *reason = QStringLiteral("Cannot save: no folder is set (Save Path under Control, "
                                 "Miscellaneous).");
        return false;
    }
    const QString shown = QDir(path).absolutePath();
    if (!QFileInfo(path).isDir()) {
        errno = 0;
        if (!QDir().mkpath(path)) {
            // Qt does not promise errno here: without one the sentence ends at "created".
            const int error = errno;
            const QString why =
                error ? QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(error)))
                      : QString();
            *reason = QStringLiteral("Cannot save to \"%1\": the folder cannot be created%2.")
                          .arg(shown, why);
            return false;
        }
    }
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".orvanta-save-XXXXXX")));
    if (!probe.open()) {
        *reason = QStringLiteral("Cannot save to \"%1\": the folder is not writable (%2).")
                      .arg(shown, probe.errorString());
        return false;
    }
    return true;
}
