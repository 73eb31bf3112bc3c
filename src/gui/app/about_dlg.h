#pragma once

#include <QDialog>

class QLabel;

namespace kyrvana::gui {

// The about box: our picture at 680 x 529 grown with the display, the
// software version and a short notice, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kPictureWidth = 680;
    static constexpr int kPictureHeight = 529;
    static constexpr const char* kNotice =
        "Free software under the GNU GPL, version 3 or later; it comes with no warranty.";

    explicit CAboutDlg(double scale, QWidget* parent = nullptr);

    QSize pictureSize() const;

  private:
    QLabel* picture_ = nullptr;
};

}  // namespace kyrvana::gui
