#pragma once

// The test that `program` writes into the stimulator and `verify` compares
// with what it holds: a protocol file's sequence and the values of the
// window's form, given as options. Both subcommands take the same file and
// options, so that `verify` with the options `program` was given checks that
// the device holds what `program` wrote.

#include <CLI/CLI.hpp>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "core/hardware/well_settings.h"
#include "core/protocol/hardware_settings.h"
#include "core/protocol/protocol.h"

namespace kyrvana {
class CKyrvanaDoc;
}

namespace kyrvana::cli {

struct ProgrammedTestArguments {
    std::string file;
    std::optional<std::string> name;
    std::optional<int> repeats;
    bool disableHoming = false;
    std::optional<std::string> disableWells;
    std::optional<unsigned> velocityCode;
};

// FILE and the options --name, --repeats, --disable-homing, --disable-wells
// and --velocity-code.
void addProgrammedTestOptions(CLI::App& subcommand, ProgrammedTestArguments& arguments);

struct ProgrammedTest {
    Protocol sequence;
    HardwareSettings hardware;
    DisabledWells disabledWells;
};

// Everything that can be refused without the device: kExitSuccess with
// `test` filled, kExitUsage for a well list that is no well list or
// disables every well, kExitFailure for a file that is no usable protocol
// file (the reason is on standard error).
int loadProgrammedTest(const ProgrammedTestArguments& arguments, ProgrammedTest& test);

// Connects to the stimulator as the program does, puts the test into the
// document and its view as File > Open and the form's fields would (the test
// name only when one was given: otherwise the view keeps the one the
// connection read), runs `work` and disconnects. kExitFailure when the
// device cannot be connected (the reason is on standard error), else what
// `work` returns.
int withTestInWindow(const CliOptions& options, const ProgrammedTestArguments& arguments,
                     const ProgrammedTest& test, const std::function<int(CKyrvanaDoc&)>& work);

// A list of well numbers such as "2,5" as the wells to disable; nullopt for
// anything that is not a comma-separated list of numbers 1 to 6.
std::optional<std::array<bool, DisabledWells::kWells>> parseWellList(const std::string& list);

}  // namespace kyrvana::cli
