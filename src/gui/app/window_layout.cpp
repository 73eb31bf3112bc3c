#include "gui/app/window_layout.h"

#include <QAction>
#include <QSplitter>

#include "gui/app/app_settings.h"
#include "gui/app/main_frame.h"
#include "gui/editor/sequence_preview.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {
namespace {

// First heights: the form at its least (the list shows the device's ten
// sets), then the preview and the message pane three to one.
void setFirstHeights(QSplitter& splitter, int previewIndex) {
    QList<int> sizes;
    const int form = splitter.widget(0)->minimumSizeHint().height();
    for (int index = 0; index < splitter.count(); ++index) {
        sizes << (index == 0 ? form : index == previewIndex ? 300 : 100);
    }
    splitter.setSizes(sizes);
}

}  // namespace

void restoreWindowLayout(const WindowLayoutParts& parts, const AppSettings& settings) {
    const QByteArray geometry = settings.windowGeometry();
    if (!geometry.isEmpty()) {
        parts.frame.restoreGeometry(geometry);
    }
    QSplitter& splitter = *parts.view.splitter();
    const QByteArray state = settings.splitterState();
    if (state.isEmpty() || !splitter.restoreState(state)) {
        setFirstHeights(splitter, splitter.indexOf(&parts.preview));
    }
    const bool shown = settings.previewVisible();
    parts.preview.toggleAction()->setChecked(shown);
    parts.preview.setVisible(shown);
}

void saveWindowLayout(const WindowLayoutParts& parts, AppSettings& settings) {
    settings.setWindowGeometry(parts.frame.saveGeometry());
    settings.setSplitterState(parts.view.splitter()->saveState());
    settings.setPreviewVisible(parts.preview.toggleAction()->isChecked());
}

}  // namespace kyrvana::gui
