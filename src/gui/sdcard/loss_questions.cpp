#include "gui/sdcard/loss_questions.h"

#include <algorithm>
#include <system_error>

#include "core/common/c_locale_text.h"
#include "core/sdcard/sd_file_names.h"
#include "gui/app/app_identity.h"
#include "gui/app/latin1_text.h"
#include "gui/app/message_boxes.h"

namespace kyrvana::gui {

QString deletionQuestion(const std::vector<std::string>& names) {
    const auto count = static_cast<int>(names.size());
    QString text =
        fromCore(count == 1 ? std::string("Delete 1 file from the device's SD card?")
                            : cFormat("Delete %d files from the device's SD card?", count));
    text += QStringLiteral("\n");
    for (int i = 0; i < std::min(count, kNamesShown); ++i) {
        text += QStringLiteral("\n") + fromCore(names[static_cast<std::size_t>(i)]);
    }
    if (count > kNamesShown) {
        text += fromCore(cFormat("\nand %d more", count - kNamesShown));
    }
    return text + QStringLiteral("\n\nDeleted files cannot be brought back.");
}

bool confirmDeletion(MessageBoxes& messages, QWidget* parent,
                     const std::vector<std::string>& names) {
    return messages.show(parent, QString::fromLatin1(kApplicationName), deletionQuestion(names),
                         QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                         QMessageBox::No) == QMessageBox::Yes;
}

namespace {

bool alreadyThere(const std::string& name, const std::filesystem::path& folder) {
    // A name that is no plain file name is refused by the download itself.
    std::error_code ec;
    return isPlainFileName(name) && std::filesystem::exists(folder / name, ec);
}

}  // namespace

std::vector<bool> chooseFilesToFetch(MessageBoxes& messages, QWidget* parent,
                                     const std::vector<std::string>& names,
                                     const std::filesystem::path& folder) {
    const QList<MessageBoxes::NamedButton> buttons = {
        {QMessageBox::Yes, QStringLiteral("Replace")},
        {QMessageBox::No, QStringLiteral("Skip")},
        {QMessageBox::YesToAll, QStringLiteral("Replace All")},
        {QMessageBox::NoToAll, QStringLiteral("Skip All")},
    };
    std::vector<bool> fetch;
    QMessageBox::StandardButton forAll = QMessageBox::NoButton;
    for (const std::string& name : names) {
        if (!alreadyThere(name, folder)) {
            fetch.push_back(true);
            continue;
        }
        QMessageBox::StandardButton answer = forAll;
        if (answer == QMessageBox::NoButton) {
            answer = messages.showNamed(
                parent, QString::fromLatin1(kApplicationName),
                fromCore(name) + QStringLiteral(" is already in the download folder.\n"
                                                "Replace it with the copy on the device?"),
                QMessageBox::Question, buttons, QMessageBox::No);
            if (answer == QMessageBox::YesToAll || answer == QMessageBox::NoToAll) {
                forAll = answer;
            }
        }
        fetch.push_back(answer == QMessageBox::Yes || answer == QMessageBox::YesToAll);
    }
    return fetch;
}

}  // namespace kyrvana::gui
