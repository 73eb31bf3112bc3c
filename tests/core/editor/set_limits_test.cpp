// The checks behind the set editor's OK button, in groups that share a
// shape: durations, magnitudes per hardware type, speed and travel. Offline:
// the micrometres per microstep come from the hardware values.

#include "core/editor/set_limits.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/editor/field_numbers.h"

namespace kyrvana {
namespace {

using Messages = std::vector<std::string>;

constexpr const char* kMinStretch = "Error:  Minimum Stretch Duration = 250.00 mS\n";
constexpr const char* kMinCompress = "Error:  Minimum Compress Duration = 250.00 mS\n";
constexpr const char* kMinRecovery = "Error:  Minimum Recovery Duration = 250.00 mS\n";
constexpr const char* kMinRest = "Error:  Minimum Rest duration = 0.0 S\n";
constexpr const char* kMinHold = "Error:  Minimum Hold duration = 0.0 S\n";
constexpr const char* kMinReps = "Error:  Minimum Repetitions = 1\n";
constexpr const char* kMaxStretch = "Error:  Maximum Stretch Magnitude (um) = 23000\n";
constexpr const char* kMaxCompress = "Error:  Maximum Compress Magnitude (um) = 2000\n";
constexpr const char* kNegativeCompress = "Error:  Minimum Compress Magnitude (um) = 0\n";
constexpr const char* kMaxLoad = "Error:  Maximum Load Magnitude (mN) = 111000\n";
constexpr const char* kRampSpeed = "Error:  Maximum Ramp Speed = 4.0 mm/S\n";
constexpr const char* kSineSpeed = "Error:  Maximum Sinusoid Speed = 2.4 mm/S\n";
constexpr const char* kUnnamedSpeed = "Error:  Maximum InvalidFunction Speed = 2.4 mm/S\n";
constexpr const char* kStretchTravel =
    "Error:  Cannot achieve X Stretch Phase\n\tIncrease Stretch Duration\n\tOr Reduce Stretch "
    "Magnitude\n";
constexpr const char* kCompressTravel =
    "Error:  Cannot achieve X Compress Phase\n\tIncrease Compress Duration\n\tOr Reduce Compress "
    "Magnitude\n";
constexpr const char* kRecoveryTravel =
    "Error:  Cannot achieve X Recovery Phase\n\tIncrease Recovery Duration\n\tOr Reduce Recovery "
    "Magnitude\n";

struct LimitCase {
    const char* title;
    int hardwareType;
    // Fields typed over the calm set's, as "field=text" separated by blanks:
    // mag (every well), mag4 and mag6 (one well), mode (its index), wave,
    // units, load, hold, recovery, rest, reps; deform=0 and custom=0 or 1
    // for the check boxes "Do not deform" and "Customize each well".
    const char* edits;
    Messages expected;
    double umPerMicrostep = kDefaultUmPerMicrostep;
};

std::ostream& operator<<(std::ostream& out, const LimitCase& c) {
    return out << c.title;
}

// A ramp of 1000 um over 10 s each way, one repetition, in seconds: well
// inside every limit of both hardware types.
SetEditorFields calmFields() {
    SetRecord set;
    set.stretchDurationMs = 10000;
    set.recoveryDurationMs = 10000;
    return setEditorFields(set);
}

void type(SetEditorFields& f, const std::string& field, const std::string& text) {
    const std::map<std::string, std::string*> texts{
        {"mag4", &f.magnitudeText[3]}, {"mag6", &f.magnitudeText[5]},
        {"wave", &f.waveformText},     {"units", &f.timeUnitsWord},
        {"load", &f.loadDurationText}, {"hold", &f.holdDurationText},
        {"rest", &f.restDurationText}, {"recovery", &f.recoveryDurationText},
        {"reps", &f.repetitionsText}};
    if (texts.contains(field)) {
        *texts.at(field) = text;
    } else if (field == "mag") {
        f.magnitudeText.fill(text);
    } else if (field == "mode") {
        f.modeIndex = std::stoi(text);
    } else if (field == "deform") {
        f.doNotDeform = text == "0";
    } else if (field == "custom") {
        f.customizeEachWell = text == "1";
    } else {
        ADD_FAILURE() << "no field " << field;
    }
}

SetEditorFields calmFieldsWith(const std::string& edits) {
    SetEditorFields fields = calmFields();
    std::istringstream words(edits);
    for (std::string word; words >> word;) {
        const std::size_t equals = word.find('=');
        type(fields, word.substr(0, equals), word.substr(equals + 1));
    }
    return fields;
}

class SetLimitsTest : public testing::TestWithParam<LimitCase> {};

TEST_P(SetLimitsTest, CollectsTheMessagesInOrder) {
    const LimitCase& c = GetParam();
    SetLimitsHardware hardware;
    hardware.hardwareType = c.hardwareType;
    hardware.umPerMicrostep = c.umPerMicrostep;
    const SetLimitsResult result = checkSetLimits(calmFieldsWith(c.edits), SetRecord{}, hardware);
    EXPECT_EQ(result.messages, c.expected);
    if (!result.passed()) {
        EXPECT_EQ(result.set, SetRecord{});
    }
}

using L = LimitCase;

INSTANTIATE_TEST_SUITE_P(
    Durations, SetLimitsTest,
    testing::Values(
        L{"calm set passes", 0, "", {}},
        L{"short stretch, and its speed", 2, "load=0.2", {kMinStretch, kRampSpeed}},
        L{"short compress, slow enough", 0, "mag=10 load=0.2", {kMinCompress}},
        L{"249.9 ms", 0, "mag=10 units=mSeconds load=250 recovery=249.9", {kMinRecovery}},
        L{"an unused phase has no minimum", 0, "load=0.1 deform=0 recovery=0", {}},
        L{"order", 0, "hold=-1 rest=-0.001 reps=0", {kMinRest, kMinHold, kMinReps}}));

INSTANTIATE_TEST_SUITE_P(
    Magnitudes, SetLimitsTest,
    testing::Values(
        L{"23000 um stretch passes", 2, "mag=23000", {}},
        L{"23001 um stretch", 2, "mag=23001", {kMaxStretch}},
        L{"2001 um compress", 1, "mag=2000.5", {kMaxCompress}},
        L{"negative compress", 0, "mag=-10", {kNegativeCompress}},
        L{"negative stretch is a push", 2, "mag=-10", {}},
        L{"force beyond the load cell", 2, "mode=1 mag=111000.1", {kMaxLoad}},
        L{"customized wells", 0, "custom=1 mag4=2001 mag6=-1", {kMaxCompress, kNegativeCompress}},
        L{"wells 2 to 6 unless customized", 0, "custom=0 mag4=5000", {}}));

INSTANTIATE_TEST_SUITE_P(
    Speed, SetLimitsTest,
    testing::Values(
        L{"ramp at 4.0 mm/s passes", 2, "mag=2000 load=0.5", {}},
        L{"ramp just over 4.0 mm/s", 2, "mag=2001 load=0.5", {kRampSpeed}},
        L{"sine", 0, "wave=Sinusoid mag=1201 load=.5 recovery=.5", {kSineSpeed, kSineSpeed}},
        L{"a waveform the editor cannot name", 0, "wave=Custom load=0.3", {kUnnamedSpeed}},
        L{"an unused phase has no speed", 2, "mag=20000 deform=0 load=0.5", {}}));

// 0.25 s at 0.05 um per microstep reaches 512 um; travel is judged last.
INSTANTIATE_TEST_SUITE_P(
    Travel, SetLimitsTest,
    testing::Values(
        L{"both too short", 0, "load=.25 recovery=.25", {kCompressTravel, kRecoveryTravel}, 0.05},
        L{"exactly reachable", 2, "mag=512 load=0.25 recovery=0.2500001", {}, 0.05},
        L{"stretch just beyond", 2, "mag=512.01 load=0.25", {kStretchTravel}, 0.05},
        L{"after another failure", 0, "load=0.25 reps=0", {kMinReps}, 0.05}));

TEST(SetLimitsSaveTest, OkWritesTheConvertedValues) {
    SetRecord original;
    original.imageFrequency = ImageFrequency::PerSecond30;  // not the editor's: kept
    SetEditorFields fields = setEditorFields(original);
    fields.name = "Sixteen chars!!!";
    fields.modeIndex = 1;
    fields.waveformText = "Sinusoid";
    fields.customizeEachWell = false;
    fields.magnitudeText = {"500.5", "1", "2", "3", "4", "5"};
    fields.preloadText = {"20", "9", "9", "9", "9", "9"};
    fields.preloadIndex = 2;
    fields.timeUnitsWord = "Hours";
    fields.loadDurationText = "1.5";
    fields.holdDurationText = "0.0001";
    fields.recoveryDurationText = "0.25";
    fields.restDurationText = "0";
    fields.repetitionsText = "12";
    fields.frequencyText = "0.001";

    const SetLimitsResult result = checkSetLimits(fields, original, SetLimitsHardware{});
    ASSERT_TRUE(result.passed()) << result.text();
    SetRecord expected = original;
    expected.name = "Sixteen chars!!";
    expected.mode[0] = ControlMode::Force;
    expected.units[0] = UnitsCode::Millinewtons;
    expected.function[0] = FunctionType::Sinusoid;
    expected.magnitude.fill(500.5);
    expected.preloadMag.fill(20);
    expected.preloadType[0] = PreloadType::EveryRepetition;
    expected.stretchDurationMs = 5400000;
    expected.holdTimeMs = 360;
    expected.recoveryDurationMs = 900000;
    expected.numReps = 12;
    expected.timeUnits = TimeUnits::Hours;
    expected.dataFrequency = DataFrequency::Hz0_001;
    EXPECT_EQ(result.set, expected);
}

TEST(SetLimitsSaveTest, AnEmptyPhaseChecksItsBoxEvenWhenTheSetIsRefused) {
    SetEditorFields fields = calmFields();
    fields.loadDurationText = "0";
    fields.recoveryDurationText = "-2";
    fields.repetitionsText = "0";
    const SetLimitsResult result = checkSetLimits(fields, SetRecord{}, SetLimitsHardware{});
    EXPECT_EQ(result.messages, Messages{kMinReps});
    EXPECT_TRUE(result.doNotDeform);
    EXPECT_TRUE(result.doNotRecover);
}

// Pressing OK on a set that was not changed gives the same set back, whatever
// its durations and unit, and also where the texts shown cannot carry the
// set's own values: an unused phase below 0 shows 0, a name from a file is
// longer than the editor keeps, a repetition count below 0.
TEST(SetLimitsSaveTest, UnchangedSetComesBackUnchanged) {
    const std::vector<TimeUnits> units = {
        TimeUnits::Seconds,      TimeUnits::Minutes,     TimeUnits::Hours,  TimeUnits::Days,
        TimeUnits::Milliseconds, TimeUnits::Deciseconds, TimeUnits::Unknown};
    const std::vector<std::int32_t> durations = {250,      1001,      1234,      59999,
                                                 86399999, 123456789, 2147483647};
    for (const TimeUnits unit : units) {
        for (const std::int32_t ms : durations) {
            SetRecord set;
            set.timeUnits = unit;
            set.magnitude = {0.1, 1e-7, 0.999, 0.3, 0.5678, 1.0};
            set.preloadMag = {0.7, 0, 0, 0, 0, 1e-3};
            set.stretchDurationMs = 1000000;
            set.recoveryDurationMs = ms;
            set.holdTimeMs = ms;
            set.restTimeMs = ms - 1;
            set.numReps = 3;
            set.dataFrequency = DataFrequency::Hz0_01;
            const SetLimitsResult result =
                checkSetLimits(openingFields(set), set, SetLimitsHardware{});
            ASSERT_TRUE(result.passed()) << result.text();
            EXPECT_EQ(result.set, set) << ms << " ms in unit " << codeOf(unit);
        }
    }

    SetRecord odd;
    odd.name = "A name longer than fifteen";
    odd.stretchDurationMs = -5;
    odd.recoveryDurationMs = -7;
    odd.numReps = -3;
    odd.magnitude.fill(1.0000000000000002);
    odd.preloadMag[5] = 5.5;  // the one field that tells the wells apart
    odd.mode[0] = ControlMode::Force;
    odd.units[0] = UnitsCode::Millinewtons;
    const SetLimitsResult result = checkSetLimits(openingFields(odd), odd, SetLimitsHardware{});
    ASSERT_TRUE(result.passed()) << result.text();
    EXPECT_EQ(result.set, odd);
}

// A changed unit gives the digits another meaning, also those of a field
// left as it was shown; typed fields are read to the millisecond.
TEST(SetLimitsSaveTest, TypedDurationsAreSavedAsTyped) {
    SetRecord set;
    set.timeUnits = TimeUnits::Seconds;
    SetEditorFields fields = openingFields(set);
    fields.timeUnitsWord = "Minutes";
    fields.holdDurationText = "1";  // as the seconds showed it, now in minutes
    fields.restDurationText = "2.01";
    const SetLimitsResult result = checkSetLimits(fields, set, SetLimitsHardware{});
    ASSERT_TRUE(result.passed()) << result.text();
    EXPECT_EQ(result.set.holdTimeMs, 60000);
    EXPECT_EQ(result.set.restTimeMs, 120600);
}

}  // namespace
}  // namespace kyrvana
