#include "core/programming/programming_report.h"

#include "core/common/c_locale_text.h"

namespace kyrvana {

std::vector<std::string> programmingProblemLines(const ProgrammingReport& report) {
    std::vector<std::string> lines;
    if (report.ok()) {
        return lines;
    }
    if (!report.deviceHolds.empty()) {
        lines.push_back(report.deviceHolds);
    }
    const ExchangeTally& exchanges = report.exchanges;
    if (!exchanges.ok()) {
        lines.push_back(
            cFormat("the device may not hold the sequence: %zu of %d programming commands failed",
                    exchanges.failures().size(), exchanges.sent()));
    }
    lines.push_back(report.outcome.describe());
    return lines;
}

}  // namespace kyrvana
