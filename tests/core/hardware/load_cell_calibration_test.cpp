// The load cell calibration's fit and the text of the six records.

#include "core/hardware/load_cell_calibration.h"

#include <gtest/gtest.h>

#include "core/common/c_locale_text.h"
#include "core/common/shown_number.h"

namespace kyrvana {
namespace {

TEST(GainFit, TheSlopeCutToFiveDecimalsInSinglePrecision) {
    // 0.98 N over 1000 counts; the slope times 1e5 is 98.00000000000001.
    const GainFitResult result =
        fitGain({calibrationRow(100.0, 1000.0), calibrationRow(200.0, 2000.0)});
    ASSERT_EQ(result.fit, GainFit::Ok);
    EXPECT_EQ(result.gain, static_cast<double>(98.0f / 100000.0f));
    EXPECT_EQ(static_cast<float>(result.gain), 0.00098f);
    // Raw readings scattered around a line: the least-squares slope,
    // 0.000974666... N per count, cut to 0.00097.
    EXPECT_EQ(
        fitGain({{"0", "100"}, {"100", "1100"}, {"200", "2050"}, {"300", "3150"}, {"400", "4100"}})
            .gain,
        static_cast<double>(97.0f / 100000.0f));
}

TEST(GainFit, TooFewOrIndistinguishableReadings) {
    EXPECT_EQ(fitGain({}).fit, GainFit::TooFewReadings);
    EXPECT_EQ(fitGain({calibrationRow(100.0, 1000.0)}).fit, GainFit::TooFewReadings);
    EXPECT_EQ(fitGain({calibrationRow(100.0, 1000.0), calibrationRow(200.0, 1000.0)}).fit,
              GainFit::NoRawDifference);
}

TEST(CalibrationRecords, TextInTheStandardStreamForm) {
    DeviceLink link;
    link.fullScaleLoad = {111.0f, 44.5f, 0.1f, 1234567.0f, 5.0f, 10.0f};
    link.loadCellGain = {0.0, static_cast<double>(98.0f / 100000.0f), 0.00125, 1.5, 2e-7, 3.0};
    link.loadCellZero = {0, 32768, 65535, 1, 2, 3};
    EXPECT_EQ(calibrationText(link),
              "111,0,0\n"
              "44.5,0.00098,32768\n"
              "0.1,0.00125,65535\n"
              "1.23457e+06,1.5,1\n"
              "5,2e-07,2\n"
              "10,3,3\n");
}

// The calibration dialog shows each gain as its shortest text and takes an
// untouched field's value back as it is. Whatever the device holds (six
// significant digits) therefore goes back to the device unchanged, a text
// typed as the field shows it gives the same value, and a fitted gain shows
// the value the device will store.
TEST(CalibrationRecords, GainsRoundTripThroughTheDialogFields) {
    // The records' text writes each gain in the standard stream's form.
    const auto storedText = [](double gain) { return cDefaultFloatText(gain); };
    for (int exponent = -7; exponent <= -2; ++exponent) {
        for (int mantissa = 100000; mantissa <= 999999; mantissa += 97) {
            const std::string held = storedText(cAtof(cFormat("%de%d", mantissa, exponent - 5)));
            const ShownNumber shown = shownNumber(cAtof(held));
            ASSERT_EQ(storedText(fieldValue(shown, shown.text)), held);
            ASSERT_EQ(fieldValue(shownNumber(0.5), shown.text), cAtof(held)) << shown.text;
        }
    }

    for (int hundredThousandths = 1; hundredThousandths < 100000; hundredThousandths += 3) {
        const double gain = cutGain(hundredThousandths / 100000.0 + 1e-12);
        const ShownNumber shown = shownSingle(static_cast<float>(gain));
        ASSERT_EQ(shown.value, gain);
        ASSERT_EQ(cAtof(storedText(fieldValue(shown, shown.text))), cAtof(shown.text))
            << shown.text;
    }
    EXPECT_EQ(shownNumber(0.00346875).text, "0.00346875");
    EXPECT_EQ(shownSingle(111.1f).text, "111.1");
    EXPECT_EQ(shownSingle(static_cast<float>(cutGain(0.00098))).text, "0.00098");
}

}  // namespace
}  // namespace kyrvana
