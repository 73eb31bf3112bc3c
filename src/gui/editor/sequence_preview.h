#pragma once

#include <QWidget>
#include <memory>

#include "core/preview/sequence_profile.h"
#include "gui/editor/preview_export.h"

class QAction;
class QLabel;

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::gui {

class AppSettings;
class CPreviewChart;
class CStageView;
class FileDialogs;
class MessageBoxes;

// The preview pane under the sequence list: the chart of the working
// sequence and a line that names the sets crossing a limit. It follows the
// view: every change the list shows (an insert, a delete, an edited set, an
// opened file, a read-back, the repeat count, the disabled wells, a device
// coming or going) builds the profile again, marks the rows of the sets
// that cross a limit, and redraws. Selecting a row tints its set on the
// chart; clicking a set on the chart selects its row.
class SequencePreview : public QWidget {
    Q_OBJECT

  public:
    // Points of a CSV export of the visible range.
    static constexpr int kCsvPoints = 2000;
    static constexpr const char* kExportFailedMessage = "The preview could not be written to %1.";

    SequencePreview(CKyrvanaDoc& document, CStageView& view, AppSettings& settings,
                    FileDialogs& dialogs, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~SequencePreview() override;

    CPreviewChart* chart() const { return chart_; }
    QLabel* limitLine() const { return limitLine_; }
    // View > Sequence Preview: shows or hides the pane.
    QAction* toggleAction() const { return toggle_; }

    // Asks the chart for a new profile when the sequence, the repeat count,
    // the wells or the device's limits changed since the last time.
    void refresh();
    // True when the chart (and the rows' marks) show what the view holds now.
    bool isShowingModel();

    // File > Export Preview: the format follows the chosen name's suffix.
    void exportPreview();
    // The context menu's exports.
    void exportAs(PreviewExportFormat format);
    // Writes the chart (PNG, SVG) or the visible range's profile (CSV).
    bool write(PreviewExportFormat format, const QString& path);

  private:
    ProfileInputs currentInputs();
    void profileShown();
    void markRows();
    void showLimitLine();
    void exportWith(const QString& filter, const QString& suffix,
                    std::optional<PreviewExportFormat> format);
    void setPaneShown(bool shown);

    CKyrvanaDoc& document_;
    CStageView& view_;
    AppSettings& settings_;
    FileDialogs& dialogs_;
    MessageBoxes& boxes_;
    CPreviewChart* chart_ = nullptr;
    QLabel* limitLine_ = nullptr;
    QAction* toggle_ = nullptr;
    // What the chart was last asked to draw.
    std::optional<ProfileInputs> requestedInputs_;
    // The profile the rows' marks and the line were made from (held, so that
    // no later profile can take its address).
    std::shared_ptr<const SequenceProfile> markedProfile_;
    // The device's limits as last read while it was ready; kept when it goes.
    int hardwareType_ = 0;
};

}  // namespace kyrvana::gui
