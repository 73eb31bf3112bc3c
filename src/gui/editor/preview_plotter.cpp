#include "gui/editor/preview_plotter.h"

#include <algorithm>

namespace kyrvana::gui {

struct PreviewPlotter::BuiltProfile {
    ProfileInputs inputs;
    std::shared_ptr<const SequenceProfile> profile;
};

namespace {

PlotResult plotRound(PreviewPlotter::BuiltProfile& built, const PlotRequest& request) {
    if (!built.profile || !sameProfileInputs(built.inputs, request.inputs)) {
        built.inputs = request.inputs;
        built.profile = std::make_shared<const SequenceProfile>(request.inputs);
    }
    PlotResult result;
    result.profile = built.profile;
    for (const SetRecord& set : request.inputs.sequence.sets) {
        result.setNames.push_back(set.name);
    }
    const double total = std::max(0.0, result.profile->totalSeconds());
    result.whole = request.whole || request.to > total || request.from >= request.to;
    const double from = result.whole ? 0.0 : request.from;
    const double to = result.whole ? total : request.to;
    if (to > from) {
        result.plot = buildPreviewPlot(*result.profile, from, to, request.points);
    } else {
        result.plot.from = from;
        result.plot.to = to;
    }
    return result;
}

}  // namespace

bool sameProfileInputs(const ProfileInputs& a, const ProfileInputs& b) {
    return a.sequence == b.sequence && a.repeatCount == b.repeatCount &&
           a.disabledWells.flags == b.disabledWells.flags && a.hardwareType == b.hardwareType &&
           a.fullScaleLoads == b.fullScaleLoads;
}

PreviewPlotter::PreviewPlotter(QObject* parent)
    : QObject(parent), built_(std::make_shared<BuiltProfile>()) {
    pool_.setMaxThreadCount(1);
}

PreviewPlotter::~PreviewPlotter() {
    pool_.clear();
    pool_.waitForDone();
}

void PreviewPlotter::request(PlotRequest request) {
    const quint64 number = ++requested_;
    pool_.clear();
    pool_.start([this, built = built_, request = std::move(request), number] {
        PlotResult result = plotRound(*built, request);
        // The plotter outlives every round (its destructor waits), and a
        // call still queued when it goes is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, number, result = std::move(result)] {
                answered_ = std::max(answered_, number);
                emit plotted(result);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace kyrvana::gui
