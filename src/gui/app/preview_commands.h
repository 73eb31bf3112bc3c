#pragma once

namespace kyrvana::gui {

class AppSettings;
class ApplicationSession;
class CMainFrame;
class FileDialogs;
class MessageBoxes;
class SequencePreview;

// Puts the sequence preview into the window: between the sequence view's
// form and its message pane, its toggle in the View menu, File > Export
// Preview on it, and the window's layout restored now and kept when the
// window closes. Returns the preview (owned by the view).
SequencePreview* attachSequencePreview(ApplicationSession& session, CMainFrame& frame,
                                       AppSettings& settings, FileDialogs& dialogs,
                                       MessageBoxes& boxes);

}  // namespace kyrvana::gui
