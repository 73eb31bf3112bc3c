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
    : QObject(parent), built_(std::make_unique<BuiltProfile>()) {}

PreviewPlotter::~PreviewPlotter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
    // Deliveries the worker queued and the GUI thread has not run yet are
    // removed with this object by QObject's destructor, so no answer
    // reaches a plotter that is gone.
}

void PreviewPlotter::request(PlotRequest request) {
    const quint64 number = ++requested_;
    {
        const std::lock_guard lock(mutex_);
        pending_.emplace(number, std::move(request));
    }
    wake_.notify_one();
    if (!worker_.joinable()) {
        worker_ = std::thread([this] { work(); });
    }
}

void PreviewPlotter::work() {
    for (;;) {
        std::pair<quint64, PlotRequest> next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
            if (stopping_) {
                return;
            }
            next = std::move(*pending_);
            pending_.reset();
        }
        PlotResult result = plotRound(*built_, next.second);
        {
            const std::lock_guard lock(mutex_);
            finished_.emplace_back(next.first, std::move(result));
        }
        // The queued call carries no data: the answer crosses under our own
        // mutex, whose ordering every thread (and the thread checker) sees,
        // and Qt only wakes the plotter's thread to collect it.
        QMetaObject::invokeMethod(this, "deliverFinished", Qt::QueuedConnection);
    }
}

void PreviewPlotter::deliverFinished() {
    for (;;) {
        std::pair<quint64, PlotResult> answer;
        {
            const std::lock_guard lock(mutex_);
            if (finished_.empty()) {
                return;
            }
            answer = std::move(finished_.front());
            finished_.pop_front();
        }
        answered_ = std::max(answered_, answer.first);
        emit plotted(answer.second);
    }
}

}  // namespace kyrvana::gui
