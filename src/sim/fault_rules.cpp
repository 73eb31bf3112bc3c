#include "sim/fault_rules.h"

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/eeprom.h"

namespace kyrvana::sim {
namespace {

using Kind = SimulatorFault::Kind;

// What the keys of a rule set, before the rule is put together.
struct RuleKeys {
    std::optional<std::size_t> nth;
    std::optional<std::size_t> count;
    std::optional<std::size_t> bytes;
    std::optional<std::size_t> ms;
    std::optional<std::string> text;
};

struct KindRow {
    std::string_view name;
    Kind kind;
    std::string_view needs;  // the key the kind cannot do without, if any
    std::string_view help;
};

constexpr std::array<KindRow, 8> kKinds = {{
    {"no-answer", Kind::NoAnswer, "", "the command is taken but never answered"},
    {"garble", Kind::Garbled, "", "the answer arrives whole, its bytes turned into noise"},
    {"cut-short", Kind::CutShort, "bytes", "only the first BYTES bytes of the answer"},
    {"garbage", Kind::Garbage, "bytes", "BYTES random bytes instead of the answer"},
    {"overlong", Kind::OverlongLine, "bytes", "a line of BYTES bytes that never ends"},
    {"hang-up", Kind::HangUpAfter, "bytes", "the line is cut after BYTES bytes of the answer"},
    {"stall", Kind::Stall, "ms", "the answer comes MS milliseconds late"},
    {"replace", Kind::Replace, "text", "TEXT instead of the answer"},
}};

// A key sets a number or, for `text`, a text with the prefix's escapes.
struct KeyRow {
    std::string_view name;
    std::optional<std::size_t> RuleKeys::*number;
    std::optional<std::string> RuleKeys::*text;
    std::size_t smallest;
    std::string_view help;
};

constexpr std::array<KeyRow, 5> kKeys = {{
    {"nth", &RuleKeys::nth, nullptr, 1,
     "the Nth matching command is the first one hit (then\n"
     "only that one, unless count says more)"},
    {"count", &RuleKeys::count, nullptr, 1,
     "how many matching commands are hit (default: every\n"
     "one from the first hit on; with nth, one)"},
    {"bytes", &RuleKeys::bytes, nullptr, 0, "BYTES of the kinds that need it"},
    {"ms", &RuleKeys::ms, nullptr, 0, "MS of a stall"},
    {"text", nullptr, &RuleKeys::text, 0,
     "TEXT of a replacement, with the escapes of PREFIX\n"
     "(a comma is \\x2C, a colon \\x3A), e.g.\n"
     "replace,text=ERROR\\r:Homing"},
}};

bool fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A whole text that is a decimal or 0x-prefixed hexadecimal number.
std::optional<std::size_t> parseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::size_t value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * static_cast<std::size_t>(base) + static_cast<std::size_t>(digit);
    }
    return value;
}

// The prefix with its escapes turned into bytes.
std::optional<std::string> unescape(std::string_view text, std::string* error) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (next == 'r' || next == 'n' || next == '\\') {
            bytes += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexDigit(text[i + 2]) >= 0 &&
                   hexDigit(text[i + 3]) >= 0) {
            bytes += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 3;
        } else {
            fail(error, "unknown escape in the command prefix (use \\r, \\n, \\\\ or \\xHH)");
            return std::nullopt;
        }
    }
    return bytes;
}

const KindRow* findKind(std::string_view name) {
    for (const KindRow& row : kKinds) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

const KindRow* findKind(Kind kind) {
    for (const KindRow& row : kKinds) {
        if (row.kind == kind) {
            return &row;
        }
    }
    return nullptr;
}

// "nth=3" into `keys`.
bool parseKey(std::string_view item, RuleKeys& keys, std::string* error) {
    const std::size_t equals = item.find('=');
    const std::string_view name = item.substr(0, equals);
    for (const KeyRow& row : kKeys) {
        if (row.name != name) {
            continue;
        }
        if (equals == std::string_view::npos) {
            return fail(error, std::string(name) + " needs a value, as " + std::string(name) + "=");
        }
        const std::string_view value = item.substr(equals + 1);
        if (row.text != nullptr) {
            keys.*row.text = unescape(value, error);
            return (keys.*row.text).has_value();
        }
        const auto number = parseNumber(value);
        if (!number || *number < row.smallest) {
            return fail(error, std::string(name) + " takes a number of at least " +
                                   std::to_string(row.smallest));
        }
        keys.*row.number = *number;
        return true;
    }
    return fail(error, "unknown key: " + std::string(name));
}

// Whether `keys` holds the key named `name`; an empty name is always there.
bool hasKey(const RuleKeys& keys, std::string_view name) {
    for (const KeyRow& row : kKeys) {
        if (row.name == name) {
            return row.text != nullptr ? (keys.*row.text).has_value()
                                       : (keys.*row.number).has_value();
        }
    }
    return true;
}

// Bytes as a rule writes them: the escapes of unescape(), and the comma and
// colon that would end a key's text.
std::string escaped(std::string_view bytes) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F || c == ',' || c == ':') {
            text += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::optional<SimulatorFault> parseFaultRule(std::string_view text, std::string* error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        fail(error, "a fault rule is KIND[,KEY=VALUE...]:PREFIX");
        return std::nullopt;
    }
    // KIND, then KEY=VALUE items, separated by commas.
    std::string_view head = text.substr(0, colon);
    std::size_t comma = head.find(',');
    const KindRow* kind = findKind(head.substr(0, comma));
    if (kind == nullptr) {
        fail(error, "unknown fault kind: " + std::string(head.substr(0, comma)));
        return std::nullopt;
    }
    RuleKeys keys;
    while (comma != std::string_view::npos) {
        head.remove_prefix(comma + 1);
        comma = head.find(',');
        if (!parseKey(head.substr(0, comma), keys, error)) {
            return std::nullopt;
        }
    }
    if (!hasKey(keys, kind->needs)) {
        fail(error, std::string(kind->name) + " needs " + std::string(kind->needs) + "=");
        return std::nullopt;
    }
    auto prefix = unescape(text.substr(colon + 1), error);
    if (!prefix) {
        return std::nullopt;
    }
    SimulatorFault fault;
    fault.kind = kind->kind;
    fault.commandPrefix = std::move(*prefix);
    fault.bytes = keys.bytes.value_or(0);
    fault.stall = std::chrono::milliseconds(keys.ms.value_or(0));
    fault.text = keys.text.value_or(std::string());
    fault.skip = keys.nth.value_or(1) - 1;
    fault.times = keys.count.value_or(keys.nth ? 1 : 0);
    return fault;
}

std::optional<EepromPoke> parseEepromPoke(std::string_view text, std::string* error) {
    const std::size_t equals = text.find('=');
    const auto address = parseNumber(text.substr(0, equals));
    // A missing or unreadable byte counts as 0x100, out of range, so that one
    // comparison checks it (GCC 12 at -O3 warns falsely of an empty optional
    // read when it is tested and read apart).
    const std::size_t value = equals == std::string_view::npos
                                  ? 0x100
                                  : parseNumber(text.substr(equals + 1)).value_or(0x100);
    if (!address || *address >= static_cast<std::size_t>(Eeprom::kSize) || value > 0xFF) {
        fail(error, "an EEPROM poke is ADDR=BYTE, the address below 8192 and the byte 0 to 255");
        return std::nullopt;
    }
    return EepromPoke{static_cast<int>(*address), static_cast<std::uint8_t>(value)};
}

std::string faultRuleText(const SimulatorFault& fault) {
    const KindRow* kind = findKind(fault.kind);
    std::string text(kind != nullptr ? kind->name : "?");
    if (fault.skip > 0) {
        text += ",nth=" + std::to_string(fault.skip + 1);
    }
    if (fault.times != (fault.skip > 0 ? 1u : 0u)) {
        text += ",count=" + std::to_string(fault.times);
    }
    const std::string_view needs = kind != nullptr ? kind->needs : "";
    if (needs == "bytes") {
        text += ",bytes=" + std::to_string(fault.bytes);
    } else if (needs == "ms") {
        text += ",ms=" + std::to_string(fault.stall.count());
    } else if (needs == "text") {
        text += ",text=" + escaped(fault.text);
    }
    // A comma or colon in the prefix may stand as it is, but the escape reads
    // back the same.
    return text + ":" + escaped(fault.commandPrefix);
}

std::string faultRulesHelp() {
    // Two columns as the options have them: the name, and from column 25
    // its help, continuation lines indented to the same column.
    const auto entry = [](std::string name, std::string_view help) {
        name = "  " + name;
        name.resize(24, ' ');
        std::string text = name;
        for (const char c : help) {
            text += c;
            if (c == '\n') {
                text += std::string(24, ' ');
            }
        }
        return text + "\n";
    };
    std::string text;
    for (const KindRow& row : kKinds) {
        text += entry(std::string(row.name), row.help);
    }
    text += "\nFault keys:\n";
    for (const KeyRow& row : kKeys) {
        text += entry(std::string(row.name) + (row.text != nullptr ? "=TEXT" : "=N"), row.help);
    }
    return text;
}

}  // namespace kyrvana::sim
