#pragma once

#include <QApplication>
#include <memory>

namespace kyrvana::gui {

class AppSettings;
class ApplicationSession;
struct CommandLineOptions;
class CMainFrame;
class QtFileDialogs;
class SimulatedDevice;

// The application object: names the organisation and application (which
// places the user's settings), gives the windows their icon, owns the settings,
// the main frame with the one document's session, and the simulated
// stimulator of `--simulate`.
class CKyrvanaApp : public QApplication {
    Q_OBJECT

  public:
    CKyrvanaApp(int& argc, char** argv);
    ~CKyrvanaApp() override;

    // Creates and shows the main frame with its document, as the command line
    // says; false when the program cannot start (the reason went to standard
    // error).
    bool initInstance(const CommandLineOptions& options);

    AppSettings& settings() { return *settings_; }
    CMainFrame* mainFrame() const { return mainFrame_.get(); }
    ApplicationSession* session() const { return session_.get(); }

    static CKyrvanaApp* instance();

  private:
    // Destroyed in reverse order: the session (which stops the request
    // thread) before the frame, the frame before the simulated device.
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<QtFileDialogs> fileDialogs_;  // remembers its size in settings_
    std::unique_ptr<SimulatedDevice> simulated_;
    std::unique_ptr<CMainFrame> mainFrame_;
    std::unique_ptr<ApplicationSession> session_;
};

}  // namespace kyrvana::gui
