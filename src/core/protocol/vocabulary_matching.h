#pragma once

// How the vocabulary compares a text with its words.

#include <cstddef>
#include <span>
#include <string_view>

namespace kyrvana {

// Keywords and the case-insensitive words are compared in a working buffer of
// this many characters; a longer text matches nothing.
inline constexpr std::size_t kVocabularyTextLimit = 1023;

// Whether text, with only the letters a to z upper-cased, equals upperWord.
// Other bytes (accented letters in any encoding, NUL) compare as they are.
bool equalsIgnoringCase(std::string_view text, std::string_view upperWord);

enum class WordComparison { Exact, IgnoringCase };

struct VocabularyWord {
    std::string_view word;
    int code;
};

// The code of the first word that text matches; -1 when none does or when
// text is longer than the working buffer.
int lookUpWord(std::span<const VocabularyWord> words, std::string_view text,
               WordComparison comparison);

}  // namespace kyrvana
