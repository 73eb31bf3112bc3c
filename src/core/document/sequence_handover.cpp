#include "core/document/sequence_handover.h"

#include "core/document/kyrvana_doc.h"
#include "core/editor/sequence_checks.h"
#include "core/editor/sequence_view_model.h"

namespace kyrvana {

int checkSequenceBeforeProgramming(SequenceViewModel& view, CKyrvanaDoc& document,
                                   DocumentHost& host) {
    const SequenceCheck check = checkSequence(view);
    for (const std::string& message : check.messages) {
        host.messageBox(message, kDefaultBoxCaption, BoxIcon::None, BoxButtons::Ok);
    }
    if (!check.passed) {
        return -1;
    }
    const Protocol& sequence = view.workingSequence;
    const std::int32_t repeats = view.repeatCount;
    document.update([&](Protocol& documentSequence, HardwareSettings& hardware, DisabledWells&) {
        hardware.RepeatTestSequence = repeats;
        documentSequence = sequence;
    });
    return 1;
}

}  // namespace kyrvana
