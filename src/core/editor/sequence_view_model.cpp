#include "core/editor/sequence_view_model.h"

#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "core/editor/sequence_list_text.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

// A number field that holds no number in both sets counts as the same: a
// file may give "nan", and a set holding it must not stay modified for ever.
void matchBothNotANumber(double& a, double& b) {
    if (std::isnan(a) && std::isnan(b)) {
        a = 0.0;
        b = 0.0;
    }
}

bool sameSet(const SetRecord& a, const SetRecord& b) {
    if (a == b) {
        return true;
    }
    SetRecord x = a;
    SetRecord y = b;
    for (std::size_t well = 0; well < x.magnitude.size(); ++well) {
        matchBothNotANumber(x.magnitude[well], y.magnitude[well]);
        matchBothNotANumber(x.preloadMag[well], y.preloadMag[well]);
    }
    for (double SetRecord::*field :
         {&SetRecord::stretchDurationSec, &SetRecord::recoveryDurationSec, &SetRecord::holdTimeSec,
          &SetRecord::restTimeSec, &SetRecord::tolerance, &SetRecord::loadSpeed,
          &SetRecord::unloadSpeed}) {
        matchBothNotANumber(x.*field, y.*field);
    }
    return x == y;
}

}  // namespace

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
    markUnmodified();
}

bool SequenceViewModel::isModified() const {
    return repeatCount != unmodifiedRepeatCount_ ||
           !std::equal(workingSequence.sets.begin(), workingSequence.sets.end(),
                       unmodifiedSets_.begin(), unmodifiedSets_.end(), sameSet);
}

void SequenceViewModel::markUnmodified() {
    unmodifiedSets_ = workingSequence.sets;
    unmodifiedRepeatCount_ = repeatCount;
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
