#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "core/editor/sequence_list_text.h"
#include "core/editor/sequence_view_model.h"
#include "core/editor/set_limits.h"
#include "core/hardware/well_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace kyrvana {
class CKyrvanaDoc;
class DocumentHost;
}  // namespace kyrvana

namespace kyrvana::gui {

class CReportCtrl;
class MessageBoxes;

// The main form of the document: the test sequence as a list with one row per
// set, its total time and the share of device memory it fills, the repeat
// count, the test name and number, the "Disable Homing" choice and the
// message pane where device operations report. Its state is a
// SequenceViewModel (the working copy of the sequence among it); the widgets
// show that state, and the user's edits go into it at once. The working copy
// reaches the document only through the sequence checks before Save and
// Program Device.
class CStageView : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* kHomingCaption = "Orvenda Kyrvana";
    static constexpr const char* kHomingWarning =
        "This selection will be applied after device is Programmed.\n\nWhen homing is "
        "disabled:\n\tLoad cells will zero ONLY after a reset.\n\tThe test will start after "
        "the second button press.\n\n\tPress and hold the button for 5 seconds\n\tto reset "
        "and home the device.";
    // The list's columns, widths in 1/96 inch.
    static constexpr const char* kColumnsFormat =
        "Name, %d;Magnitude, %d;Well1,%d;Well2,%d;Well3,%d;Well4,%d;Well5,%d;Well6,%d;Load "
        "Dur., %d;Hold Dur., %d;Recover Dur., %d;Rest Dur., %d;Preload(mN), %d;Reps., "
        "%d;Data(Hz), %d";

    // Opens the set editor on `set` and returns true when it closed with OK
    // (`set` then holds the edited set). `wells` are the document's disabled
    // wells, which the editor's "Disable Wells" button may change.
    using SetEditorRunner =
        std::function<bool(QWidget* parent, SetRecord& set, const SetLimitsHardware& hardware,
                           DisabledWells& wells, MessageBoxes& boxes)>;

    CStageView(CKyrvanaDoc& document, DocumentHost& host, MessageBoxes& boxes,
               QWidget* parent = nullptr);

    // The state the widgets show. After changing it, call refreshFromModel().
    SequenceViewModel& model() { return model_; }
    const SequenceViewModel& model() const { return model_; }

    // Shows the whole state: the list and totals, the fields, the homing box,
    // the device line, the message pane, and the buttons' enabling.
    void refreshFromModel();
    // Rebuilds the list from the working sequence (with the document's
    // disabled wells) and recomputes the totals.
    void rebuildList();
    // Puts `preview` between the form and the message pane (the splitter
    // takes ownership); it may be collapsed, and takes `stretch` shares of
    // extra height where the form and the pane take one each.
    void setPreview(QWidget* preview, int stretch);
    QSplitter* splitter() const { return splitter_; }

    // A message-log line for the pane.
    void appendLogText(const std::string& text);

    // The set buttons, the double-click and the Delete key.
    void editSet();
    void deleteSet();
    void insertAbove();
    void insertBelow();

    // The checks before Save and Program Device, run here on the GUI thread
    // with their boxes. 1 when the sequence went to the document.
    int checkSequence();

    // Replaces the set editor (tests answer it without a modal dialog).
    void setSetEditorRunner(SetEditorRunner runner) { setEditor_ = std::move(runner); }
    // The set editor the view opens by default: CSetParamEditor, modal.
    static bool runSetParamEditor(QWidget* parent, SetRecord& set,
                                  const SetLimitsHardware& hardware, DisabledWells& wells,
                                  MessageBoxes& boxes);

    // The widgets, for tests and screenshots.
    CReportCtrl* list() const { return list_; }
    QLineEdit* totalTimeEdit() const { return totalTime_; }
    QLineEdit* usedMemoryEdit() const { return usedMemory_; }
    QLineEdit* repeatEdit() const { return repeats_; }
    QLineEdit* testNameEdit() const { return testName_; }
    QLineEdit* testNumberEdit() const { return testNumber_; }
    QCheckBox* homingBox() const { return homing_; }
    QLineEdit* offsetEdit() const { return offset_; }
    QPlainTextEdit* messagePane() const { return pane_; }
    QPushButton* editButton() const { return edit_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* insertAboveButton() const { return insertAbove_; }
    QPushButton* insertBelowButton() const { return insertBelow_; }
    // The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);

  signals:
    // The view was shown for the first time: the device work may begin.
    void firstShown();
    // The sequence, its repeat count or the wells it runs on may have
    // changed: the list and totals show the new state.
    void sequenceShown();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWidgets();
    void setListColumns();
    void insertSet(bool below);
    void fillRow(int row, const WellDisabledChecks& disabled);
    void showTotals();
    void showMessagePane();
    void updateButtons();
    void homingClicked(bool checked);
    SetLimitsHardware editorHardware() const;

    CKyrvanaDoc& document_;
    DocumentHost& host_;
    MessageBoxes& boxes_;
    SequenceViewModel model_;
    SetEditorRunner setEditor_;
    double scale_ = 1.0;
    bool shownOnce_ = false;
    std::string paneShown_;  // the pane's text as last shown (CR LF line ends)
    // What the list shows, so that a refresh keeps the selection when the
    // sequence did not change.
    Protocol shownSequence_;
    DisabledWells shownWells_;

    QSplitter* splitter_ = nullptr;
    QLabel* deviceLine_ = nullptr;
    CReportCtrl* list_ = nullptr;
    QLineEdit* totalTime_ = nullptr;
    QLabel* totalTimeLabel_ = nullptr;
    QLineEdit* usedMemory_ = nullptr;
    QLineEdit* repeats_ = nullptr;
    QLineEdit* testName_ = nullptr;
    QLineEdit* testNumber_ = nullptr;
    QCheckBox* homing_ = nullptr;
    QLabel* offsetLabel_ = nullptr;
    QLineEdit* offset_ = nullptr;
    QPushButton* offsetHelp_ = nullptr;
    QPlainTextEdit* pane_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* insertAbove_ = nullptr;
    QPushButton* insertBelow_ = nullptr;
};

}  // namespace kyrvana::gui
