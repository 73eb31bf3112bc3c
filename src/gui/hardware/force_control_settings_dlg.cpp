#include "gui/hardware/force_control_settings_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/unsigned_validator.h"

namespace kyrvana::gui {

CForceControlSettingsDlg::CForceControlSettingsDlg(unsigned& velocityCode, MessageBoxes& messages,
                                                   QWidget* parent)
    : QDialog(parent), velocityCode_(velocityCode), messages_(messages) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    edit_ = new QLineEdit(QString::number(velocityCode_), this);
    edit_->setObjectName(QStringLiteral("velocityCodeEdit"));
    edit_->setValidator(new UnsignedValidator(edit_));
    edit_->setMaximumWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) +
                           16);

    auto* codeRow = new QHBoxLayout;
    auto* label = new QLabel(QString::fromLatin1(kCodeLabel), this);
    label->setBuddy(edit_);
    codeRow->addWidget(label);
    codeRow->addWidget(edit_);
    codeRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(codeRow);
    layout->addSpacing(8);
    auto* notes = new QVBoxLayout;
    notes->setSpacing(2);
    for (const char* note : kNotes) {
        notes->addWidget(new QLabel(QString::fromLatin1(note), this));
    }
    layout->addLayout(notes);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CForceControlSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addSpacing(4);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    assignMnemonics(this);
}

void CForceControlSettingsDlg::accept() {
    unsigned value = 0;
    if (!UnsignedValidator::parse(edit_->text(), value)) {
        messages_.showError(this, QString::fromLatin1(kNotANumberMessage));
        edit_->setFocus();
        edit_->selectAll();
        return;
    }
    velocityCode_ = value;
    QDialog::accept();
}

}  // namespace kyrvana::gui
