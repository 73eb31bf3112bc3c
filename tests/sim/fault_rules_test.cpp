// Fault rules and EEPROM pokes as kyrvana-sim's command line takes them.

#include "sim/fault_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace kyrvana::sim_tests {
namespace {

using Kind = sim::SimulatorFault::Kind;

TEST(FaultRuleText, ParsesKindKeysAndPrefix) {
    const struct {
        const char* text;
        Kind kind;
        std::string prefix;
        std::size_t bytes, skip, times;
    } cases[] = {
        {"no-answer:QueryRev", Kind::NoAnswer, "QueryRev", 0, 0, 0},
        // The Nth alone, or from the Nth on.
        {"no-answer,nth=3:SetEepromControlSettingsData", Kind::NoAnswer,
         "SetEepromControlSettingsData", 0, 2, 1},
        {"no-answer,nth=2,count=4:Get", Kind::NoAnswer, "Get", 0, 1, 4},
        {"garble,count=2:", Kind::Garbled, "", 0, 0, 2},
        // Everything after the first colon is the prefix, commas and colons too.
        {"cut-short,bytes=8:SetEepromControlSettingsData(0, 1:", Kind::CutShort,
         "SetEepromControlSettingsData(0, 1:", 8, 0, 0},
        {"hang-up,bytes=0x10:\\x1CO(4348)", Kind::HangUpAfter, "\x1CO(4348)", 16, 0, 0},
        {"overlong,bytes=600:QueryInternalValue(1)\\r", Kind::OverlongLine,
         "QueryInternalValue(1)\r", 600, 0, 0},
        {"garbage,bytes=4:a\\\\b", Kind::Garbage, "a\\b", 4, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto fault = sim::parseFaultRule(c.text, &error);
        ASSERT_TRUE(fault) << error;
        EXPECT_EQ(fault->kind, c.kind);
        EXPECT_EQ(fault->commandPrefix, c.prefix);
        EXPECT_EQ(fault->bytes, c.bytes);
        EXPECT_EQ(fault->skip, c.skip);
        EXPECT_EQ(fault->times, c.times);
        // Written back, the rule reads as the same rule.
        const auto again = sim::parseFaultRule(sim::faultRuleText(*fault), &error);
        ASSERT_TRUE(again) << sim::faultRuleText(*fault) << ": " << error;
        EXPECT_EQ(again->commandPrefix, fault->commandPrefix);
        EXPECT_EQ(again->skip, fault->skip);
        EXPECT_EQ(again->times, fault->times);
        EXPECT_EQ(again->bytes, fault->bytes);
    }
}

TEST(FaultRuleText, StallsAndReplacementsCarryTheirValue) {
    std::string error;
    const auto stall = sim::parseFaultRule("stall,ms=1500,nth=2:GetMotorsState", &error);
    ASSERT_TRUE(stall) << error;
    EXPECT_EQ(stall->kind, Kind::Stall);
    EXPECT_EQ(stall->stall, std::chrono::milliseconds(1500));
    EXPECT_EQ(stall->skip, 1u);
    // A comma or a colon in a text is written as an escape.
    const auto replace = sim::parseFaultRule("replace,text=ERR\\x2C 7\\x3A\\r:Homing", &error);
    ASSERT_TRUE(replace) << error;
    EXPECT_EQ(replace->kind, Kind::Replace);
    EXPECT_EQ(replace->text, "ERR, 7:\r");
    const auto again = sim::parseFaultRule(sim::faultRuleText(*replace), &error);
    ASSERT_TRUE(again) << sim::faultRuleText(*replace) << ": " << error;
    EXPECT_EQ(again->text, replace->text);
    EXPECT_FALSE(sim::parseFaultRule("stall:GetMotorsState", &error));
    EXPECT_FALSE(sim::parseFaultRule("replace:Homing", &error));
}

TEST(FaultRuleText, RefusesWhatItCannotMean) {
    for (const char* text : {"no-answer", "silence:QueryRev", "cut-short:QueryRev",
                             "no-answer,nth=0:X", "no-answer,nth=x:X", "no-answer,after=2:X",
                             "garble,count:X", "no-answer:\\q", "no-answer:\\x1"}) {
        std::string error;
        EXPECT_FALSE(sim::parseFaultRule(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(EepromPokeText, TakesAnAddressInTheEepromAndOneByte) {
    std::string error;
    auto poke = sim::parseEepromPoke("1800=0x41", &error);
    ASSERT_TRUE(poke) << error;
    EXPECT_EQ(poke->address, 1800);
    EXPECT_EQ(poke->value, 0x41);
    poke = sim::parseEepromPoke("0x1FFF=255", &error);
    ASSERT_TRUE(poke) << error;
    EXPECT_EQ(poke->address, 8191);
    for (const char* text : {"8192=1", "10=256", "10", "=1", "10=-1", "1e3=1"}) {
        EXPECT_FALSE(sim::parseEepromPoke(text, &error)) << text;
    }
}

}  // namespace
}  // namespace kyrvana::sim_tests
