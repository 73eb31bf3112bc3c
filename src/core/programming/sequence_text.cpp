#include "core/programming/sequence_text.h"

#include <algorithm>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

// Pieces between commas, empty ones included, so that every field keeps its
// place even when one before it is empty.
std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

class FieldReader {
  public:
    explicit FieldReader(std::string_view line) : fields_(splitFields(line)) {}

    std::string_view text() {
        return next_ < fields_.size() ? fields_[next_++] : std::string_view{};
    }
    std::int32_t integer() { return cAtoi(text()); }
    // Unsigned fields were written as unsigned decimals; the low 32 bits of
    // the number give them back exactly.
    std::uint32_t unsignedInteger() { return static_cast<std::uint32_t>(cAtoll(text())); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(cAtoi(text())); }

  private:
    std::vector<std::string_view> fields_;
    std::size_t next_ = 0;
};

void appendField(std::string& line, const std::string& field, bool last = false) {
    line += field;
    line += last ? '\n' : ',';
}

}  // namespace

std::string buildSequenceText(const DeviceSetTable& table, std::int32_t repeatCount) {
    std::string text = cFormat("RepeatAll,%d\n", repeatCount);
    text += kSequenceTextHeader;
    const int count = table.usedCount();
    for (int i = 0; i < count; ++i) {
        const DeviceSetRecord& entry = table.entries[static_cast<std::size_t>(i)];
        std::string line;
        appendField(line, entry.name);
        for (const std::uint32_t value :
             {entry.loadDurationMs, entry.holdDurationMs, entry.unloadDurationMs,
              entry.restDurationMs, entry.repetitions}) {
            appendField(line, cFormat("%u", value));
        }
        for (const std::int32_t magnitude : entry.magnitude) {
            appendField(line, cFormat("%d", magnitude));
        }
        appendField(line, cFormat("%u", entry.dataPeriodMs));
        for (const std::int32_t preload : entry.preload) {
            appendField(line, cFormat("%d", preload));
        }
        for (const std::uint8_t code : {entry.preloadType, entry.waveform, entry.controlMode}) {
            appendField(line, cFormat("%u", static_cast<unsigned>(code)));
        }
        appendField(line, entry.timeUnitsText, true);
        text += line;
    }
    return text;
}

std::string setNameAsRead(std::string_view field) {
    std::string name = deviceText(field, DeviceSetRecord::kNameLength);
    std::replace(name.begin(), name.end(), '|', ' ');
    return name;
}

void parseSequenceLine(int index, std::string_view line, DeviceSetTable& table) {
    if (index < 0 || index >= DeviceSetTable::kEntries) {
        return;
    }
    DeviceSetRecord& entry = table.entries[static_cast<std::size_t>(index)];
    FieldReader fields(line);
    entry.name = setNameAsRead(fields.text());
    entry.loadDurationMs = fields.unsignedInteger();
    entry.holdDurationMs = fields.unsignedInteger();
    entry.unloadDurationMs = fields.unsignedInteger();
    entry.restDurationMs = fields.unsignedInteger();
    entry.repetitions = fields.unsignedInteger();
    for (std::int32_t& magnitude : entry.magnitude) {
        magnitude = fields.integer();
    }
    entry.dataPeriodMs = fields.unsignedInteger();
    for (std::int32_t& preload : entry.preload) {
        preload = fields.integer();
    }
    entry.preloadType = fields.byte();
    entry.waveform = fields.byte();
    entry.controlMode = fields.byte();
    entry.timeUnitsText = deviceText(fields.text(), DeviceSetRecord::kTimeUnitsLength);
}

bool parseSequenceLines(const std::vector<std::string>& lines, DeviceSetTable& table,
                        std::int32_t& repeatCount) {
    constexpr std::size_t kFirstSetLine = 2;
    if (lines.size() <= kFirstSetLine) {
        return false;
    }
    const std::vector<std::string_view> first = splitFields(lines[0]);
    const std::int32_t repeats = first.size() > 1 ? cAtoi(first[1]) : 0;
    // The device runs a sequence at least once.
    repeatCount = std::max(repeats, 1);
    const std::size_t setLines =
        std::min(lines.size() - kFirstSetLine, static_cast<std::size_t>(DeviceSetTable::kEntries));
    for (std::size_t i = 0; i < setLines; ++i) {
        parseSequenceLine(static_cast<int>(i), lines[kFirstSetLine + i], table);
    }
    return true;
}

}  // namespace kyrvana
