// The SDK header carries its versions in an INI section that QSettings reads.
#include <QSettings>

#include <gtest/gtest.h>

TEST(SdkHeader, QSettingsReadsThePackageAndLibraryVersions)
{
    QSettings ini(QStringLiteral(ORVANTA_HEADER), QSettings::IniFormat);
    ini.setIniCodec("UTF-8");
    ini.beginGroup(QStringLiteral("VERSION_INFO"));
    EXPECT_EQ(ini.value(QStringLiteral("PACKAGE_VERSION")).toString().toStdString(),
              ORVANTA_PROJECT_VERSION);
    EXPECT_EQ(ini.value(QStringLiteral("LIBRARY_VERSION")).toString().toStdString(),
              ORVANTA_PROJECT_VERSION);
}
