// The preloads of a profile as markers: found by jumping from one to the
// next, so that a set preloading in each of millions of repetitions costs no
// more than the markers shown.

#include <algorithm>
#include <cmath>

#include "core/common/c_locale_text.h"
#include "core/preview/sequence_profile.h"

namespace kyrvana {

std::optional<SequenceProfile::PreloadAt> SequenceProfile::nextPreload(double seconds) const {
    if (shapes_.empty() || repeatCount_ <= 0 || nextPreloadingSet_.front() < 0) {
        return std::nullopt;
    }
    int pass = passesBetween(seconds, seconds).first;
    const double local = seconds - passStart(pass);
    // The set running at that time (or the first after it).
    auto index = static_cast<std::size_t>(setAtOrAfter(local));
    if (index < shapes_.size()) {
        const ProfileSetShape& shape = shapes_[index];
        const double inSet = std::max(local - shape.startSeconds, 0.0);
        std::int64_t k = shape.repetitionAt(inSet);
        if (shape.repetitionStart(k) < inSet) {
            ++k;
        }
        if (k < shape.repetitions && shape.preloads(k)) {
            return PreloadAt{&shape, pass, k,
                             passStart(pass) + shape.startSeconds + shape.repetitionStart(k)};
        }
        ++index;
    }
    // The first repetition of the next set that preloads, in this pass or
    // the next.
    int next = nextPreloadingSet_[index];
    if (next < 0) {
        if (++pass >= repeatCount_) {
            return std::nullopt;
        }
        next = nextPreloadingSet_.front();
    }
    const ProfileSetShape& shape = shapes_[static_cast<std::size_t>(next)];
    return PreloadAt{&shape, pass, 0, passStart(pass) + shape.startSeconds};
}

std::vector<ProfileMarker> SequenceProfile::markers(double t0, double t1, int maxCount) const {
    std::vector<ProfileMarker> result;
    t0 = std::max(t0, 0.0);
    t1 = std::min(t1, totalSeconds());
    if (!(t0 <= t1) || maxCount <= 0) {
        return result;
    }
    const double stretch = (t1 - t0) / maxCount;
    double from = t0;
    for (int found = 0; found < maxCount; ++found) {
        const std::optional<PreloadAt> preload = nextPreload(from);
        if (!preload || preload->seconds > t1) {
            break;
        }
        const ProfileSetShape& shape = *preload->shape;
        for (int w = 0; w < kWellCount; ++w) {
            if (!enabled_[w] || shape.preloadMilliNewtons[w] == 0.0) {
                continue;
            }
            ProfileMarker marker;
            marker.seconds = preload->seconds;
            marker.well = w;
            marker.setIndex = shape.setIndex;
            // The actuator presses where the repetition starts.
            marker.value = shape.base(w, preload->pass, preload->repetition);
            marker.preloadMilliNewtons = shape.preloadMilliNewtons[w];
            marker.label = cFormat("Preload %.1f mN", shape.preloadMilliNewtons[w]);
            result.push_back(std::move(marker));
        }
        if (stretch <= 0.0) {
            break;
        }
        // On to the next stretch of time.
        from = t0 + (std::floor((preload->seconds - t0) / stretch) + 1.0) * stretch;
    }
    return result;
}

}  // namespace kyrvana
