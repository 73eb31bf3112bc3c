#include "gui/hardware/disable_wells_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"

namespace kyrvana::gui {

CDisableWellsDlg::CDisableWellsDlg(DisabledWells& wells, MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), wells_(wells), messages_(messages) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromLatin1(kMovementText), this));
    layout->addWidget(new QLabel(QString::fromLatin1(kRecommendationText), this));
    layout->addSpacing(6);

    // Two rows of three, as the wells sit on the plate.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    const auto checks = disabledWellChecks(wells_);
    for (int well = 0; well < DisabledWells::kWells; ++well) {
        // Alt and the well's number go to the well's box; the six boxes
        // share one text and take no letter of it.
        auto* group = new QGroupBox(QStringLiteral("Well &%1").arg(well + 1), this);
        auto* box = new QCheckBox(QStringLiteral("Disabled"), group);
        excludeFromMnemonics(box);
        box->setObjectName(QStringLiteral("wellDisabled%1").arg(well + 1));
        box->setChecked(checks[static_cast<std::size_t>(well)]);
        auto* groupLayout = new QVBoxLayout(group);
        groupLayout->addWidget(box);
        grid->addWidget(group, well / 3, well % 3);
        boxes_[static_cast<std::size_t>(well)] = box;
    }
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(new QLabel(QString::fromLatin1(kProgrammingText), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDisableWellsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    assignMnemonics(this);
}

QCheckBox* CDisableWellsDlg::disabledBox(int well) const {
    if (well < 1 || well > DisabledWells::kWells) {
        return nullptr;
    }
    return boxes_[static_cast<std::size_t>(well - 1)];
}

void CDisableWellsDlg::accept() {
    std::array<bool, DisabledWells::kWells> checked{};
    for (std::size_t well = 0; well < checked.size(); ++well) {
        checked[well] = boxes_[well]->isChecked();
    }
    if (!applyDisabledWells(checked, wells_)) {
        messages_.showError(this, QString::fromLatin1(kAllWellsDisabledMessage));
        return;
    }
    QDialog::accept();
}

}  // namespace kyrvana::gui
