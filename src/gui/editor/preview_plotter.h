#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/preview/sequence_profile.h"
#include "gui/editor/preview_plot.h"

namespace kyrvana::gui {

// True when two sets of inputs give the same profile.
bool sameProfileInputs(const ProfileInputs& a, const ProfileInputs& b);

// What the chart asks to have drawn.
struct PlotRequest {
    ProfileInputs inputs;
    // The range wanted, in seconds. The whole profile is drawn instead when
    // `whole` is set or when the profile does not reach that far (an edit
    // made it shorter).
    double from = 0.0;
    double to = 0.0;
    bool whole = true;
    int points = 1000;
};

// What comes back: the profile of the request's inputs, the names of its
// sets, and its plot over the range drawn.
struct PlotResult {
    std::shared_ptr<const SequenceProfile> profile;
    std::vector<std::string> setNames;
    PreviewPlot plot;
    bool whole = true;
};

// Builds profiles and samples them on a worker thread of its own, so that
// neither a thousand sets nor weeks of cycles hold the window up. One round
// runs at a time, and a newer request replaces one that has not started: a
// burst of wheel turns or keystrokes costs a round or two, not one each. The
// profile is built again only when the inputs changed.
class PreviewPlotter : public QObject {
    Q_OBJECT

  public:
    explicit PreviewPlotter(QObject* parent = nullptr);
    // Drops the request not started, waits for the round in progress and
    // ends the worker; answers not yet delivered are dropped with the plotter.
    ~PreviewPlotter() override;

    void request(PlotRequest request);
    // True from a request until its answer has been delivered.
    bool busy() const { return answered_ < requested_; }

    // The last profile built; only the worker touches it.
    struct BuiltProfile;

  signals:
    // On the plotter's thread, in the order of the requests.
    void plotted(const kyrvana::gui::PlotResult& result);

  private:
    // Runs on the plotter's thread: emits the answers the worker finished.
    Q_INVOKABLE void deliverFinished();
    void work();

    // The GUI thread's bookkeeping (never touched by the worker).
    quint64 requested_ = 0;
    quint64 answered_ = 0;

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<quint64, PlotRequest>> pending_;
    std::deque<std::pair<quint64, PlotResult>> finished_;
    bool stopping_ = false;

    std::unique_ptr<BuiltProfile> built_;
    // Started with the first request, joined by the destructor.
    std::thread worker_;
};

}  // namespace kyrvana::gui
