#include "core/protocol/vocabulary_matching.h"

namespace kyrvana {

bool equalsIgnoringCase(std::string_view text, std::string_view upperWord) {
    if (text.size() != upperWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != upperWord[i]) {
            return false;
        }
    }
    return true;
}

int lookUpWord(std::span<const VocabularyWord> words, std::string_view text,
               WordComparison comparison) {
    if (text.size() > kVocabularyTextLimit) {
        return -1;
    }
    for (const VocabularyWord& entry : words) {
        const bool matches = comparison == WordComparison::IgnoringCase
                                 ? equalsIgnoringCase(text, entry.word)
                                 : text == entry.word;
        if (matches) {
            return entry.code;
        }
    }
    return -1;
}

}  // namespace kyrvana
