#pragma once

// Fault rules and EEPROM pokes as a person writes them on kyrvana-sim's
// command line, so that every failure the tests provoke can be reproduced by
// hand:
//
//   --fault KIND[,KEY=VALUE...]:PREFIX
//       no-answer,nth=3:SetEepromControlSettingsData   the third one goes unanswered
//       garble:QueryMotorPos(2)                          every answer to it is noise
//       cut-short,bytes=8:QueryRev(2)
//   --poke-eeprom ADDR=BYTE                              e.g. 1800=0x41
//
// The kinds and the keys are one table each; a new kind of fault is a new row
// of SimulatorFault::Kind and of the kinds table, nothing else.

#include <optional>
#include <string>
#include <string_view>

#include "sim/simulated_stimulator.h"

namespace kyrvana::sim {

// A rule, or nothing with the reason in `error`. PREFIX is everything after
// the first colon (commas and colons included); \r, \n, \\ and \xHH stand for
// bytes, so that "\x1CO" names the packed read and an empty PREFIX every
// command.
std::optional<SimulatorFault> parseFaultRule(std::string_view text, std::string* error);

// ADDR=BYTE, each decimal or 0x-prefixed hexadecimal; the address within the
// 8 KiB EEPROM, the byte 0 to 255.
std::optional<EepromPoke> parseEepromPoke(std::string_view text, std::string* error);

// The rule as it would be written on the command line (escapes included).
std::string faultRuleText(const SimulatorFault& fault);

// The help lines that list the kinds and the keys.
std::string faultRulesHelp();

}  // namespace kyrvana::sim
