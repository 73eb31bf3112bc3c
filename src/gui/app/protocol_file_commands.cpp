#include "gui/app/protocol_file_commands.h"

#include <QDir>
#include <QFileInfo>

#include "core/document/kyrvana_doc.h"
#include "core/protocol/protocol_reader.h"
#include "core/protocol/protocol_writer.h"
#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/message_boxes.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {
namespace {

FileDialogRequest protocolRequest(const ProtocolFileContext& context, const char* caption) {
    FileDialogRequest request;
    request.caption = QString::fromLatin1(caption);
    request.folder = context.settings.templateDir();
    // A first start has no template folder yet; the dialog should open in
    // it rather than fall back to the working directory.
    QDir().mkpath(request.folder);
    request.filter = QString::fromLatin1(kProtocolFileFilter);
    request.defaultSuffix = QString::fromLatin1(kProtocolFileSuffix);
    return request;
}

void rememberFolder(const ProtocolFileContext& context, const QString& path) {
    context.settings.setTemplateDir(QFileInfo(path).absolutePath());
}

std::string unreadWordsWarning(const ProtocolReadProblems& problems) {
    std::string text = "Some words of this file are not protocol values:\n\n";
    text += protocolReadProblemsText(problems);
    text += '\n';
    if (problems.unknownColumns() > 0) {
        text += "The values of unknown columns were skipped.\n";
    }
    if (problems.unreadableValues() > 0) {
        text +=
            "Where a value did not read, the set holds an invalid value (0 for a number): "
            "correct the file or the sets before programming the device.\n";
    }
    return text;
}

// File names reach the C library as the system's local 8-bit encoding.
std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

void openProtocolFile(const ProtocolFileContext& context) {
    if (!context.document.deviceReady()) {
        return;
    }
    const QString path =
        context.dialogs.openFileName(context.parent, protocolRequest(context, "Open"));
    if (path.isEmpty()) {
        return;
    }
    rememberFolder(context, path);

    Protocol sequence;
    HardwareSettings hardware = context.document.hardware();
    ProtocolReadProblems problems;
    if (!protocolWasRead(readProtocolFile(localPath(path), sequence, hardware, &problems))) {
        return;
    }
    context.document.update(
        [&](Protocol& documentSequence, HardwareSettings& documentHardware, DisabledWells&) {
            documentSequence = sequence;
            documentHardware = hardware;
        });
    SequenceViewModel& model = context.view.model();
    model.showRepeatCount(hardware.RepeatTestSequence);
    model.refreshFrom(context.document.sequence());
    model.clearMessages();
    model.appendMessage(kOpenedMessage);
    context.view.refreshFromModel();
    if (!problems.empty()) {
        context.boxes.show(context.parent, QString::fromLatin1(kApplicationName),
                           QString::fromLatin1(unreadWordsWarning(problems)), QMessageBox::Warning,
                           QMessageBox::Ok);
    }
}

bool saveProtocolFile(const ProtocolFileContext& context) {
    return context.document.deviceReady() && saveSequenceToFile(context);
}

bool saveSequenceToFile(const ProtocolFileContext& context) {
    if (context.view.checkSequence() != 1) {
        return false;
    }
    const QString path =
        context.dialogs.saveFileName(context.parent, protocolRequest(context, "Save As"));
    if (path.isEmpty()) {
        return false;
    }
    rememberFolder(context, path);

    Protocol sequence = context.document.sequence();
    const WholeFileResult written =
        writeProtocolFile(localPath(path), sequence, context.document.hardware());
    if (!written.written()) {
        // Writing in place would truncate a good file before knowing that
        // the new one fits; the new content goes to a temporary file
        // instead, and when that fails the user must learn that the file on
        // disk is still the earlier one, not the sequence on the screen.
        context.boxes.showError(
            context.parent, QString::fromLatin1(kNotSavedMessage) + path + QStringLiteral("\n") +
                                QString::fromStdString(written.reason()) + QStringLiteral("\n") +
                                QString::fromLatin1(kEarlierFileKeptMessage));
        return false;
    }
    SequenceViewModel& model = context.view.model();
    model.markUnmodified();
    model.clearMessages();
    model.appendMessage(kSavedMessage);
    context.view.refreshFromModel();
    return true;
}

}  // namespace kyrvana::gui
