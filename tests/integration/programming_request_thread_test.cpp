// Program Device, Verify Device and Read Device as the menu starts them: a
// posted request, carried out on the document's request thread, which found
// the simulated stimulator through a fake sysfs tree.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "core/device/command_ids.h"
#include "core/programming/device_programming.h"
#include "integration/programming_sim_support.h"
#include "sim/sysfs_port_publisher.h"
#include "support/log_capture.h"
#include "support/wait_until.h"

namespace kyrvana {
namespace {

using namespace std::chrono_literals;
using test_support::waitUntil;

bool paneHas(const SequenceViewModel& view, const char* text) {
    return view.messagePane.find(text) != std::string::npos;
}

TEST(ProgrammingRequestThreadTest, MenuRequestsRunOnTheRequestThread) {
    test::LogCapture log;
    test_support::RunningSimulator device;
    ASSERT_TRUE(device.ok()) << device.error();
    char pattern[] = "/tmp/kyrvana-sysfs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path root = pattern;
    sim::SysfsPortPublisher publisher;
    std::string error;
    ASSERT_TRUE(publisher.publish(root, device.portPath(), &error)) << error;

    test_support::RecordingHost host;
    DocumentOptions options = test::simulatorDocumentOptions();
    options.sysfsRoot = root;
    options.pollInterval = 50ms;
    {
        CKyrvanaDoc document(host, options);
        installDeviceProgramming(document);
        document.StartRequestThread();
        ASSERT_TRUE(waitUntil([&] { return document.connected(); }));

        const Protocol programmed = test::tenSetSequence();
        test::prepareView(host, programmed, "2", "Threaded", false);
        document.PostRequest(kRequestProgramDevice);
        ASSERT_TRUE(waitUntil([&] { return paneHas(host.view(), "Programming Device"); }));
        ASSERT_TRUE(waitUntil([&] { return document.pendingRequest() == kRequestIdle; }));

        document.PostRequest(kRequestVerifyDevice);
        ASSERT_TRUE(waitUntil([&] { return paneHas(host.view(), "Device matches the sequence"); }));
        ASSERT_TRUE(waitUntil([&] { return document.pendingRequest() == kRequestIdle; }));

        document.update(
            [](Protocol& sequence, HardwareSettings&, DisabledWells&) { sequence.clear(); });
        document.PostRequest(kRequestReadDevice);
        ASSERT_TRUE(waitUntil([&] { return paneHas(host.view(), "Reading Device"); }));
        EXPECT_EQ(document.sequence().setCount(), 10);
        EXPECT_EQ(host.view().workingSequence.setCount(), 10);
        document.StopRequestThread();
    }
    publisher.unpublish();
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kyrvana
