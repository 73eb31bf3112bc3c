#include "gui/app/app_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "gui/app/app_identity.h"

namespace kyrvana::gui {
namespace {

// Under the documents folder rather than beside the program: the program's
// parent folder is a system folder or the build tree, where a lab's data would
// be lost with a clean build.
QString documentsSubfolder(const char* name) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir::cleanPath(documents + QStringLiteral("/Kyrvana/") + QLatin1String(name));
}

}  // namespace

AppSettings::AppSettings()
    : store_(std::make_unique<QSettings>(QString::fromLatin1(kOrganizationName),
                                         QString::fromLatin1(kApplicationName))) {}

AppSettings::AppSettings(std::unique_ptr<QSettings> store) : store_(std::move(store)) {}

AppSettings::~AppSettings() = default;

QString AppSettings::dataDir() const {
    return folder(kDataDirKey, defaultDataDir());
}

QString AppSettings::templateDir() const {
    return folder(kTemplateDirKey, defaultTemplateDir());
}

void AppSettings::setDataDir(const QString& folder) {
    store_->setValue(kDataDirKey, folder);
}

void AppSettings::setTemplateDir(const QString& folder) {
    store_->setValue(kTemplateDirKey, folder);
}

QByteArray AppSettings::windowGeometry() const {
    return store_->value(QLatin1String(kWindowGeometryKey)).toByteArray();
}

void AppSettings::setWindowGeometry(const QByteArray& geometry) {
    store_->setValue(QLatin1String(kWindowGeometryKey), geometry);
}

QByteArray AppSettings::splitterState() const {
    return store_->value(QLatin1String(kSplitterStateKey)).toByteArray();
}

void AppSettings::setSplitterState(const QByteArray& state) {
    store_->setValue(QLatin1String(kSplitterStateKey), state);
}

bool AppSettings::previewVisible() const {
    return store_->value(QLatin1String(kPreviewVisibleKey), true).toBool();
}

void AppSettings::setPreviewVisible(bool visible) {
    store_->setValue(QLatin1String(kPreviewVisibleKey), visible);
}

QByteArray AppSettings::fileDialogGeometry() const {
    return bytes(kFileDialogGeometryKey);
}

void AppSettings::setFileDialogGeometry(const QByteArray& geometry) {
    setBytes(kFileDialogGeometryKey, geometry);
}

QByteArray AppSettings::fileDialogState() const {
    return bytes(kFileDialogStateKey);
}

void AppSettings::setFileDialogState(const QByteArray& state) {
    setBytes(kFileDialogStateKey, state);
}

QByteArray AppSettings::bytes(const char* key) const {
    return store_->value(QLatin1String(key)).toByteArray();
}

void AppSettings::setBytes(const char* key, const QByteArray& value) {
    store_->setValue(QLatin1String(key), value);
}

QString AppSettings::defaultDataDir() {
    return documentsSubfolder("Data");
}

QString AppSettings::defaultTemplateDir() {
    return documentsSubfolder("Templates");
}

QString AppSettings::folder(const char* key, const QString& fallback) const {
    const QString stored = store_->value(QLatin1String(key), QString()).toString();
    return stored.isEmpty() ? fallback : stored;
}

}  // namespace kyrvana::gui
