// kyrvana-sim: a simulated stimulator on a pseudo-terminal, for trying the
// program without hardware. Prints the path of its port as the first line of
// standard output and answers on it until SIGINT or SIGTERM.

#include <getopt.h>
#include <signal.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

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

// Returns 0 to go on, or the exit status.
int parseArguments(int argc, char** argv, Arguments* arguments) {
    enum {
        kHardwareType = 1,
        kFirmwareRev,
        kHardwareRev,
        kSdCard,
        kLatency,
        kEeprom,
        kRunTest,
        kSysfsRoot,
        kPokeEeprom,
        kFault,
        kSecondReader,
        kHelp,
        kShowVersion
    };
    static const option kOptions[] = {
        {"hardware-type", required_argument, nullptr, kHardwareType},
        {"firmware-rev", required_argument, nullptr, kFirmwareRev},
        {"hardware-rev", required_argument, nullptr, kHardwareRev},
        {"sd-card", required_argument, nullptr, kSdCard},
        {"latency-ms", required_argument, nullptr, kLatency},
        {"eeprom", required_argument, nullptr, kEeprom},
        {"run-test", no_argument, nullptr, kRunTest},
        {"sysfs-root", required_argument, nullptr, kSysfsRoot},
        {"poke-eeprom", required_argument, nullptr, kPokeEeprom},
        {"fault", required_argument, nullptr, kFault},
        {"second-reader", no_argument, nullptr, kSecondReader},
        {"help", no_argument, nullptr, kHelp},
        {"version", no_argument, nullptr, kShowVersion},
        {nullptr, 0, nullptr, 0},
    };
    SimulatorOptions& options = arguments->options;
    const auto bad = [](const char* what, const char* text) {
        std::fprintf(stderr, "kyrvana-sim: invalid %s: %s\n", what, text);
        return 2;
    };
    int choice;
    while ((choice = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
        long long number = 0;
        std::string reason;
        switch (choice) {
            case kHardwareType:
                if (!parseInteger(optarg, &number) || number < 0 || number > 255) {
                    return bad("hardware type", optarg);
                }
                options.hardwareType = static_cast<int>(number);
                break;
            case kFirmwareRev:
                if (!isRevision(optarg)) {
                    return bad("firmware revision", optarg);
                }
                options.firmwareRevision = optarg;
                break;
            case kHardwareRev:
                if (!isRevision(optarg)) {
                    return bad("hardware revision", optarg);
                }
                options.hardwareRevision = optarg;
                break;
            case kSdCard:
                options.sdCard = optarg;
                break;
            case kLatency:
                if (!parseInteger(optarg, &number) || number < 0 || number > 600000) {
                    return bad("latency", optarg);
                }
                options.latency = std::chrono::milliseconds(number);
                break;
            case kEeprom:
                options.eepromImage = optarg;
                break;
            case kRunTest:
                options.runTestWhenProgrammed = true;
                break;
            case kSysfsRoot:
                arguments->sysfsRoot = optarg;
                break;
            case kPokeEeprom:
                if (const auto poke = kyrvana::sim::parseEepromPoke(optarg, &reason)) {
                    options.eepromPokes.push_back(*poke);
                    break;
                }
                return bad("EEPROM poke", (std::string(optarg) + " (" + reason + ")").c_str());
            case kFault:
                if (auto fault = kyrvana::sim::parseFaultRule(optarg, &reason)) {
                    options.faults.push_back(std::move(*fault));
                    break;
                }
                return bad("fault", (std::string(optarg) + " (" + reason + ")").c_str());
            case kSecondReader:
                arguments->secondReader = true;
                break;
            case kHelp:
                arguments->help = true;
                break;
            case kShowVersion:
                arguments->version = true;
                break;
            default:
                std::fputs("Try 'kyrvana-sim --help'.\n", stderr);
                return 2;
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
    SimulatorOptions& options = arguments.options;
    if (options.sdCard.empty()) {
        std::error_code ec;
        std::string pattern =
            (std::filesystem::temp_directory_path(ec) / "kyrvana-sim-sd-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("kyrvana-sim: cannot make a temporary SD-card folder");
            return 1;
        }
        temporaryCard = pattern;
        options.sdCard = temporaryCard;
        std::string error;
        if (!kyrvana::sim::seedSdCard(temporaryCard, &error)) {
            std::fprintf(stderr, "kyrvana-sim: cannot seed the SD card: %s\n", error.c_str());
        }
    } else {
        std::error_code ec;
        std::filesystem::create_directories(options.sdCard, ec);
    }

    int status = 0;
    {
        kyrvana::sim::SimulatedStimulator simulator(options);
        std::string error;
        if (!simulator.start(&error)) {
            std::fprintf(stderr, "kyrvana-sim: %s\n", error.c_str());
            status = 1;
        } else {
            std::printf("%s\n", simulator.portPath().c_str());
            std::fflush(stdout);
            std::fprintf(stderr, "kyrvana-sim: SD card in %s\n", options.sdCard.c_str());
            for (const kyrvana::sim::SimulatorFault& fault : options.faults) {
                std::fprintf(stderr, "kyrvana-sim: fault %s\n",
                             kyrvana::sim::faultRuleText(fault).c_str());
            }
            if (arguments.secondReader) {
                if (simulator.setSecondReader(true)) {
                    std::fputs("kyrvana-sim: a second reader takes bytes from the port\n", stderr);
                } else {
                    std::fputs("kyrvana-sim: cannot open the port for a second reader\n", stderr);
                    status = 1;
                }
            }

            kyrvana::sim::SysfsPortPublisher publisher;
            if (!arguments.sysfsRoot.empty()) {
                if (publisher.publish(arguments.sysfsRoot, simulator.portPath(), &error)) {
                    if (publisher.replacedStale()) {
                        std::fprintf(stderr,
                                     "kyrvana-sim: replaced a port left behind under %s by a "
                                     "simulator that is gone\n",
                                     arguments.sysfsRoot.c_str());
                    }
                    std::fprintf(
                        stderr, "kyrvana-sim: plugged in as %s\n",
                        (arguments.sysfsRoot / "dev" / publisher.options().ttyName).c_str());
                } else {
                    std::fprintf(stderr, "kyrvana-sim: cannot publish under %s: %s\n",
                                 arguments.sysfsRoot.c_str(), error.c_str());
                    status = 1;
                }
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
        }
    }
    if (!temporaryCard.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(temporaryCard, ec);
    }
    return status;
}
