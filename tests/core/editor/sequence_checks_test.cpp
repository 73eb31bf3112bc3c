// The checks a sequence passes before it is programmed: their order, their
// texts, and what they hand to the document.

#include <gtest/gtest.h>

#include "core/document/kyrvana_doc.h"
#include "core/document/sequence_handover.h"
#include "core/editor/test_name_rules.h"
#include "support/recording_host.h"

namespace kyrvana {
namespace {

constexpr const char* kNoSequence = "Please Specify a Test Sequence Before Executing";
constexpr const char* kNoDuration =
    "Error:  Test Sequence Must Be Greater Than 0 Seconds in Length";
constexpr const char* kBelowStart =
    "Error:  Minimum Stretch Position\nAcross All Sets Must Be Greater Than 0.0 mm\n";
constexpr const char* kNoMemory =
    "Error:  Not Enough Memory Available\nReduce Number of Specified Sets\n";
constexpr const char* kNoRepeats = "Error:  Minimum Repeats of Entire Sequence = 1\n";

SetRecord idleSet() {
    SetRecord set;
    set.stretchDurationMs = 0;
    set.recoveryDurationMs = 0;
    return set;
}

// A set in millimetres that only recovers: it moves below the start.
SetRecord sinkingSet() {
    SetRecord set;
    set.units[0] = UnitsCode::Millimetres;
    set.stretchDurationMs = 0;
    set.magnitude.fill(1.0);
    return set;
}

struct CheckCase {
    const char* title;
    std::vector<SetRecord> sets;
    const char* repeatText;
    const char* expectedBox;  // nullptr: passes
};

std::ostream& operator<<(std::ostream& out, const CheckCase& c) {
    return out << c.title;
}

class SequenceChecksTest : public testing::TestWithParam<CheckCase> {};

TEST_P(SequenceChecksTest, FirstFailureOnlyAndTheDocumentUntouched) {
    const CheckCase& c = GetParam();
    test_support::RecordingHost host;
    CKyrvanaDoc document(host);
    SequenceViewModel view;
    view.workingSequence.sets = c.sets;
    view.repeatText = c.repeatText;

    const int result = checkSequenceBeforeProgramming(view, document, host);
    const auto boxes = host.boxes();
    if (c.expectedBox == nullptr) {
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(document.sequence().sets, c.sets);
        EXPECT_EQ(document.hardware().RepeatTestSequence, view.repeatCount);
        return;
    }
    EXPECT_EQ(result, -1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.expectedBox);
    EXPECT_EQ(boxes[0].icon, BoxIcon::None);
    EXPECT_EQ(document.sequence(), Protocol{});
    EXPECT_EQ(document.hardware(), HardwareSettings{});
}

INSTANTIATE_TEST_SUITE_P(
    Order, SequenceChecksTest,
    testing::Values(
        CheckCase{"empty", {}, "0", kNoSequence},
        CheckCase{"no running time, before memory", std::vector<SetRecord>(11, idleSet()), "1",
                  kNoDuration},
        CheckCase{"below the start, before memory", {SetRecord{}, sinkingSet()}, "1", kBelowStart},
        CheckCase{"eleven sets", std::vector<SetRecord>(11, SetRecord{}), "0", kNoMemory},
        CheckCase{"ten sets pass", std::vector<SetRecord>(10, SetRecord{}), "3", nullptr},
        CheckCase{"repeats not a number", {SetRecord{}}, "abc", kNoRepeats},
        CheckCase{"negative repeats pass", {SetRecord{}}, "-2", nullptr}));

// A sequence of one set, checked under several test names.
class SequenceChecksNameTest : public testing::Test {
  protected:
    SequenceChecksNameTest() { view.workingSequence.append(SetRecord{}); }
    int check(const std::string& name) {
        view.testName = name;
        return checkSequenceBeforeProgramming(view, document, host);
    }
    test_support::RecordingHost host;
    CKyrvanaDoc document{host};
    SequenceViewModel view;
};

TEST_F(SequenceChecksNameTest, ForbiddenCharactersAreReplacedWithOneWarning) {
    EXPECT_EQ(check("a/b:c (x)"), 1);
    EXPECT_EQ(view.testName, "a_b_c _x_");
    EXPECT_EQ(check("Clean name 1"), 1);
    const auto boxes = host.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kInvalidTestNameWarning);
}

// The device keeps 234 characters of test name; a longer one would run into
// the words stored after it.
TEST_F(SequenceChecksNameTest, NameLongerThanTheDeviceKeepsIsRefused) {
    EXPECT_EQ(check(std::string(234, 'n')), 1);
    EXPECT_TRUE(host.boxes().empty());

    const Protocol accepted = document.sequence();
    view.workingSequence.append(SetRecord{});
    EXPECT_EQ(check(std::string(234, 'n') + "/"), -1);
    const auto boxes = host.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kInvalidTestNameWarning);
    EXPECT_EQ(boxes[1].text, "Error:  Maximum Test Name Length = 234 Characters\n");
    EXPECT_EQ(document.sequence(), accepted);
}

}  // namespace
}  // namespace kyrvana
