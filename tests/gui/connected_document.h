#pragma once

// A document connected to a simulated stimulator for GUI tests: the
// simulator runs in-process and is plugged into a private sysfs tree, the
// document's host is the application's Qt host (its boxes answered by a
// recording fake), and the connection is made at once on the test's thread,
// without the request thread, unless a test starts it.

#include <chrono>
#include <memory>
#include <string>

#include "core/document/kyrvana_doc.h"
#include "gui/app/qt_document_host.h"
#include "gui/app/simulated_device.h"
#include "recording_message_boxes.h"

namespace kyrvana::gui {

// Short waits: a test never sits out the device's settling time or a 20 s
// read time-out.
inline DocumentOptions quickDocumentOptions(const std::filesystem::path& sysfsRoot) {
    DocumentOptions options;
    options.sysfsRoot = sysfsRoot;
    options.settleDelay = std::chrono::milliseconds(0);
    options.readTimeoutMs = 2000;
    options.pollInterval = std::chrono::milliseconds(50);
    return options;
}

struct ConnectedDocument {
    explicit ConnectedDocument(sim::SimulatorOptions simulator = {}) : device(simulator) {
        started = device.start(&error);
        host = std::make_unique<QtDocumentHost>(boxes);
        document = std::make_unique<CKyrvanaDoc>(*host, quickDocumentOptions(device.sysfsRoot()));
        host->attach(document.get(), nullptr, nullptr);
    }
    ~ConnectedDocument() {
        host->shutDown();
        document.reset();
    }

    // Connects on the calling thread; true when the device is ready.
    bool connect() {
        return started && document->link().DetectDevice() && document->ConnectDevice() &&
               document->deviceReady();
    }

    RecordingMessageBoxes boxes;
    SimulatedDevice device;
    bool started = false;
    std::string error;
    std::unique_ptr<QtDocumentHost> host;
    std::unique_ptr<CKyrvanaDoc> document;
};

}  // namespace kyrvana::gui
