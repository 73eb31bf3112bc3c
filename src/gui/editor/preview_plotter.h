#pragma once

#include <QObject>
#include <QThreadPool>
#include <memory>
#include <string>
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

// Builds profiles and samples them on a worker thread, so that neither a
// thousand sets nor weeks of cycles hold the window up. One round runs at a
// time, and a newer request replaces one that has not started: a burst of
// wheel turns or keystrokes costs a round or two, not one each. The profile
// is built again only when the inputs changed.
class PreviewPlotter : public QObject {
    Q_OBJECT

  public:
    explicit PreviewPlotter(QObject* parent = nullptr);
    // Drops the rounds not started and waits for the one in progress.
    ~PreviewPlotter() override;

    void request(PlotRequest request);
    // True from a request until its answer has been delivered.
    bool busy() const { return answered_ < requested_; }

    // The last profile built; only the rounds touch it, one at a time.
    struct BuiltProfile;

  signals:
    // On the plotter's thread, in the order of the requests.
    void plotted(const kyrvana::gui::PlotResult& result);

  private:
    QThreadPool pool_;
    std::shared_ptr<BuiltProfile> built_;
    quint64 requested_ = 0;
    quint64 answered_ = 0;
};

}  // namespace kyrvana::gui
