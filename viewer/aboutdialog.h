#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class AboutDialog;
}

// "About OrvantaViewer": program version, the camera SDK's package and library versions (read
// once from the installed SDK header, an INI-readable file) and the operating system.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kSdkHeaderPath = "/usr/local/include/orvanta/OrvantaAPI.h";

    explicit AboutDialog(QWidget* parent = nullptr,
                         const QString& sdkHeaderPath = QString::fromLatin1(kSdkHeaderPath));
    ~AboutDialog() override;

    // "product name, kernel version (cpu architecture)".
    static QString osDescription();

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};

#endif // ABOUTDIALOG_H
