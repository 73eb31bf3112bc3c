#include "gui/app/unsaved_sequence_prompt.h"

#include "gui/app/app_identity.h"
#include "gui/app/message_boxes.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {
namespace {

const char* pendingWork(SequenceReplacedBy replacedBy) {
    switch (replacedBy) {
        case SequenceReplacedBy::Opening:
            return "opening another protocol file";
        case SequenceReplacedBy::Reading:
            return "reading the sequence from the device";
        case SequenceReplacedBy::Closing:
            break;
    }
    return "closing";
}

}  // namespace

bool saveChangedSequenceFirst(const ProtocolFileContext& context, SequenceReplacedBy replacedBy) {
    if (!context.view.model().isModified()) {
        return true;
    }
    const QString text = QString::fromLatin1(kSequenceChangedText) +
                         QString::fromLatin1(pendingWork(replacedBy)) + QLatin1Char('?');
    // Save is the default button and Escape cancels: the keyboard's quick
    // answers never lose the work.
    const QMessageBox::StandardButton answer = context.boxes.show(
        context.parent, QString::fromLatin1(kApplicationName), text, QMessageBox::Warning,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    switch (answer) {
        case QMessageBox::Discard:
            return true;
        case QMessageBox::Save:
            return saveSequenceToFile(context);
        default:
            return false;
    }
}

}  // namespace kyrvana::gui
