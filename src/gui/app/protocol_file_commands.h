#pragma once

class QWidget;

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::gui {

class AppSettings;
class CStageView;
class FileDialogs;
class MessageBoxes;

// File > Open and File > Save: a protocol file (".tmt") into the document
// and the view, and the checked sequence out of them. Both start in the
// template folder and remember the folder of the chosen file. Neither does
// anything while no device is ready: the sequence's limits depend on the
// hardware it is meant for.
struct ProtocolFileContext {
    CKyrvanaDoc& document;
    CStageView& view;
    AppSettings& settings;
    FileDialogs& dialogs;
    MessageBoxes& boxes;
    QWidget* parent = nullptr;
};

inline constexpr const char* kProtocolFileFilter = "Kyrvana File (*.tmt)";
inline constexpr const char* kProtocolFileSuffix = "tmt";
inline constexpr const char* kOpenedMessage = "Protocol File Successfully Opened\n";
inline constexpr const char* kSavedMessage = "Protocol File Successfully Saved\n";
// Followed by the path and the reason, each on its own line.
inline constexpr const char* kNotSavedMessage = "Protocol File Not Saved\n";
inline constexpr const char* kEarlierFileKeptMessage =
    "Any earlier file of that name is unchanged.\n";

// A file that cannot be read changes nothing and says nothing. A file read
// with words that are not protocol values is opened all the same (its sets
// then show the invalid texts), and a warning box names each such word with
// its line, so that a data file or a misspelt waveform is not mistaken for a
// usable test.
void openProtocolFile(const ProtocolFileContext& context);
// Runs the sequence checks first. The file is replaced whole or not at all;
// when it cannot be written an error box says so and the success line is not
// shown. True when the file was written.
bool saveProtocolFile(const ProtocolFileContext& context);
// Save without the menu's rule that a device be ready: for the question
// before an edited sequence is lost, which must be able to keep the work
// also when the device has gone (its sets were checked against the device's
// limits as they were edited).
bool saveSequenceToFile(const ProtocolFileContext& context);

}  // namespace kyrvana::gui
