#pragma once

#include <QDialog>

class QLineEdit;

namespace kyrvana::gui {

class MessageBoxes;

// Sets the force-control maximum velocity code. The range 1-10 is advice in
// the label only: OK stores whatever unsigned number was typed (0 and 25
// included); the edit refuses characters that are not digits.
class CForceControlSettingsDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kTitle = "Force Control Settings";
    static constexpr const char* kCodeLabel = "Maximum Velocity Code (1-10)      ";
    static constexpr const char* kNotes[] = {
        "Notes:   ",
        "Lower values produce more stable force control     ",
        "Higher values enable faster cycling but could be unstable       ",
        "The Best value will depend on the stiffness of your specimens     ",
        "Stiffer specimens will require a smaller velocity code than softer specimens   ",
        "Typical best values are between 5-9       ",
    };
    // Shown when OK is pressed on an empty edit.
    static constexpr const char* kNotANumberMessage = "Please enter a positive integer.";

    CForceControlSettingsDlg(unsigned& velocityCode, MessageBoxes& messages,
                             QWidget* parent = nullptr);

    QLineEdit* codeEdit() const { return edit_; }

  public slots:
    void accept() override;

  private:
    unsigned& velocityCode_;
    MessageBoxes& messages_;
    QLineEdit* edit_ = nullptr;
};

}  // namespace kyrvana::gui
