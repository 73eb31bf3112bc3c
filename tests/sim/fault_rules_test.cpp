// Fault rules and EEPROM pokes as kyrvana-sim's command line takes them.

#include "sim/fault_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

namespace kyrvana::sim_tests {
namespace {

using Kind = sim::SimulatorFault::Kind;
using sim::SimulatorFault;

// Everything a rule sets, to compare two rules at once.
auto Fields(const SimulatorFault& f) {
    return std::tuple(static_cast<int>(f.kind), f.commandPrefix, f.bytes, f.skip, f.times,
                      f.stall.count(), f.text);
}

TEST(FaultRuleText, ParsesKindKeysAndPrefixAndWritesTheRuleBack) {
    const struct {
        const char* text;
        SimulatorFault fault;
    } cases[] = {
        {"no-answer:QueryRev", {Kind::NoAnswer, "QueryRev"}},
        // The Nth alone, or from the Nth on.
        {"no-answer,nth=3:SetEepromControlSettingsData",
         {Kind::NoAnswer, "SetEepromControlSettingsData", 0, 2, 1}},
        {"no-answer,nth=2,count=4:Get", {Kind::NoAnswer, "Get", 0, 1, 4}},
        {"garble,count=2:", {Kind::Garbled, "", 0, 0, 2}},
        // Everything after the first colon is the prefix, commas and colons too.
        {"cut-short,bytes=8:SetEepromControlSettingsData(0, 1:",
         {Kind::CutShort, "SetEepromControlSettingsData(0, 1:", 8}},
        {"hang-up,bytes=0x10:\\x1CO(4348)", {Kind::HangUpAfter, "\x1CO(4348)", 16}},
        {"overlong,bytes=600:QueryInternalValue(1)\\r",
         {Kind::OverlongLine, "QueryInternalValue(1)\r", 600}},
        {"garbage,bytes=4:a\\\\b", {Kind::Garbage, "a\\b", 4}},
        {"stall,ms=1500,nth=2:GetMotorsState",
         {.kind = Kind::Stall,
          .commandPrefix = "GetMotorsState",
          .skip = 1,
          .times = 1,
          .stall = std::chrono::milliseconds(1500)}},
        // A comma or a colon in a text is written as an escape.
        {"replace,text=ERR\\x2C 7\\x3A\\r:Homing",
         {.kind = Kind::Replace, .commandPrefix = "Homing", .text = "ERR, 7:\r"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto fault = sim::parseFaultRule(c.text, &error);
        ASSERT_TRUE(fault) << error;
        EXPECT_EQ(Fields(*fault), Fields(c.fault));
        // Written back, the rule reads as the same rule.
        const auto again = sim::parseFaultRule(sim::faultRuleText(*fault), &error);
        ASSERT_TRUE(again) << sim::faultRuleText(*fault) << ": " << error;
        EXPECT_EQ(Fields(*again), Fields(*fault));
    }
}

TEST(FaultRuleText, RefusesWhatItCannotMean) {
    for (const char* text :
         {"no-answer", "silence:QueryRev", "cut-short:QueryRev", "no-answer,nth=0:X",
          "no-answer,nth=x:X", "no-answer,after=2:X", "garble,count:X", "no-answer:\\q",
          "no-answer:\\x1", "stall:GetMotorsState", "replace:Homing"}) {
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
