#pragma once

#include <QDialog>
#include <array>

#include "core/editor/set_editor_fields.h"
#include "core/editor/set_limits.h"
#include "core/hardware/well_settings.h"
#include "core/protocol/set_record.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kyrvana::gui {

class DeviceTaskRunner;
class MessageBoxes;

// "Set Parameter Editor": edits one set of the sequence. The fields show the
// set in its time unit; the labels follow the control mode and the hardware
// (a stretching Kyrvana Q3 or a compressing P7). OK checks the fields against
// the hardware's limits and writes the set back only when every check
// passes; otherwise all failures are shown in one box and the dialog stays
// open with the user's entries.
//
// With a device connected the check asks it two values. That exchange runs on
// a worker thread, never on the GUI thread: the dialog's controls are
// disabled until the answer comes back.
class CSetParamEditor : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kTitle = "Set Parameter Editor";
    static constexpr const char* kPreloadGroupTitle = "Preload Magnitude (mN)  ";
    static constexpr const char* kCustomizeText = "Customize Each Well ";
    static constexpr const char* kDisableWellsText = "Disable\nWells";
    static constexpr const char* kPreloadChoices[] = {
        "Not Applied ", "Applied on 1st Repetition Only ", "ReApply on Every Repetition"};

    // `set` changes only when OK succeeds. `wells` are the document's
    // disabled wells; the "Disable Wells" button edits them in place.
    CSetParamEditor(SetRecord& set, const SetLimitsHardware& hardware, DisabledWells& wells,
                    MessageBoxes& boxes, QWidget* parent = nullptr);
    ~CSetParamEditor() override;

    // The fields as the controls hold them now, and the reverse.
    SetEditorFields fields() const;
    void setFields(const SetEditorFields& fields);

    // True while the limits are being checked with the device.
    bool isChecking() const { return checking_; }

    // The controls, for tests and screenshots.
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* modeCombo() const { return mode_; }
    QComboBox* waveformCombo() const { return waveform_; }
    QComboBox* timeUnitsCombo() const { return timeUnits_; }
    QComboBox* frequencyCombo() const { return frequency_; }
    QLabel* magnitudeLabel() const { return magnitudeLabel_; }
    QLabel* loadDurationLabel() const { return loadLabel_; }
    QLineEdit* magnitudeEdit(int well) const;  // wells 1 to 6
    QLineEdit* preloadEdit(int well) const;
    QLabel* magnitudeWellLabel(int well) const;
    QCheckBox* customizeBox() const { return customize_; }
    QCheckBox* doNotDeformBox() const { return doNotDeform_; }
    QCheckBox* doNotRecoverBox() const { return doNotRecover_; }
    QLineEdit* loadDurationEdit() const { return load_; }
    QLineEdit* holdDurationEdit() const { return hold_; }
    QLineEdit* recoveryDurationEdit() const { return recovery_; }
    QLineEdit* restDurationEdit() const { return rest_; }
    QLineEdit* repetitionsEdit() const { return repetitions_; }
    QRadioButton* preloadChoice(int index) const;
    QPushButton* disableWellsButton() const { return disableWells_; }
    QDialogButtonBox* buttons() const { return buttons_; }

  public slots:
    void accept() override;
    void reject() override;

  signals:
    // The limits check that OK started has ended (the dialog is closed or
    // shows the failures).
    void checkFinished();

  private:
    void buildWidgets();
    void modeChanged(int index);
    void doNotDeformClicked(bool checked);
    void doNotRecoverClicked(bool checked);
    void customizeClicked(bool checked);
    void disableWellsClicked();
    void showWells(bool customizing);
    void updateWellEnabling(const SetEditorFields& fields);
    void startCheck(const SetEditorFields& fields);
    void finishCheck(const SetLimitsResult& result);
    void setChecking(bool checking);

    SetRecord& set_;
    SetLimitsHardware hardware_;
    DisabledWells& wells_;
    MessageBoxes& boxes_;
    // The fields as the dialog opened. A choice the combo boxes and radio
    // buttons do not offer (a dSeconds set, a step waveform) stays the set's
    // own; OK tells from them which fields the user left alone.
    SetEditorFields opened_;
    bool checking_ = false;
    DeviceTaskRunner* runner_;

    QWidget* content_ = nullptr;
    QLineEdit* name_ = nullptr;
    QComboBox* mode_ = nullptr;
    QComboBox* waveform_ = nullptr;
    QLabel* magnitudeLabel_ = nullptr;
    std::array<QLineEdit*, kWellCount> magnitude_{};
    std::array<QLabel*, kWellCount> magnitudeWell_{};
    std::array<QLineEdit*, kWellCount> preload_{};
    std::array<QLabel*, kWellCount> preloadWell_{};
    QCheckBox* customize_ = nullptr;
    QPushButton* disableWells_ = nullptr;
    QGroupBox* preloadGroup_ = nullptr;
    QButtonGroup* preloadChoices_ = nullptr;
    QComboBox* timeUnits_ = nullptr;
    QLabel* loadLabel_ = nullptr;
    QLineEdit* load_ = nullptr;
    QCheckBox* doNotDeform_ = nullptr;
    QLineEdit* hold_ = nullptr;
    QLineEdit* recovery_ = nullptr;
    QCheckBox* doNotRecover_ = nullptr;
    QLineEdit* rest_ = nullptr;
    QLineEdit* repetitions_ = nullptr;
    QComboBox* frequency_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace kyrvana::gui
