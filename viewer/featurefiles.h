#ifndef FEATUREFILES_H
#define FEATUREFILES_H

#include <QObject>
#include <QString>
#include <QStringList>

class CameraSession;
class QWidget;

// Camera -> Save Features... / Load Features...: asks for a file, saves the open camera's
// settings to it or applies it (the stream stopped around the change and started again after),
// and shows the outcome in one message box: for a load, every feature the camera did not take
// and why.
class FeatureFiles : public QObject
{
    Q_OBJECT

public:
    FeatureFiles(CameraSession* session, QWidget* window);

    // Without asking for the file (the actions ask first).
    bool save(const QString& path);
    bool load(const QString& path);

    // The SDK's load report ("LINE<TAB>FEATURE<TAB>REASON" lines) as lines for people.
    static QStringList reportLines(const QString& report);

public slots:
    void askAndSave();
    void askAndLoad();

signals:
    // The camera's settings changed (also partly): the docks read them again.
    void loaded();
    void logLine(QString text);

private:
    void inform(const QString& title, const QString& text, const QStringList& details = {});
    QString suggestedPath() const;
    static QString fileFilter();

    CameraSession* m_session;
    QWidget* m_window;
    QString m_lastPath; // the folder and name offered next time
};

#endif // FEATUREFILES_H
