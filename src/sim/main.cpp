// kyrvana-sim: a simulated stimulator on a pseudo-terminal, for trying the
// program without hardware. Prints the path of its port as the first line of
// standard output and answers on it until SIGINT or SIGTERM.

#include <getopt.h>
#include <signal.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "core/common/c_locale_text.h"
#include "kyrvana/project_identity.h"
#include "sim/fault_rules.h"
#include "sim/sd_card_seed.h"
#include "sim/simulated_stimulator.h"
#include "sim/sysfs_port_publisher.h"

namespace {

using kyrvana::sim::SimulatorOptions;

constexpr const char* kUsageHead =
    "Usage: kyrvana-sim [OPTION]...\n"
    "A simulated six-well stimulator on a pseudo-terminal. Prints the path of its\n"
    "port (such as /dev/pts/5) as the first line of standard output, then answers\n"
    "the device protocol on it until interrupted (SIGINT or SIGTERM).\n"
    "\n"
    "  --hardware-type N     hardware type reported as internal value 6:\n"
    "                        0 or 1 Kyrvana P7, 2 Kyrvana Q3 (default 0)\n"
    "  --firmware-rev X.YY   firmware revision in the revision texts (default 4.60;\n"
    "                        the program refuses revisions below 4.59)\n"
    "  --hardware-rev X.YY   hardware revision in the revision texts (default 2.00)\n"
    "  --sd-card DIR         folder that stands for the SD card (default: a new\n"
    "                        temporary folder with a few demo data files, removed\n"
    "                        at exit)\n"
    "  --latency-ms N        delay before every answer, in milliseconds (default 0)\n"
    "  --eeprom FILE         EEPROM image (8192 bytes): loaded at start when it\n"
    "                        exists, written on every change\n"
    "  --run-test            run the programmed test: write its data file into the\n"
    "                        SD card's DATA folder at start (when a sequence is\n"
    "                        programmed) and each time a sequence is programmed;\n"
    "                        SIGUSR1 runs it at any time, with or without this option\n"
    "  --sysfs-root DIR      also plug the port into a fake sysfs tree under DIR\n"
    "                        (USB ids 03eb:2404, DIR/dev/ttyACM0 leads to the port),\n"
    "                        as the program's --sysfs-root expects; unplugged at exit\n"
    "  --poke-eeprom ADDR=BYTE\n"
    "                        change one EEPROM byte before the first command, as\n"
    "                        if the device's memory changed behind the program's\n"
    "                        back (decimal or 0x hex; repeatable), e.g. 1800=0x41\n"
    "  --fault KIND[,KEY=N...]:PREFIX\n"
    "                        spoil the answers to the commands whose text starts\n"
    "                        with PREFIX (empty: every command; \\r, \\n, \\\\ and\n"
    "                        \\xHH stand for bytes, \\x1C begins a packed command);\n"
    "                        repeatable, the first matching rule applies, e.g.\n"
    "                          no-answer,nth=3:SetEepromControlSettingsData\n"
    "                          garble:QueryMotorPos\n"
    "                          cut-short,bytes=8:QueryRev(2)\n"
    "  --second-reader       keep another reader on the port for the whole run, as\n"
    "                        a terminal program or a service probing new ports\n"
    "                        would: it takes whatever bytes it reaches first\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Fault kinds:\n";

constexpr const char* kUsageTail = "\nTalk to it by hand with: socat - /dev/pts/N,raw,echo=0\n";

struct Arguments {
    SimulatorOptions options;
    std::filesystem::path sysfsRoot;
    bool secondReader = false;
    bool help = false;
    bool version = false;
};

// A whole-text decimal number, or false.
bool parseInteger(const char* text, long long* number) {
    std::size_t used = 0;
    const double value = kyrvana::cStrtod(text, &used);
    if (used == 0 || text[used] != '\0' ||
        value != static_cast<double>(static_cast<long long>(value))) {
        return false;
    }
    *number = kyrvana::cAtoll(text);
    return true;
}

bool isRevision(const char* text) {
    std::size_t used = 0;
    kyrvana::cStrtod(text, &used);
    return used > 0 && text[used] == '\0';
}

int invalid(const char* what, const std::string& text) {
    std::fprintf(stderr, "kyrvana-sim: invalid %s: %s\n", what, text.c_str());
    return 2;
}

// A whole number within limits, or the exit status for a bad value.
int rangedInteger(const char* what, const char* text, long long lowest, long long highest,
                  long long* number) {
    if (!parseInteger(text, number) || *number < lowest || *number > highest) {
        return invalid(what, text);
    }
    return 0;
}

// One command-line option: whether it takes a value and how it applies it.
// apply returns 0, or the exit status for a bad value.
struct CommandLineOption {
    const char* name;
    bool takesValue;
    int (*apply)(const char* value, Arguments& arguments);
};

const CommandLineOption kOptions[] = {
    {"hardware-type", true,
     [](const char* value, Arguments& arguments) {
         long long number = 0;
         if (const int status = rangedInteger("hardware type", value, 0, 255, &number);
             status != 0) {
             return status;
         }
         arguments.options.hardwareType = static_cast<int>(number);
         return 0;
     }},
    {"firmware-rev", true,
     [](const char* value, Arguments& arguments) {
         if (!isRevision(value)) {
             return invalid("firmware revision", value);
         }
         arguments.options.firmwareRevision = value;
         return 0;
     }},
    {"hardware-rev", true,
     [](const char* value, Arguments& arguments) {
         if (!isRevision(value)) {
             return invalid("hardware revision", value);
         }
         arguments.options.hardwareRevision = value;
         return 0;
     }},
    {"sd-card", true,
     [](const char* value, Arguments& arguments) {
         arguments.options.sdCard = value;
         return 0;
     }},
    {"latency-ms", true,
     [](const char* value, Arguments& arguments) {
         long long number = 0;
         if (const int status = rangedInteger("latency", value, 0, 600000, &number); status != 0) {
             return status;
         }
         arguments.options.latency = std::chrono::milliseconds(number);
         return 0;
     }},
    {"eeprom", true,
     [](const char* value, Arguments& arguments) {
         arguments.options.eepromImage = value;
         return 0;
     }},
    {"run-test", false,
     [](const char*, Arguments& arguments) {
         arguments.options.runTestWhenProgrammed = true;
         return 0;
     }},
    {"sysfs-root", true,
     [](const char* value, Arguments& arguments) {
         arguments.sysfsRoot = value;
         return 0;
     }},
    {"poke-eeprom", true,
     [](const char* value, Arguments& arguments) {
         std::string reason;
         if (const auto poke = kyrvana::sim::parseEepromPoke(value, &reason)) {
             arguments.options.eepromPokes.push_back(*poke);
             return 0;
         }
         return invalid("EEPROM poke", std::string(value) + " (" + reason + ")");
     }},
    {"fault", true,
     [](const char* value, Arguments& arguments) {
         std::string reason;
         if (auto fault = kyrvana::sim::parseFaultRule(value, &reason)) {
             arguments.options.faults.push_back(std::move(*fault));
             return 0;
         }
         return invalid("fault", std::string(value) + " (" + reason + ")");
     }},
    {"second-reader", false,
     [](const char*, Arguments& arguments) {
         arguments.secondReader = true;
         return 0;
     }},
    {"help", false,
     [](const char*, Arguments& arguments) {
         arguments.help = true;
         return 0;
     }},
    {"version", false,
     [](const char*, Arguments& arguments) {
         arguments.version = true;
         return 0;
     }},
};

// getopt_long gives back an option's value field: the table's index above
// every character it returns for itself ('?' for an unknown option).
constexpr int kFirstOptionCode = 256;

// Returns 0 to go on, or the exit status.
int parseArguments(int argc, char** argv, Arguments* arguments) {
    std::vector<option> longOptions;
    for (const CommandLineOption& entry : kOptions) {
        longOptions.push_back({entry.name, entry.takesValue ? required_argument : no_argument,
                               nullptr, kFirstOptionCode + static_cast<int>(longOptions.size())});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    int choice;
    while ((choice = getopt_long(argc, argv, "", longOptions.data(), nullptr)) != -1) {
        const int index = choice - kFirstOptionCode;
        if (index < 0 || index >= static_cast<int>(std::size(kOptions))) {
            std::fputs("Try 'kyrvana-sim --help'.\n", stderr);
            return 2;
        }
        if (const int status = kOptions[index].apply(optarg, *arguments); status != 0) {
            return status;
        }
    }
    if (optind < argc) {
        std::fprintf(stderr, "kyrvana-sim: unexpected argument: %s\n", argv[optind]);
        return 2;
    }
    return 0;
}

void runTest(kyrvana::sim::SimulatedStimulator& simulator, bool quietWhenEmpty) {
    std::filesystem::path written;
    std::string error;
    if (simulator.runTest(&written, &error)) {
        std::fprintf(stderr, "kyrvana-sim: test data written to %s\n", written.c_str());
    } else if (!quietWhenEmpty) {
        std::fprintf(stderr, "kyrvana-sim: no test run: %s\n", error.c_str());
    }
}

// The SD card is a folder: the one given, made when missing, or a new
// temporary one seeded with a few demo data files, which is also put in
// temporaryCard to be removed at exit. False when no folder could be made.
bool prepareSdCard(SimulatorOptions& options, std::filesystem::path* temporaryCard) {
    std::error_code ec;
    if (!options.sdCard.empty()) {
        std::filesystem::create_directories(options.sdCard, ec);
        return true;
    }
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "kyrvana-sim-sd-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("kyrvana-sim: cannot make a temporary SD-card folder");
        return false;
    }
    *temporaryCard = pattern;
    options.sdCard = *temporaryCard;
    std::string error;
    if (!kyrvana::sim::seedSdCard(*temporaryCard, &error)) {
        std::fprintf(stderr, "kyrvana-sim: cannot seed the SD card: %s\n", error.c_str());
    }
    return true;
}

// Plugs the port into the fake sysfs tree, where the program's port list
// finds it as a USB serial port.
bool plugIn(kyrvana::sim::SysfsPortPublisher& publisher, const std::filesystem::path& sysfsRoot,
            const std::string& portPath) {
    std::string error;
    if (!publisher.publish(sysfsRoot, portPath, &error)) {
        std::fprintf(stderr, "kyrvana-sim: cannot publish under %s: %s\n", sysfsRoot.c_str(),
                     error.c_str());
        return false;
    }
    if (publisher.replacedStale()) {
        std::fprintf(stderr,
                     "kyrvana-sim: replaced a port left behind under %s by a "
                     "simulator that is gone\n",
                     sysfsRoot.c_str());
    }
    std::fprintf(stderr, "kyrvana-sim: plugged in as %s\n",
                 (sysfsRoot / "dev" / publisher.options().ttyName).c_str());
    return true;
}

// Serves a started simulator until SIGINT or SIGTERM; SIGUSR1 runs the
// programmed test. Returns the exit status.
int serve(kyrvana::sim::SimulatedStimulator& simulator, const Arguments& arguments,
          const sigset_t& signals) {
    const SimulatorOptions& options = arguments.options;
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "kyrvana-sim: SD card in %s\n", options.sdCard.c_str());
    for (const kyrvana::sim::SimulatorFault& fault : options.faults) {
        std::fprintf(stderr, "kyrvana-sim: fault %s\n", kyrvana::sim::faultRuleText(fault).c_str());
    }
    int status = 0;
    if (arguments.secondReader) {
        if (simulator.setSecondReader(true)) {
            std::fputs("kyrvana-sim: a second reader takes bytes from the port\n", stderr);
        } else {
            std::fputs("kyrvana-sim: cannot open the port for a second reader\n", stderr);
            status = 1;
        }
    }

    kyrvana::sim::SysfsPortPublisher publisher;
    if (!arguments.sysfsRoot.empty() &&
        !plugIn(publisher, arguments.sysfsRoot, simulator.portPath())) {
        status = 1;
    }
    if (status == 0) {
        if (options.runTestWhenProgrammed) {
            runTest(simulator, true);
        }
        int received = 0;
        while (sigwait(&signals, &received) == 0 && received == SIGUSR1) {
            runTest(simulator, false);
        }
    }
    publisher.unpublish();
    simulator.stop();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (const int status = parseArguments(argc, argv, &arguments); status != 0) {
        return status;
    }
    if (arguments.help) {
        std::fputs(kUsageHead, stdout);
        std::fputs(kyrvana::sim::faultRulesHelp().c_str(), stdout);
        std::fputs(kUsageTail, stdout);
        return 0;
    }
    if (arguments.version) {
        std::printf("kyrvana-sim %s\n", kyrvana::kVersion);
        return 0;
    }

    // The serving thread inherits this mask, so the signals reach sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::filesystem::path temporaryCard;
    if (!prepareSdCard(arguments.options, &temporaryCard)) {
        return 1;
    }
    int status = 1;
    {
        kyrvana::sim::SimulatedStimulator simulator(arguments.options);
        std::string error;
        if (simulator.start(&error)) {
            status = serve(simulator, arguments, signals);
        } else {
            std::fprintf(stderr, "kyrvana-sim: %s\n", error.c_str());
        }
    }
    if (!temporaryCard.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(temporaryCard, ec);
    }
    return status;
}
