#pragma once

namespace kyrvana::gui {

class AppSettings;
class CMainFrame;
class SequencePreview;
class CStageView;

// The main window's layout as the user left it: its size and place (or
// maximised), the heights the sequence view gives the form, the preview and
// the message pane, and whether the preview is shown.
struct WindowLayoutParts {
    CMainFrame& frame;
    CStageView& view;
    SequencePreview& preview;
};

// Before the window is first shown. Without stored values the window keeps
// its first size and the preview takes most of the height the form leaves.
void restoreWindowLayout(const WindowLayoutParts& parts, const AppSettings& settings);
void saveWindowLayout(const WindowLayoutParts& parts, AppSettings& settings);

}  // namespace kyrvana::gui
