#include "cli/identify_command.h"

#include <cstdio>

#include "cli/cli_device.h"
#include "cli/cli_host.h"
#include "core/common/c_locale_text.h"
#include "core/document/kyrvana_doc.h"

namespace kyrvana::cli {
namespace {

// The revision as the device writes it: two decimals, a third one only when
// the revision has it (4600 -> 4.60, 4595 -> 4.595).
std::string revisionText(int revisionTimes1000) {
    const double revision = revisionTimes1000 / 1000.0;
    return revisionTimes1000 % 10 == 0 ? cFormat("%.2f", revision) : cFormat("%.3f", revision);
}

int runIdentify(const CliOptions& options) {
    CliHost host;
    CKyrvanaDoc document(host, documentOptions(options));
    if (connectDevice(document, options) != kExitSuccess) {
        return kExitFailure;
    }
    const SequenceViewModel view = host.view();
    const std::string text = identityText(document.link(), view.testName, view.testNumber);
    document.DisconnectDevice();
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fputs("kyrvana-cli: cannot write to standard output\n", stderr);
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

std::string identityText(const DeviceLink& link, const std::string& testName,
                         const std::string& testNumber) {
    std::string text = "Port\t" + link.portName + "\n";
    for (std::size_t i = 0; i < link.revisions.size(); ++i) {
        text += cFormat("Revision %zu\t", i) + link.revisions[i] + "\n";
    }
    text += std::string("Model\t") + modelName(hardwareModel(link.hardwareType)) + "\n";
    text += cFormat("Hardware type\t%d\n", link.hardwareType);
    text += cFormat("Hardware revision\t%d\n", link.hardwareRevision);
    text += "Firmware revision\t" + revisionText(link.firmwareRevision) + "\n";
    text += "Test name\t" + testName + "\n";
    text += "Test number\t" + testNumber + "\n";
    text += "Well\tFull scale load (N)\tLoad cell gain\tLoad cell zero\tum per microstep\n";
    for (std::size_t well = 0; well < kWellCount; ++well) {
        text += cFormat("%zu\t", well + 1) + cDefaultFloatText(link.fullScaleLoad[well]) + "\t" +
                cDefaultFloatText(link.loadCellGain[well]) + "\t" +
                cFormat("%d", link.loadCellZero[well]) + "\t" +
                cDefaultFloatText(link.umPerUstep[well]) + "\n";
    }
    return text;
}

void addIdentifyCommand(CLI::App& app, CliOptions& options) {
    CLI::App* identify = app.add_subcommand(
        "identify", "Connect to the stimulator as the program does and print its identity");
    identify->callback([&options] { options.exitStatus = runIdentify(options); });
}

}  // namespace kyrvana::cli
