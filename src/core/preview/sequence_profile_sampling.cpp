// Sampling a profile for drawing: the work depends on the number of points
// asked for and the sets in view, never on the number of repetitions.

#include <algorithm>
#include <cmath>

#include "core/preview/sequence_profile.h"

namespace kyrvana {
namespace {

// Where a repetition spans fewer than this many points, the points carry the
// envelope of the time each stands for; otherwise they are single values with
// the corners of each repetition between them.
constexpr double kPointsPerRepetitionForDetail = 2.0;

struct PieceSampler {
    const ProfileSetShape& shape;
    int well;
    int pass;
    double setStart;  // absolute seconds
    double from;      // the part of the set in view
    double to;
    double step;
    bool envelope;
    std::vector<ProfilePoint>& points;

    void emit(double t, bool right, double cellFrom, double cellTo) const {
        const double local = t - setStart;
        const double value = shape.valueAt(well, pass, local, right);
        ProfilePoint point{t, value, value, value, false, shape.setIndex, shape.quantity};
        if (envelope) {
            ValueRange range = shape.envelope(well, pass, cellFrom - setStart, cellTo - setStart);
            range.include(value);
            point.min = range.min;
            point.max = range.max;
            point.envelope = true;
        }
        points.push_back(point);
    }

    void emitCorner(double t, bool jump) const {
        if (jump) {
            emit(t, false, t, t);
        }
        emit(t, true, t, t);
    }

    // The corners of the repetitions in view, in time order; phases of no
    // duration share their time with the next one.
    std::vector<ProfileSetShape::Corner> cornersInView() const {
        std::vector<ProfileSetShape::Corner> result;
        if (envelope || shape.repetitions <= 0) {
            return result;
        }
        const std::int64_t first = shape.repetitionAt(from - setStart);
        const std::int64_t last = shape.repetitionAt(to - setStart);
        for (std::int64_t k = first; k <= last; ++k) {
            const double repStart = setStart + shape.repetitionStart(k);
            for (const ProfileSetShape::Corner& corner : shape.corners(k)) {
                const double t = repStart + corner.seconds;
                if (t <= from || t >= to) {
                    continue;
                }
                if (!result.empty() && result.back().seconds >= t) {
                    result.back().jump = result.back().jump || corner.jump;
                } else {
                    result.push_back(ProfileSetShape::Corner{t, corner.jump});
                }
            }
        }
        return result;
    }

    // The grid times within the set, merged with its corners.
    void emitInside(double t0) const {
        const double half = step * 0.5;
        const auto gridTime = [&](std::int64_t i) { return t0 + static_cast<double>(i) * step; };
        std::int64_t i = 0;
        if (step > 0.0) {
            i = static_cast<std::int64_t>(std::floor((from - t0) / step));
            while (gridTime(i) <= from) {
                ++i;
            }
        }
        const auto emitGridBefore = [&](double limit) {
            while (step > 0.0 && gridTime(i) < limit && gridTime(i) < to) {
                const double t = gridTime(i);
                emit(t, true, std::max(t - half, from), std::min(t + half, to));
                ++i;
            }
        };
        for (const ProfileSetShape::Corner& corner : cornersInView()) {
            emitGridBefore(corner.seconds);
            // A grid time on the corner itself is the corner.
            if (step > 0.0 &&
                std::abs(gridTime(i) - corner.seconds) < 1e-12 * std::max(1.0, corner.seconds)) {
                ++i;
            }
            emitCorner(corner.seconds, corner.jump);
        }
        emitGridBefore(to);
    }
};

}  // namespace

std::vector<ProfilePoint> SequenceProfile::sample(int well, double t0, double t1,
                                                  int points) const {
    std::vector<ProfilePoint> result;
    if (!wellEnabled(well) || shapes_.empty() || repeatCount_ <= 0) {
        return result;
    }
    t0 = std::max(t0, 0.0);
    t1 = std::min(t1, totalSeconds());
    if (!(t0 <= t1)) {
        return result;
    }
    const int count = std::max(points, 2);
    const auto [firstPass, lastPass] = passesBetween(t0, t1);
    const double pieces = setsInView(t0, t1);
    if (pieces > count) {
        sampleAcrossSets(well, t0, t1, count, result);
        return result;
    }
    const double step = (t1 - t0) / (count - 1);
    result.reserve(static_cast<std::size_t>(count) + 2 * static_cast<std::size_t>(pieces));
    for (int pass = firstPass; pass <= lastPass; ++pass) {
        const int first = pass == firstPass ? setAtOrAfter(t0 - passStart(pass)) : 0;
        const int last = pass == lastPass ? setAtOrBefore(t1 - passStart(pass))
                                          : static_cast<int>(shapes_.size()) - 1;
        for (int i = first; i <= last; ++i) {
            samplePiece(well, pass, shapes_[static_cast<std::size_t>(i)], t0, t1, step, result);
        }
    }
    return result;
}

int SequenceProfile::setAtOrAfter(double local) const {
    // The first set that has not ended before `local`.
    const auto it = std::lower_bound(
        shapes_.begin(), shapes_.end(), local,
        [](const ProfileSetShape& shape, double time) { return shape.endSeconds < time; });
    return static_cast<int>(it - shapes_.begin());
}

int SequenceProfile::setAtOrBefore(double local) const {
    // The last set that has started by `local`.
    const auto it = std::upper_bound(
        shapes_.begin(), shapes_.end(), local,
        [](double time, const ProfileSetShape& shape) { return time < shape.startSeconds; });
    return static_cast<int>(it - shapes_.begin()) - 1;
}

double SequenceProfile::setsInView(double t0, double t1) const {
    const auto [firstPass, lastPass] = passesBetween(t0, t1);
    const auto sets = static_cast<double>(shapes_.size());
    if (firstPass == lastPass) {
        return setAtOrBefore(t1 - passStart(lastPass)) - setAtOrAfter(t0 - passStart(firstPass)) +
               1.0;
    }
    return (sets - setAtOrAfter(t0 - passStart(firstPass))) +
           static_cast<double>(lastPass - firstPass - 1) * sets +
           (setAtOrBefore(t1 - passStart(lastPass)) + 1.0);
}

void SequenceProfile::samplePiece(int well, int pass, const ProfileSetShape& shape, double t0,
                                  double t1, double step, std::vector<ProfilePoint>& points) const {
    const double setStart = passStart(pass) + shape.startSeconds;
    const double from = std::max(setStart, t0);
    const double to = std::min(passStart(pass) + shape.endSeconds, t1);
    // A set that only touches the window at its edge is left to the window's
    // own sets (unless the window is an instant).
    if (to < from || (to == from && shape.durationSeconds() > 0.0 && t1 > t0)) {
        return;
    }
    const bool envelope = shape.repetitions > 1 &&
                          shape.shortestRepetitionSeconds() < kPointsPerRepetitionForDetail * step;
    PieceSampler sampler{shape, well, pass, setStart, from, to, step, envelope, points};
    const double half = step * 0.5;
    // The set's own ends, so that a jump between sets shows as two points at
    // the same time.
    sampler.emit(from, true, from, std::min(from + half, to));
    sampler.emitInside(t0);
    sampler.emit(to, false, std::max(to - half, from), to);
}

std::array<ValueRange, 3> SequenceProfile::rangesBetween(int well, double cellFrom,
                                                         double cellTo) const {
    // The sets cut by the ends of the time count in part; the whole sets
    // between come from the range tables.
    const int lastSet = static_cast<int>(shapes_.size()) - 1;
    std::array<ValueRange, 3> ranges{SetRangeTable::emptyRange(), SetRangeTable::emptyRange(),
                                     SetRangeTable::emptyRange()};
    const auto wholeSets = [&](int pass, int first, int last) {
        for (int q = 0; q < 3; ++q) {
            const ValueRange range = rangeTables_[well][q].query(first, last);
            if (!SetRangeTable::isEmpty(range)) {
                const double shift = pass * passDrift_[q][well];
                ranges[q].include(ValueRange{range.min + shift, range.max + shift});
            }
        }
    };
    const auto partOfSet = [&](int pass, int index, double from, double to) {
        const ProfileSetShape& shape = shapes_[static_cast<std::size_t>(index)];
        const double a = std::max(from - shape.startSeconds, 0.0);
        const double b = std::min(to - shape.startSeconds, shape.durationSeconds());
        if (a <= b) {
            ranges[static_cast<int>(shape.quantity)].include(shape.envelope(well, pass, a, b));
        }
    };
    const auto [firstPass, lastPass] = passesBetween(cellFrom, cellTo);
    const double from = cellFrom - passStart(firstPass);
    const double to = cellTo - passStart(lastPass);
    // The set running at each end of the cell.
    const int first = setAtOrAfter(from);
    const int last = setAtOrBefore(to);
    if (firstPass == lastPass) {
        partOfSet(firstPass, std::min(first, lastSet), from, to);
        partOfSet(firstPass, std::max(last, 0), from, to);
        wholeSets(firstPass, first + 1, last - 1);
    } else {
        partOfSet(firstPass, std::min(first, lastSet), from, passSeconds_);
        wholeSets(firstPass, first + 1, lastSet);
        wholeSets(lastPass, 0, last - 1);
        partOfSet(lastPass, std::max(last, 0), 0.0, to);
        if (lastPass - firstPass >= 2) {
            // Whole passes between move linearly with the pass number.
            wholeSets(firstPass + 1, 0, lastSet);
            wholeSets(lastPass - 1, 0, lastSet);
        }
    }
    return ranges;
}

void SequenceProfile::sampleAcrossSets(int well, double t0, double t1, int count,
                                       std::vector<ProfilePoint>& points) const {
    // More sets in view than points: each point stands for the time around
    // it, across whatever sets and passes that holds, with one point per
    // quantity found there.
    const double step = (t1 - t0) / (count - 1);
    const double half = step * 0.5;
    for (int i = 0; i < count; ++i) {
        const double t = t0 + i * step;
        const std::array<ValueRange, 3> ranges =
            rangesBetween(well, std::max(t - half, t0), std::min(t + half, t1));
        int pass = 0;
        double local = 0.0;
        const ProfileSetShape* here = shapeAt(t, &pass, &local);
        for (int q = 0; q < 3; ++q) {
            if (SetRangeTable::isEmpty(ranges[q])) {
                continue;
            }
            const bool atTime = here != nullptr && static_cast<int>(here->quantity) == q;
            const double value = atTime ? here->valueAt(well, pass, local - here->startSeconds)
                                        : (ranges[q].min + ranges[q].max) * 0.5;
            points.push_back(ProfilePoint{
                t, value, std::min(ranges[q].min, value), std::max(ranges[q].max, value), true,
                atTime ? here->setIndex : firstSetOf_[q], static_cast<ProfileQuantity>(q)});
        }
    }
}

}  // namespace kyrvana
