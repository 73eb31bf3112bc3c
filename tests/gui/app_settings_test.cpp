// The per-user folders: defaults applied on reading, never written back.
#include "gui/app/app_settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using kyrvana::gui::AppSettings;

class AppSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void foldersFallBackToDocumentsUntilSet();
};

void AppSettingsTest::foldersFallBackToDocumentsUntilSet() {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kyrvana.ini"));
    const auto store = [&file] { return std::make_unique<QSettings>(file, QSettings::IniFormat); };
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Missing, then empty: both mean the default, which is not written back.
    for (const QVariant& stored : {QVariant(), QVariant(QString())}) {
        if (stored.isValid()) {
            QSettings raw(file, QSettings::IniFormat);
            raw.setValue(AppSettings::kDataDirKey, stored);
            raw.setValue(AppSettings::kTemplateDirKey, stored);
        }
        {
            AppSettings settings(store());
            QCOMPARE(settings.dataDir(), documents + QStringLiteral("/Kyrvana/Data"));
            QCOMPARE(settings.templateDir(), documents + QStringLiteral("/Kyrvana/Templates"));
        }
        const QSettings after(file, QSettings::IniFormat);
        QCOMPARE(after.value(AppSettings::kDataDirKey), stored);
        QCOMPARE(after.value(AppSettings::kTemplateDirKey), stored);
    }
    {
        AppSettings settings(store());
        settings.setTemplateDir(QStringLiteral("/lab/templates"));
        settings.setDataDir(QStringLiteral("/lab/data"));
    }
    // A fresh reader sees what the first one wrote, under the "Settings" section.
    QCOMPARE(QSettings(file, QSettings::IniFormat).value(QStringLiteral("Settings/TemplateDir")),
             QVariant(QStringLiteral("/lab/templates")));
    AppSettings settings(store());
    QCOMPARE(settings.templateDir(), QStringLiteral("/lab/templates"));
    QCOMPARE(settings.dataDir(), QStringLiteral("/lab/data"));
}

QTEST_MAIN(AppSettingsTest)
#include "app_settings_test.moc"
