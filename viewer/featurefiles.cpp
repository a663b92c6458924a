#include "featurefiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include <vector>

#include "camerasession.h"
#include "sdk/OrvantaAPI.h"

namespace {
// Room for a report line on every feature of a large camera; a longer report ends with the
// count of the lines left out.
constexpr size_t kReportSize = 64 * 1024;
// Lines listed in the message box itself; with more, all are under "Show Details...".
constexpr int kLinesShown = 20;

// A wait cursor for as long as the camera is busy with a file.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}
} // namespace

FeatureFiles::FeatureFiles(CameraSession* session, QWidget* window)
    : QObject(window), m_session(session), m_window(window)
{}

QString FeatureFiles::suggestedPath() const
{
    if (!m_lastPath.isEmpty())
        return m_lastPath;
    QString name = m_session->cameraId();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return QDir::home().filePath(name + QStringLiteral("-features.txt"));
}

QString FeatureFiles::fileFilter()
{
    return tr("Feature files (*.txt);;All files (*)");
}

void FeatureFiles::askAndSave()
{
    if (!m_session->isOpen())
        return;
    const QString path =
        QFileDialog::getSaveFileName(m_window, tr("Save Features"), suggestedPath(), fileFilter());
    if (!path.isEmpty())
        save(path);
}

void FeatureFiles::askAndLoad()
{
    if (!m_session->isOpen())
        return;
    const QString path =
        QFileDialog::getOpenFileName(m_window, tr("Load Features"), suggestedPath(), fileFilter());
    if (!path.isEmpty())
        load(path);
}

bool FeatureFiles::save(const QString& path)
{
    m_lastPath = path;
    int status = ORVANTA_OK;
    {
        WaitCursor busy;
        status = OrvantaSaveFeatures(m_session->handle(), nativePath(path).constData());
    }
    if (!m_session->check(status, tr("Save features to %1").arg(path))) {
        inform(tr("Save Features"), tr("The features could not be saved to %1: %2.")
                                        .arg(path, QString::fromUtf8(OrvantaStatusText(status))));
        return false;
    }
    emit logLine(tr("Saved the features of camera[%1] to %2").arg(m_session->cameraId(), path));
    return true;
}

bool FeatureFiles::load(const QString& path)
{
    m_lastPath = path;
    std::vector<char> report(kReportSize, '\0');
    int status = ORVANTA_OK;
    {
        WaitCursor busy;
        m_session->withStreamStopped([&] {
            status = OrvantaLoadFeatures(m_session->handle(), nativePath(path).constData(),
                                         report.data(), report.size());
        });
    }
    const QStringList problems = reportLines(QString::fromUtf8(report.data()));
    if (status == ORVANTA_OK || status == ORVANTA_ERR_PARTIAL)
        emit loaded();
    if (status == ORVANTA_OK) {
        emit logLine(
            tr("Loaded the features of %1 into camera[%2]").arg(path, m_session->cameraId()));
        return true;
    }
    if (status == ORVANTA_ERR_PARTIAL) {
        emit logLine(
            tr("Loaded the features of %1 into camera[%2]; %n not applied", "", problems.size())
                .arg(path, m_session->cameraId()));
        inform(tr("Load Features"),
               tr("Camera[%1] did not take these lines of %2:")
                   .arg(m_session->cameraId(), QFileInfo(path).fileName()),
               problems);
        return false;
    }
    m_session->check(status, tr("Load features from %1").arg(path));
    inform(tr("Load Features"),
           tr("The features could not be loaded from %1: %2.")
               .arg(path, problems.isEmpty() ? QString::fromUtf8(OrvantaStatusText(status))
                                             : problems.join(QStringLiteral("; "))));
    return false;
}

QStringList FeatureFiles::reportLines(const QString& report)
{
    QStringList lines;
    for (const QString& line : report.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3) {
            lines << line;
            continue;
        }
        const QString& number = fields[0];
        const QString& feature = fields[1];
        const QString reason = fields.mid(2).join(QLatin1Char(' '));
        if (number == QLatin1String("0"))
            lines << reason; // the file as a whole, or the count of lines left out
        else if (feature.isEmpty())
            lines << tr("Line %1: %2").arg(number, reason);
        else
            lines << tr("Line %1, %2: %3").arg(number, feature, reason);
    }
    return lines;
}

void FeatureFiles::inform(const QString& title, const QString& text, const QStringList& details)
{
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (!details.isEmpty()) {
        QStringList shown = details.mid(0, kLinesShown);
        if (details.size() > kLinesShown) {
            shown << tr("... %n more under Show Details", "", details.size() - kLinesShown);
            box->setDetailedText(details.join(QLatin1Char('\n')));
        }
        box->setInformativeText(shown.join(QLatin1Char('\n')));
    }
    box->open(); // the window goes on; the box stays until dismissed
}
