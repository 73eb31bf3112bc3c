#pragma once

// The state behind the main window's sequence view: the working copy of the
// sequence being edited, the fields of the form and the message pane. The Qt
// view draws it; the command-line tool and the tests use it directly. Device
// operations reach it through the document host, on the thread where the
// view lives.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/protocol.h"

namespace kyrvana {

// The device holds at most this many sets.
inline constexpr int kMaximumSets = 10;
inline constexpr const char* kMaximumSetsMessage = "Maximum Sets Limit Reached";

class SequenceViewModel {
  public:
    // The sequence being edited; it reaches the document only when it is
    // checked before saving or programming.
    Protocol workingSequence;
    // The "Repeats of Entire Sequence" field as typed, and the count last
    // taken from it.
    std::string repeatText = "1";
    std::int32_t repeatCount = 1;
    std::string testName = "Test";
    std::string testNumber = "0001";
    // "Disable Homing": hidden until device detection has run.
    bool homingDisabled = false;
    bool homingBoxVisible = false;
    // What is connected, shown beside the sequence; empty when nothing is.
    std::string deviceText;
    // The message pane: each line feed is stored as CR LF, and the count of
    // lines added since the pane was cleared scrolls it to the newest line.
    std::string messagePane;
    int messageLineCount = 0;

    void clearMessages();
    void appendMessage(std::string_view text);

    // Sets the repeat count and shows it in its field ("%d").
    void showRepeatCount(std::int32_t count);
    // Takes the repeat field's text as a decimal integer (no digits: 0).
    void takeRepeatCountFromField();

    // Replaces the working sequence with the document's. The sequence then
    // counts as unmodified: the document's sequence came from a file or the
    // device (Open and Read Device are the ones that refresh).
    void refreshFrom(const Protocol& documentSequence);

    // Whether the sets or the repeat count differ from the sequence last
    // opened, saved or read from the device (before any of these, from the
    // empty start). The contents are compared rather than edits counted, so
    // a set editor closed with OK and no change, or an edit undone by hand,
    // leaves the sequence unmodified. The test name, the homing choice and
    // the wells switched off are not part of it: a protocol file keeps none
    // of them.
    bool isModified() const;
    // The sequence as it is now becomes the unmodified one (after a save).
    void markUnmodified();

    enum class InsertResult { Inserted, LimitReached };
    // Inserts a copy of the set at `selectedRow` (row 0 when none is
    // selected, -1; the default set when the sequence is empty) above or
    // below it. `insertedRow` receives the new row.
    InsertResult insertAbove(int selectedRow, int* insertedRow = nullptr);
    InsertResult insertBelow(int selectedRow, int* insertedRow = nullptr);
    // Removes the set at `row`; false when there is no such row.
    bool removeSet(int row);

    std::int32_t totalSeconds() const;
    std::string totalTimeText() const;
    double usedMemory() const;
    std::string usedMemoryText() const;

  private:
    InsertResult insertCopy(int selectedRow, int offset, int* insertedRow);

    std::vector<SetRecord> unmodifiedSets_;
    std::int32_t unmodifiedRepeatCount_ = 1;
};

}  // namespace kyrvana
