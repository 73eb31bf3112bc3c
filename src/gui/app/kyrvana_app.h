#pragma once

#include <QApplication>
#include <memory>

namespace kyrvana::gui {

class AppSettings;
class CMainFrame;

// The application object: names the organisation and application (which
// places the user's settings), owns the settings and the main frame.
class CKyrvanaApp : public QApplication {
    Q_OBJECT

  public:
    CKyrvanaApp(int& argc, char** argv);
    ~CKyrvanaApp() override;

    // Creates and shows the main frame; false when it cannot start.
    bool initInstance();

    AppSettings& settings() { return *settings_; }
    CMainFrame* mainFrame() const { return mainFrame_.get(); }

    static CKyrvanaApp* instance();

  private:
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<CMainFrame> mainFrame_;
};

}  // namespace kyrvana::gui
