#include "sim/sd_card_seed.h"

#include "sim/sd_card.h"
#include "sim/test_run.h"

namespace kyrvana::sim {

bool seedSdCard(const std::filesystem::path& root, std::string* error) {
    SdCard card(root, 0, true);
    TestRunSetup setup;
    setup.testName = "Demo";
    setup.sequence = parseSequenceText(demoSequenceText());
    bool ok = true;
    const auto put = [&](const std::filesystem::path& relative, const std::string& content) {
        ok = ok && card.writeFile(relative, content, error);
    };
    for (const char* number : {"0001", "0002"}) {
        setup.testNumber = number;
        put(std::filesystem::path("DATA") / testDataFileName(setup.testName, number),
            testDataText(setup));
        // The second test ran with well 6 switched off.
        setup.disabledWells = 0x20;
    }
    put("TEST.INI",
        "[Test]\nName=Demo\nNumber=0003\nHomingDisabled=0\nDisabledWells=0\n"
        "[Sequence]\n" +
            demoSequenceText());
    put("DEMO.TMT", "##HARDWARE\n");
    put("TESTNAME.NAM", "Demo\n");
    put("SYSTEM~1/WPSETT~1.DAT", std::string("\x0c\x00\x00\x00\x9a\x6e\x2b\x61", 8));
    put("SYSTEM~1/INDEXE~1", "{5B1C4E7A-0D2F-4A53-9C1E-7F3A2B6D8E90}");
    return ok;
}

}  // namespace kyrvana::sim
