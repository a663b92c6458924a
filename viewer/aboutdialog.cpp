#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

AboutDialog::AboutDialog(QWidget* parent, const QString& sdkHeaderPath)
    : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    ui->laOS->setText(osDescription());

    QString package;
    QString library;
    if (QFileInfo::exists(sdkHeaderPath)) {
        // The installed SDK header carries an INI section with its versions.
        QSettings header(sdkHeaderPath, QSettings::IniFormat);
        header.setIniCodec("UTF-8");
        header.beginGroup(QStringLiteral("VERSION_INFO"));
        package = header.value(QStringLiteral("PACKAGE_VERSION")).toString();
        library = header.value(QStringLiteral("LIBRARY_VERSION")).toString();
        header.endGroup();
    }
    ui->laPackage->setText(package);
    ui->laLibrary->setText(library);
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::osDescription()
{
    return QStringLiteral("%1, %2 (%3)")
        .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(),
             QSysInfo::currentCpuArchitecture());
}
