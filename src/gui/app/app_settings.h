#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

namespace kyrvana::gui {

// The per-user folders of the program, kept in the "Settings" section:
// "DataDir" (where downloaded test data go) and "TemplateDir" (where protocol
// files are opened and saved). An empty or missing value means the default
// folder under the user's documents; the default is applied on reading and
// never written back, so a later change of the default still takes effect.
class AppSettings {
  public:
    // The user's settings of the organisation and application.
    AppSettings();
    // A given store, for tests (for example an INI file in a temporary folder).
    explicit AppSettings(std::unique_ptr<QSettings> store);
    ~AppSettings();

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    QString dataDir() const;
    QString templateDir() const;
    void setDataDir(const QString& folder);
    void setTemplateDir(const QString& folder);

    // The main window's size and place (QWidget::saveGeometry), the sequence
    // view's splitter (QSplitter::saveState) and whether the preview is
    // shown; empty (shown) until first written.
    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray& geometry);
    QByteArray splitterState() const;
    void setSplitterState(const QByteArray& state);
    bool previewVisible() const;
    void setPreviewVisible(bool visible);

    // The open and save dialogs' size and place (QWidget::saveGeometry) and
    // their own layout (QFileDialog::saveState: view, column widths); empty
    // until a dialog was first closed.
    QByteArray fileDialogGeometry() const;
    void setFileDialogGeometry(const QByteArray& geometry);
    QByteArray fileDialogState() const;
    void setFileDialogState(const QByteArray& state);

    // "<documents>/Kyrvana/Data" and "<documents>/Kyrvana/Templates".
    static QString defaultDataDir();
    static QString defaultTemplateDir();

    static constexpr const char* kDataDirKey = "Settings/DataDir";
    static constexpr const char* kTemplateDirKey = "Settings/TemplateDir";
    static constexpr const char* kWindowGeometryKey = "Window/Geometry";
    static constexpr const char* kSplitterStateKey = "Window/Splitter";
    static constexpr const char* kPreviewVisibleKey = "Window/PreviewVisible";
    static constexpr const char* kFileDialogGeometryKey = "FileDialog/Geometry";
    static constexpr const char* kFileDialogStateKey = "FileDialog/State";

  private:
    QString folder(const char* key, const QString& fallback) const;
    QByteArray bytes(const char* key) const;
    void setBytes(const char* key, const QByteArray& value);

    std::unique_ptr<QSettings> store_;
};

}  // namespace kyrvana::gui
