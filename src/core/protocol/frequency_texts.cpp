#include "core/protocol/frequency_texts.h"

#include <array>
#include <cstddef>

#include "core/common/c_locale_text.h"

namespace kyrvana {
namespace {

constexpr std::array<double, 6> kDataRatesHz{100.0, 10.0, 1.0, 0.1, 0.01, 0.001};
constexpr std::array<std::string_view, 7> kDataRateTexts{"100",  "10",    "1",   "0.1",
                                                         "0.01", "0.001", "None"};
constexpr std::array<std::int32_t, 6> kDataPeriodsMs{10, 100, 1000, 10000, 100000, 1000000};

struct ImageRate {
    double perSecond;
    ImageFrequency code;
};
// Compared in this order, so that an older 10 reads as the 5 that replaced it.
constexpr std::array<ImageRate, 10> kImageRatesRead{{
    {10.0, ImageFrequency::PerSecond5},
    {1.0, ImageFrequency::PerSecond1},
    {0.1, ImageFrequency::PerSecond0_1},
    {0.01, ImageFrequency::PerSecond0_01},
    {0.001, ImageFrequency::PerSecond0_001},
    {0.0, ImageFrequency::Off},
    {5.0, ImageFrequency::PerSecond5},
    {15.0, ImageFrequency::PerSecond15},
    {30.0, ImageFrequency::PerSecond30},
    {60.0, ImageFrequency::PerSecond60},
}};
constexpr std::array<std::string_view, 9> kImageRateTexts{"60",  "30",   "15",    "5", "1",
                                                          "0.1", "0.01", "0.001", "0"};

bool isIndexOf(std::int32_t code, std::size_t size) {
    return code >= 0 && static_cast<std::size_t>(code) < size;
}

}  // namespace

DataFrequency dataFrequencyFromHz(std::string_view text) {
    if (text == "None") {
        return DataFrequency::None;
    }
    const double hz = cAtof(text);
    for (std::size_t i = 0; i < kDataRatesHz.size(); ++i) {
        if (hz == kDataRatesHz[i]) {
            return static_cast<DataFrequency>(i);
        }
    }
    return DataFrequency::Unknown;
}

std::string_view dataFrequencyHzText(DataFrequency code) {
    const std::int32_t index = codeOf(code);
    return isIndexOf(index, kDataRateTexts.size()) ? kDataRateTexts[static_cast<std::size_t>(index)]
                                                   : "InvalidDataFrequency";
}

DataFrequency dataFrequencyFromMs(std::string_view text, std::int32_t& periodMs) {
    periodMs = cAtoi(text);
    for (std::size_t i = 0; i < kDataPeriodsMs.size(); ++i) {
        if (periodMs == kDataPeriodsMs[i]) {
            return static_cast<DataFrequency>(i);
        }
    }
    return DataFrequency::None;
}

std::int32_t dataFrequencyMs(DataFrequency code) {
    const std::int32_t index = codeOf(code);
    return isIndexOf(index, kDataPeriodsMs.size()) ? kDataPeriodsMs[static_cast<std::size_t>(index)]
                                                   : 0;
}

ImageFrequency imageFrequencyFromText(std::string_view text) {
    const double perSecond = cAtof(text);
    for (const ImageRate& rate : kImageRatesRead) {
        if (perSecond == rate.perSecond) {
            return rate.code;
        }
    }
    return ImageFrequency::Unknown;
}

std::string_view imageFrequencyText(ImageFrequency code) {
    const std::int32_t index = codeOf(code);
    return isIndexOf(index, kImageRateTexts.size())
               ? kImageRateTexts[static_cast<std::size_t>(index)]
               : "InvalidImageFrequency";
}

}  // namespace kyrvana
