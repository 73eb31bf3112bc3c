#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "core/common/shown_number.h"
#include "core/device/device_link.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kyrvana::gui {

class CReportCtrl;
class DeviceTaskRunner;
class MessageBoxes;

// Finds the gain of one well's load cell from known weights: home the
// motors, pick the load cell, enter its full-scale load, hang weights one
// after another and read the load cell for each, fit the gain (newtons per
// raw count) and save full-scale load and gain of all six wells to the
// device.
//
// All exchanges with the device run on the dialog's own worker thread, with
// the controls disabled until they end; the window keeps repainting.
// Home, Move To Position and Read refuse with the "not detected" box when no
// device is connected, sending nothing; a reading that failed adds no row, so
// that a made-up number never enters the fit. Apply asks before it
// overwrites the calibration stored in the device (No is the default and
// sends nothing). The status line at the bottom says when the calibration
// was saved and, in a plain sentence, why device work failed.
//
// "Calculate" with all raw readings equal shows the same box as too few
// readings: the weights made no difference to the load cell, so there is no
// gain to fit, and the gain shown stays as it was.
class CLoadCellCalDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kWells = kWellCount;
    static constexpr const char* kTitle = "Load Cell Calibration";

    // `link` must stay open while the dialog lives; `messages` shows its box.
    CLoadCellCalDlg(DeviceLink& link, MessageBoxes& messages, QWidget* parent = nullptr);
    ~CLoadCellCalDlg() override;

    // Device work queued or running.
    bool busy() const;
    // The selected load cell, 0 to 5 (well 1 to 6).
    int cellIndex() const;

    QComboBox* cellCombo() const { return cellCombo_; }
    QLineEdit* weightEdit() const { return weightEdit_; }
    QLineEdit* fullScaleEdit() const { return fullScaleEdit_; }
    QLineEdit* gainEdit() const { return gainEdit_; }
    CReportCtrl* readingsList() const { return readings_; }
    QPushButton* homeButton() const { return homeButton_; }
    QPushButton* moveButton() const { return moveButton_; }
    QPushButton* readButton() const { return readButton_; }
    QPushButton* clearButton() const { return clearButton_; }
    QPushButton* calculateButton() const { return calculateButton_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* doneButton() const { return doneButton_; }
    QLabel* statusLabel() const { return status_; }

  public slots:
    void home();
    void moveToPosition();
    void read();
    void clearReadings();
    void calculate();
    void apply();
    // Closing is refused while the device works.
    void done(int result) override;

  signals:
    // True when device work starts, false when it has ended.
    void busyChanged(bool busy);

  private:
    void buildLayout();
    void setBusy(bool busy);
    // Says in the status line why `result` failed; a device that is not
    // connected also gets the box that says so.
    void reportFailure(const DeviceResult& result);
    // Runs `work` on the worker when a device is connected, then `done` with
    // the result on the GUI thread; failures are reported.
    void runOnDevice(std::function<DeviceResult()> work,
                     std::function<void(const DeviceResult&)> done = {});
    void showRecord();
    void showFullScale(const ShownNumber& shown);
    void showGain(const ShownNumber& shown);

    DeviceLink& link_;
    MessageBoxes& messages_;
    DeviceTaskRunner* runner_;
    // The records as last read from or saved to the device.
    std::array<float, kWells> fullScaleLoad_{};
    std::array<double, kWells> loadCellGain_{};
    // What the full-scale and gain fields show and the values behind them.
    ShownNumber fullScale_;
    ShownNumber gain_;

    QComboBox* cellCombo_ = nullptr;
    QLineEdit* weightEdit_ = nullptr;
    QLineEdit* fullScaleEdit_ = nullptr;
    QLineEdit* gainEdit_ = nullptr;
    CReportCtrl* readings_ = nullptr;
    QPushButton* homeButton_ = nullptr;
    QPushButton* moveButton_ = nullptr;
    QPushButton* readButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* calculateButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace kyrvana::gui
