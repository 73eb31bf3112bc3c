#pragma once

#include <QDialog>
#include <QIcon>
#include <array>

#include "core/device/device_link.h"
#include "core/hardware/well_motion.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kyrvana::gui {

class COrvendaButton;
class DeviceTaskRunner;

// Shows each well's actuator position (mm) and force (N), moves every well by
// a relative amount ("Apply", the default button) and jogs one well while one
// of its two arrow buttons is held: pressing starts the jog in that button's
// direction, releasing the mouse button stops it, waits until the motors
// stand and reads that well again.
//
// All exchanges with the device run on the dialog's own worker thread. While
// they run the controls are disabled (only a held jog button stays usable, so
// that its release is seen), so Apply or a jog cannot start twice; the window
// keeps repainting. The dialog reads the wells when it opens, after Apply and
// after each jog, and never polls.
class CMoveToSizeDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kWells = DeviceLink::kWellCount;
    static constexpr const char* kTitle = "Move to Position";
    static constexpr const char* kRetractLabel = "Retract by relative amount (mm) :";
    static constexpr const char* kExtendLabel = "Extend by relative amount (mm) :";

    // `link` must stay open while the dialog lives.
    explicit CMoveToSizeDlg(DeviceLink& link, QWidget* parent = nullptr);
    ~CMoveToSizeDlg() override;

    // Device work queued or running, or a jog button held.
    bool busy() const;

    // The wells as last read.
    const WellReadings& readings() const { return readings_; }
    // -1 when no jog button is held, else the well (0 to 5) being jogged.
    int jogWell() const { return jogWell_; }

    // Controls of well 1 to 6 (index 0 to 5), for tests and screenshots.
    QLineEdit* amountEdit(int well) const { return amountEdits_[index(well)]; }
    QLineEdit* positionEdit(int well) const { return positionEdits_[index(well)]; }
    QLineEdit* forceEdit(int well) const { return forceEdits_[index(well)]; }
    // `second` false: the button that jogs in direction 0; true: direction 1.
    COrvendaButton* jogButton(int well, bool second) const {
        return jogButtons_[index(well) * 2 + (second ? 1 : 0)];
    }
    QLabel* amountLabel() const { return amountLabel_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* doneButton() const { return doneButton_; }

  public slots:
    // Moves every well by its typed amount.
    void apply();
    // Closing is refused while the device works or a jog runs.
    void done(int result) override;

  signals:
    // True when device work starts, false when it has ended.
    void busyChanged(bool busy);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static std::size_t index(int well) { return static_cast<std::size_t>(well); }
    void buildLayout();
    void updateEnabled();
    void showReadings();
    void setJogIcons(int pressedButton);
    void pressJog(int button);
    void releaseJog();

    DeviceLink& link_;
    DeviceTaskRunner* runner_;
    WellReadings readings_{};
    int jogWell_ = -1;
    int heldButton_ = -1;  // 0..11 while a jog button is held

    std::array<QLineEdit*, kWells> amountEdits_{};
    std::array<QLineEdit*, kWells> positionEdits_{};
    std::array<QLineEdit*, kWells> forceEdits_{};
    std::array<COrvendaButton*, 2 * kWells> jogButtons_{};
    std::array<QIcon, 4> jogIcons_;  // first normal, first pressed, second normal, second pressed
    QLabel* amountLabel_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};

}  // namespace kyrvana::gui
