#include "core/editor/sequence_view_model.h"

#include "core/common/c_locale_text.h"
#include "core/editor/sequence_list_text.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {

void SequenceViewModel::clearMessages() {
    messagePane.clear();
    messageLineCount = 0;
}

void SequenceViewModel::appendMessage(std::string_view text) {
    for (const char c : text) {
        if (c == '\n') {
            messagePane += "\r\n";
            ++messageLineCount;
        } else {
            messagePane += c;
        }
    }
}

void SequenceViewModel::showRepeatCount(std::int32_t count) {
    repeatCount = count;
    repeatText = cFormat("%d", count);
}

void SequenceViewModel::takeRepeatCountFromField() {
    repeatCount = cAtoi(repeatText);
}

void SequenceViewModel::refreshFrom(const Protocol& documentSequence) {
    workingSequence = documentSequence;
}

SequenceViewModel::InsertResult SequenceViewModel::insertAbove(int selectedRow, int* insertedRow) {
    return insertCopy(selectedRow, 0, insertedRow);
}

SequenceViewModel::InsertResult SequenceViewModel::insertBelow(int selectedRow, int* insertedRow) {
    return insertCopy(selectedRow, 1, insertedRow);
}

SequenceViewModel::InsertResult SequenceViewModel::insertCopy(int selectedRow, int offset,
                                                              int* insertedRow) {
    if (workingSequence.setCount() == kMaximumSets) {
        return InsertResult::LimitReached;
    }
    int row = selectedRow < 0 ? 0 : selectedRow;
    SetRecord copy;
    if (const SetRecord* source = workingSequence.setAt(row)) {
        copy = *source;
    }
    // An empty sequence (or a stale selection) inserts at the end.
    int position = row + offset;
    if (position > workingSequence.setCount()) {
        position = workingSequence.setCount();
    }
    workingSequence.insert(position, copy);
    if (insertedRow != nullptr) {
        *insertedRow = position;
    }
    return InsertResult::Inserted;
}

bool SequenceViewModel::removeSet(int row) {
    return workingSequence.remove(row);
}

std::int32_t SequenceViewModel::totalSeconds() const {
    return shownTotalSeconds(totalDurationSeconds(workingSequence), repeatCount);
}

std::string SequenceViewModel::totalTimeText() const {
    return kyrvana::totalTimeText(totalSeconds());
}

double SequenceViewModel::usedMemory() const {
    return usedMemoryPercent(workingSequence.sets.size());
}

std::string SequenceViewModel::usedMemoryText() const {
    return kyrvana::usedMemoryText(usedMemory());
}

}  // namespace kyrvana
