#pragma once

#include <QDialog>
#include <array>

#include "core/hardware/well_settings.h"

class QCheckBox;

namespace kyrvana::gui {

class MessageBoxes;

// Chooses the wells that stay still during homing and tests. The boxes start
// from `wells`; OK stores them (flags and mask) unless all six are checked,
// which is refused with a message while the dialog stays open. Cancel changes
// nothing.
class CDisableWellsDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kTitle = "Disable Wells";
    static constexpr const char* kMovementText =
        "Disabled wells will not move during homing or running a test. ";
    static constexpr const char* kRecommendationText =
        "It is recommended to disable wells that will not contain samples. ";
    static constexpr const char* kProgrammingText =
        "These settings will be applied during Programming.";

    CDisableWellsDlg(DisabledWells& wells, MessageBoxes& messages, QWidget* parent = nullptr);

    // The "Disabled" box of well 1 to 6.
    QCheckBox* disabledBox(int well) const;

  public slots:
    void accept() override;

  private:
    DisabledWells& wells_;
    MessageBoxes& messages_;
    std::array<QCheckBox*, DisabledWells::kWells> boxes_{};
};

}  // namespace kyrvana::gui
