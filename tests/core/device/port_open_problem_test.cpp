// Telling why a port could not be opened, from what the system says when the
// port is opened again.

#include "core/device/port_open_problem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temporary_folder.h"

namespace kyrvana {
namespace {

TEST(PortOpenProblemTest, TellsAPortThatIsGoneFromOneThatIsNoSerialPort) {
    test_support::TemporaryFolder folder;
    std::ofstream(folder.file("capture.csv")) << "Time,Force\n";
    std::filesystem::create_directory(folder.path() / "serial");
    const struct {
        std::string port;
        PortOpenProblem problem;
        const char* says;
    } cases[] = {
        {folder.file("ttyACM7"), PortOpenProblem::Gone,
         "the stimulator is unplugged or switched off, or the name is wrong.\n"},
        {folder.file("capture.csv"), PortOpenProblem::NotATerminal, " is not a serial port"},
        {folder.file("serial"), PortOpenProblem::NotATerminal, " is not a serial port"},
        {"/dev/null", PortOpenProblem::NotATerminal, " is not a serial port"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(diagnosePortOpen(c.port), c.problem) << c.port;
        const std::string text = portOpenProblemText(c.problem, c.port, true);
        EXPECT_NE(text.find(c.port), std::string::npos) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
    }
    EXPECT_EQ(diagnosePortOpen(""), PortOpenProblem::Other);
    EXPECT_EQ(portOpenProblemText(PortOpenProblem::Other, "/dev/ttyACM0", true), "");
}

}  // namespace
}  // namespace kyrvana
