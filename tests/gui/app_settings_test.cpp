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
    void emptyValuesFallBackToDocuments_data();
    void emptyValuesFallBackToDocuments();
    void storedFoldersAreReturned();

  private:
    static std::unique_ptr<QSettings> store(const QTemporaryDir& folder) {
        return std::make_unique<QSettings>(folder.filePath(QStringLiteral("kyrvana.ini")),
                                           QSettings::IniFormat);
    }
};

void AppSettingsTest::emptyValuesFallBackToDocuments_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("missing") << QVariant();
    QTest::newRow("empty") << QVariant(QString());
}

void AppSettingsTest::emptyValuesFallBackToDocuments() {
    QFETCH(QVariant, stored);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    auto raw = store(folder);
    if (stored.isValid()) {
        raw->setValue(AppSettings::kDataDirKey, stored);
        raw->setValue(AppSettings::kTemplateDirKey, stored);
    }
    raw->sync();

    AppSettings settings(store(folder));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(settings.dataDir(), documents + QStringLiteral("/Kyrvana/Data"));
    QCOMPARE(settings.templateDir(), documents + QStringLiteral("/Kyrvana/Templates"));

    // Reading never writes the default back.
    QSettings after(folder.filePath(QStringLiteral("kyrvana.ini")), QSettings::IniFormat);
    QCOMPARE(after.value(AppSettings::kDataDirKey).toString(), QString());
    QCOMPARE(after.value(AppSettings::kTemplateDirKey).toString(), QString());
}

void AppSettingsTest::storedFoldersAreReturned() {
    QTemporaryDir folder;
    {
        AppSettings settings(store(folder));
        settings.setTemplateDir(QStringLiteral("/lab/templates"));
        settings.setDataDir(QStringLiteral("/lab/data"));
    }
    // A fresh reader sees what the first one wrote, under the "Settings" section.
    QSettings raw(folder.filePath(QStringLiteral("kyrvana.ini")), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("Settings/TemplateDir")).toString(),
             QStringLiteral("/lab/templates"));
    AppSettings settings(store(folder));
    QCOMPARE(settings.templateDir(), QStringLiteral("/lab/templates"));
    QCOMPARE(settings.dataDir(), QStringLiteral("/lab/data"));
}

QTEST_MAIN(AppSettingsTest)
#include "app_settings_test.moc"
