#include "gui/app/about_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/about_picture.h"
#include "gui/app/app_identity.h"
#include "gui/app/display_scale.h"

namespace kyrvana::gui {

CAboutDlg::CAboutDlg(double scale, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kAboutTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("aboutPicture"));
    picture_->setPixmap(aboutPicture(scaledSize(QSize(kPictureWidth, kPictureHeight), scale)));

    auto* version = new QLabel(QString::fromLatin1(kSoftwareVersionText), this);
    version->setObjectName(QStringLiteral("versionText"));
    QFont versionFont = version->font();
    versionFont.setBold(true);
    version->setFont(versionFont);

    auto* notice = new QLabel(QString::fromLatin1(kNotice), this);
    notice->setObjectName(QStringLiteral("noticeText"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(version);
    text->addWidget(notice);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(text, 1);
    bottom->addWidget(buttons, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QSize CAboutDlg::pictureSize() const {
    return picture_->pixmap().size();
}

}  // namespace kyrvana::gui
