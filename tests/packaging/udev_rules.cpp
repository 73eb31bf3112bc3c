#include "udev_rules.h"

#include <fnmatch.h>

#include <cctype>
#include <sstream>

namespace kyrvana::test_support {
namespace {

struct Token {
    std::string key;        // ATTRS, ENV, TAG, ...
    std::string attribute;  // the part in braces, if any
    std::string op;         // ==, !=, =, +=, :=
    std::string value;
};

// udev patterns: shell globs, with '|' between alternatives.
bool matchesPattern(const std::string& text, const std::string& patterns) {
    std::istringstream alternatives(patterns);
    std::string pattern;
    while (std::getline(alternatives, pattern, '|')) {
        if (::fnmatch(pattern.c_str(), text.c_str(), 0) == 0) {
            return true;
        }
    }
    return false;
}

bool compare(const Token& token, const std::string* actual) {
    const bool equal = actual != nullptr && matchesPattern(*actual, token.value);
    return token.op == "==" ? equal : !equal;
}

// Splits one logical line into its KEY{attribute}OP"value" parts.
bool tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() &&
               (std::isspace(static_cast<unsigned char>(line[at])) != 0 || line[at] == ',')) {
            ++at;
        }
        if (at == line.size()) {
            break;
        }
        Token token;
        while (at < line.size() &&
               (std::isalnum(static_cast<unsigned char>(line[at])) != 0 || line[at] == '_')) {
            token.key += line[at++];
        }
        if (at < line.size() && line[at] == '{') {
            const std::size_t close = line.find('}', at);
            if (close == std::string::npos) {
                *error = "unclosed brace";
                return false;
            }
            token.attribute = line.substr(at + 1, close - at - 1);
            at = close + 1;
        }
        while (at < line.size() && std::string("=!+:-").find(line[at]) != std::string::npos) {
            token.op += line[at++];
        }
        if (token.key.empty() || at >= line.size() || line[at] != '"') {
            *error = "expected KEY OP \"value\"";
            return false;
        }
        const std::size_t close = line.find('"', at + 1);
        if (close == std::string::npos) {
            *error = "unclosed quote";
            return false;
        }
        token.value = line.substr(at + 1, close - at - 1);
        at = close + 1;
        tokens->push_back(token);
    }
    return true;
}

// The rule's lines with comments dropped and continuations joined.
std::vector<std::string> logicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string physical;
    std::string pending;
    while (std::getline(in, physical)) {
        const std::size_t start = physical.find_first_not_of(" \t");
        if (pending.empty() && (start == std::string::npos || physical[start] == '#')) {
            lines.emplace_back();  // keeps line numbers for messages
            continue;
        }
        if (!physical.empty() && physical.back() == '\\') {
            pending += physical.substr(0, physical.size() - 1);
            lines.emplace_back();
            continue;
        }
        lines.push_back(pending + physical);
        pending.clear();
    }
    return lines;
}

bool isMatch(const std::string& op) {
    return op == "==" || op == "!=";
}

bool isAssignment(const std::string& op) {
    return op == "=" || op == "+=" || op == ":=";
}

class RuleRun {
  public:
    explicit RuleRun(const UdevEvent& event) : event_(event) {}

    // Runs one rule line; false with `error` set when it cannot be judged.
    bool run(const std::vector<Token>& tokens, std::string* gotoLabel, std::string* error) {
        std::vector<const Token*> parentKeys;
        for (const Token& token : tokens) {
            if (!isMatch(token.op)) {
                continue;
            }
            if (token.key == "ATTRS" || token.key == "SUBSYSTEMS" || token.key == "KERNELS") {
                parentKeys.push_back(&token);
            } else if (!matchesDevice(token, error)) {
                return error->empty();
            }
        }
        if (!parentKeys.empty() && !someDeviceMatches(parentKeys)) {
            return true;
        }
        for (const Token& token : tokens) {
            if (isMatch(token.op)) {
                continue;
            }
            if (!assign(token, gotoLabel, error)) {
                return false;
            }
        }
        return true;
    }

    UdevOutcome outcome;

  private:
    bool matchesDevice(const Token& token, std::string* error) const {
        const UdevDevice& device = event_.chain.front();
        if (token.key == "ACTION") {
            return compare(token, &event_.action);
        }
        if (token.key == "SUBSYSTEM") {
            return compare(token, &device.subsystem);
        }
        if (token.key == "KERNEL") {
            return compare(token, &device.kernel);
        }
        if (token.key == "ATTR") {
            const auto found = device.attributes.find(token.attribute);
            return compare(token, found == device.attributes.end() ? nullptr : &found->second);
        }
        if (token.key == "ENV") {
            const auto found = outcome.environment.find(token.attribute);
            return compare(token, found == outcome.environment.end() ? nullptr : &found->second);
        }
        if (token.key == "TAG") {
            bool any = false;
            for (const std::string& tag : outcome.tags) {
                any = any || matchesPattern(tag, token.value);
            }
            return token.op == "==" ? any : !any;
        }
        *error = "cannot match " + token.key;
        return false;
    }

    // The parent keys of one rule must all hold for one and the same device
    // of the chain (the device itself included).
    bool someDeviceMatches(const std::vector<const Token*>& keys) const {
        for (const UdevDevice& device : event_.chain) {
            bool all = true;
            for (const Token* token : keys) {
                const std::string* actual = nullptr;
                if (token->key == "SUBSYSTEMS") {
                    actual = &device.subsystem;
                } else if (token->key == "KERNELS") {
                    actual = &device.kernel;
                } else if (const auto found = device.attributes.find(token->attribute);
                           found != device.attributes.end()) {
                    actual = &found->second;
                }
                all = all && compare(*token, actual);
            }
            if (all) {
                return true;
            }
        }
        return false;
    }

    bool assign(const Token& token, std::string* gotoLabel, std::string* error) {
        if (!isAssignment(token.op)) {
            *error = "unknown operator " + token.op;
            return false;
        }
        if (token.key == "TAG") {
            if (token.op != "+=") {
                outcome.tags.clear();
            }
            outcome.tags.insert(token.value);
        } else if (token.key == "ENV" && token.op != "+=") {
            outcome.environment[token.attribute] = token.value;
        } else if (token.key == "GOTO" && token.op == "=") {
            *gotoLabel = token.value;
        } else {
            *error = "cannot assign " + token.key + token.op;
            return false;
        }
        return true;
    }

    const UdevEvent& event_;
};

}  // namespace

UdevOutcome applyUdevRules(const std::string& rulesText, const UdevEvent& event) {
    RuleRun run(event);
    const std::vector<std::string> lines = logicalLines(rulesText);
    std::string gotoLabel;
    for (std::size_t number = 0; number < lines.size() && run.outcome.error.empty(); ++number) {
        std::vector<Token> tokens;
        std::string error;
        if (lines[number].empty()) {
            continue;
        }
        if (!tokenize(lines[number], &tokens, &error)) {
            run.outcome.error = "line " + std::to_string(number + 1) + ": " + error;
            break;
        }
        if (tokens.size() == 1 && tokens[0].key == "LABEL" && tokens[0].op == "=") {
            if (tokens[0].value == gotoLabel) {
                gotoLabel.clear();
            }
            continue;
        }
        if (!gotoLabel.empty()) {
            continue;
        }
        if (!run.run(tokens, &gotoLabel, &error)) {
            run.outcome.error = "line " + std::to_string(number + 1) + ": " + error;
        }
    }
    return run.outcome;
}

}  // namespace kyrvana::test_support
