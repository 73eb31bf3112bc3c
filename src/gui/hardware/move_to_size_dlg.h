#pragma once

#include <QDialog>
#include <QIcon>
#include <array>
#include <chrono>
#include <memory>

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
// that its release is seen, and Stop while a move runs), so Apply or a jog
// cannot start twice; the window keeps repainting. The dialog reads the wells
// when it opens, after Apply and after each jog, and while a move runs it
// shows the positions as the worker reads them; it never polls while idle.
//
// Apply sets every amount back to 0 once the move is on its way, so that
// Enter cannot send a well the same distance again by mistake; Apply with
// every amount 0 sends nothing. Stop halts a running move: the worker sees
// the request between two polls and sends the stops itself, so the link
// never has two threads on it. What happened last, a failure in particular,
// is said in the status line at the bottom.
class CMoveToSizeDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kWells = kWellCount;
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
    QPushButton* stopButton() const { return stopButton_; }
    QLabel* statusLabel() const { return status_; }

    // How often the positions are read while the wells move.
    static constexpr std::chrono::milliseconds kPollInterval{250};
    static constexpr const char* kNothingToMoveStatus = "Every amount is 0: nothing to move.";
    static constexpr const char* kMovingStatus = "Moving...";
    static constexpr const char* kStoppingStatus = "Stopping...";
    static constexpr const char* kArrivedStatus = "The wells have arrived.";
    static constexpr const char* kHaltedStatus = "Stopped: the wells stand where they were halted.";

  public slots:
    // Moves every well by its typed amount.
    void apply();
    // Halts every well of a running move.
    void stopMove();
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
    void showPositions(const WellReadings& readings);
    void showFailure(const DeviceResult& result);
    void moveFinished(const DeviceResult& result, const WellReadings& readings);
    void setJogIcons(int pressedButton);
    void pressJog(int button);
    void releaseJog();

    DeviceLink& link_;
    DeviceTaskRunner* runner_;
    WellReadings readings_{};
    int jogWell_ = -1;
    int heldButton_ = -1;  // 0..11 while a jog button is held
    // Set while a move of Apply runs; Stop requests through it.
    std::shared_ptr<StopSignal> moveStop_;

    std::array<QLineEdit*, kWells> amountEdits_{};
    std::array<QLineEdit*, kWells> positionEdits_{};
    std::array<QLineEdit*, kWells> forceEdits_{};
    std::array<COrvendaButton*, 2 * kWells> jogButtons_{};
    std::array<QIcon, 4> jogIcons_;  // first normal, first pressed, second normal, second pressed
    QLabel* amountLabel_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace kyrvana::gui
