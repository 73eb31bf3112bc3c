#include "core/preview/sequence_profile.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/common/c_locale_text.h"
#include "core/common/saturating_cast.h"
#include "core/device/device_vocabulary.h"
#include "core/editor/set_limits.h"
#include "core/protocol/enumeration_texts.h"
#include "core/protocol/sequence_totals.h"

namespace kyrvana {
namespace {

constexpr int kQuantityCount = 3;

int quantityIndex(ProfileQuantity quantity) {
    return static_cast<int>(quantity);
}

bool isForceUnit(UnitsCode unit) {
    return unit == UnitsCode::Millinewtons || unit == UnitsCode::Micronewtons ||
           unit == UnitsCode::Newtons;
}

// The unit a set's magnitudes are in. A force set keeps a force unit and is
// otherwise in millinewtons, as the set editor enters it: protocol files do
// not store the unit, so a force set read from one still holds the default
// micrometres. A unit the program does not know counts as micrometres.
UnitsCode magnitudeUnit(const SetRecord& set) {
    const UnitsCode unit = set.units[0];
    if (set.mode[0] == ControlMode::Force) {
        return isForceUnit(unit) ? unit : UnitsCode::Millinewtons;
    }
    switch (unit) {
        case UnitsCode::Percent:
        case UnitsCode::Micrometres:
        case UnitsCode::Millimetres:
        case UnitsCode::Millinewtons:
        case UnitsCode::Micronewtons:
        case UnitsCode::Newtons:
            return unit;
        case UnitsCode::Unknown:
            break;
    }
    return UnitsCode::Micrometres;
}

ProfileQuantity quantityOf(UnitsCode unit) {
    if (unit == UnitsCode::Percent) {
        return ProfileQuantity::Strain;
    }
    return isForceUnit(unit) ? ProfileQuantity::Force : ProfileQuantity::Displacement;
}

// The size of one unit in micrometres, per cent or millinewtons.
double unitSize(UnitsCode unit) {
    switch (unit) {
        case UnitsCode::Millimetres:
        case UnitsCode::Newtons:
            return 1000.0;
        case UnitsCode::Micronewtons:
            return 0.001;
        case UnitsCode::Percent:
        case UnitsCode::Micrometres:
        case UnitsCode::Millinewtons:
        case UnitsCode::Unknown:
            break;
    }
    return 1.0;
}

bool beyond(double value, double limit, bool above) {
    const double slack = 1e-9 * std::max(1.0, std::abs(limit));
    return above ? value > limit + slack : value < limit - slack;
}

}  // namespace

const char* profileQuantityName(ProfileQuantity quantity) {
    switch (quantity) {
        case ProfileQuantity::Strain:
            return "Strain";
        case ProfileQuantity::Force:
            return "Force";
        case ProfileQuantity::Displacement:
            break;
    }
    return "Displacement";
}

SequenceProfile::SequenceProfile(ProfileInputs inputs)
    : repeatCount_(std::max(inputs.repeatCount, 0)),
      hardwareType_(inputs.hardwareType),
      fullScaleLoads_(inputs.fullScaleLoads) {
    for (int w = 0; w < kWellCount; ++w) {
        enabled_[w] = inputs.disabledWells.flags[w] == 0;
    }
    layOutSets(inputs.sequence);
    carryRunningPositions();
    buildRangeTables();
    nextPreloadingSet_.assign(shapes_.size() + 1, -1);
    for (std::size_t i = shapes_.size(); i-- > 0;) {
        const bool preloads = shapes_[i].repetitions > 0 && shapes_[i].preloads(0);
        nextPreloadingSet_[i] = preloads ? static_cast<int>(i) : nextPreloadingSet_[i + 1];
    }
    buildLimits();
    for (const ProfileSetShape& shape : shapes_) {
        spans_.push_back(spanOf(shape, 0));
        firstCrossingPass_.push_back(firstCrossingPass(shape));
    }
}

void SequenceProfile::layOutSets(const Protocol& sequence) {
    // Set by set in the order the total time adds them, so that one pass
    // ends exactly where the total time says.
    double elapsed = 0.0;
    for (int i = 0; i < sequence.setCount(); ++i) {
        const SetRecord& set = sequence.sets[static_cast<std::size_t>(i)];
        ProfileSetShape shape = makeSetShape(set, i);
        const UnitsCode unit = magnitudeUnit(set);
        shape.quantity = quantityOf(unit);
        const double setMs = static_cast<double>(shape.repetitions) *
                                 (static_cast<double>(std::max(set.stretchDurationMs, 0)) +
                                  static_cast<double>(std::max(set.holdTimeMs, 0)) +
                                  static_cast<double>(std::max(set.recoveryDurationMs, 0)) +
                                  static_cast<double>(std::max(set.restTimeMs, 0))) +
                             preloadExtra(sequence, i);
        shape.startSeconds = elapsed;
        elapsed += setMs * 0.001;
        shape.endSeconds = elapsed;
        // Magnitudes in the unit of the first set of the same quantity.
        const int q = quantityIndex(shape.quantity);
        if (units_[q].empty()) {
            units_[q] = std::string(formatUnits(unit));
            firstSetOf_[q] = i;
            unitSizes_[q] = unitSize(unit);
        }
        for (double& magnitude : shape.magnitude) {
            magnitude *= unitSize(unit) / unitSizes_[q];
        }
        spanUnits_.emplace_back(formatUnits(unit));
        shapes_.push_back(shape);
    }
    passSeconds_ = elapsed;
}

void SequenceProfile::carryRunningPositions() {
    // Each quantity has its own running position per well; one-way sets move
    // it for the sets after them, and a pass moves it for the next pass.
    std::array<std::array<double, kWellCount>, kQuantityCount> position{};
    for (ProfileSetShape& shape : shapes_) {
        const int q = quantityIndex(shape.quantity);
        for (int w = 0; w < kWellCount; ++w) {
            shape.startPosition[w] = position[q][w];
            position[q][w] = shape.endPosition(w, 0);
        }
    }
    passDrift_ = position;
    for (ProfileSetShape& shape : shapes_) {
        shape.passDrift = position[quantityIndex(shape.quantity)];
        shape.cacheWholeRange();
    }
}

void SequenceProfile::buildRangeTables() {
    for (int w = 0; w < kWellCount; ++w) {
        for (int q = 0; q < kQuantityCount; ++q) {
            if (!enabled_[w] || units_[q].empty()) {
                continue;
            }
            std::vector<ValueRange> ranges;
            for (const ProfileSetShape& shape : shapes_) {
                ranges.push_back(quantityIndex(shape.quantity) == q ? shape.wholeRange[w]
                                                                    : SetRangeTable::emptyRange());
            }
            rangeTables_[w][q] = SetRangeTable(ranges);
        }
    }
}

void SequenceProfile::buildLimits() {
    if (usesQuantity(ProfileQuantity::Displacement)) {
        const double size = unitSizes_[quantityIndex(ProfileQuantity::Displacement)];
        travel_ = maximumMagnitude(0, hardwareType_, 0.0f) / size;
        ProfileLimitBand band;
        band.quantity = ProfileQuantity::Displacement;
        band.low = 0.0;
        band.high = travel_;
        band.label = cFormat("Start position to actuator travel (%g %s)", travel_,
                             unitOf(ProfileQuantity::Displacement).c_str());
        limits_.push_back(band);
    }
    if (usesQuantity(ProfileQuantity::Force) && fullScaleLoads_) {
        const double size = unitSizes_[quantityIndex(ProfileQuantity::Force)];
        for (int w = 0; w < kWellCount; ++w) {
            if (!enabled_[w]) {
                continue;
            }
            // The load cell's full scale is in newtons.
            const double full = static_cast<double>((*fullScaleLoads_)[w]) * 1000.0 / size;
            fullScale_[w] = full;
            ProfileLimitBand band;
            band.quantity = ProfileQuantity::Force;
            band.well = w;
            band.low = -full;
            band.high = full;
            band.label = cFormat("Well %d load cell full scale (%g %s)", w + 1, full,
                                 unitOf(ProfileQuantity::Force).c_str());
            limits_.push_back(band);
        }
    }
}

std::vector<SequenceProfile::LimitTest> SequenceProfile::limitTests(
    const ProfileSetShape& shape) const {
    std::vector<LimitTest> tests;
    for (int w = 0; w < kWellCount; ++w) {
        if (!enabled_[w]) {
            continue;
        }
        const ValueRange range = shape.wholeEnvelope(w, 0);
        const double slope = shape.passDrift[w];
        if (shape.quantity == ProfileQuantity::Displacement) {
            // The stretching hardware may move below its start within a
            // repetition (a negative magnitude); no hardware may end a
            // repetition there.
            const double lowest = stretches(hardwareType_)
                                      ? std::min(shape.base(w, 0, 0), shape.endPosition(w, 0))
                                      : range.min;
            tests.push_back({w, lowest, slope, 0.0, false, "goes below its start position"});
            tests.push_back(
                {w, range.max, slope, travel_, true, "goes beyond the actuator's travel"});
        } else if (shape.quantity == ProfileQuantity::Force && fullScaleLoads_) {
            const char* what = "goes beyond its load cell's full scale";
            tests.push_back({w, range.max, slope, fullScale_[w], true, what});
            tests.push_back({w, range.min, slope, -fullScale_[w], false, what});
        }
    }
    return tests;
}

std::string SequenceProfile::limitReason(const ProfileSetShape& shape, int pass) const {
    std::string reason;
    const LimitTest* last = nullptr;
    for (const LimitTest& test : limitTests(shape)) {
        if (!test.crossedIn(pass)) {
            continue;
        }
        // A well's load cell is named once, whichever side it leaves.
        if (last == nullptr || last->well != test.well || last->what != test.what) {
            reason += cFormat("%sWell %d %s", reason.empty() ? "" : "; ", test.well + 1, test.what);
        }
        last = &test;
    }
    return reason;
}

bool SequenceProfile::LimitTest::crossedIn(std::int64_t pass) const {
    return beyond(value + static_cast<double>(pass) * slope, limit, above);
}

int SequenceProfile::firstCrossingPass(const ProfileSetShape& shape) const {
    // Each test moves linearly with the pass: solve for the first pass that
    // crosses, then step over rounding.
    std::int64_t first = repeatCount_;
    for (const LimitTest& test : limitTests(shape)) {
        std::int64_t pass = 0;
        if (!test.crossedIn(0)) {
            const bool toward = test.above ? test.slope > 0.0 : test.slope < 0.0;
            if (!toward) {
                continue;
            }
            pass = saturatingCast<std::int64_t>(
                std::max(std::ceil((test.limit - test.value) / test.slope), 0.0));
            for (int step = 0; step < 2 && pass < first && !test.crossedIn(pass); ++step) {
                ++pass;
            }
        }
        if (pass < first && test.crossedIn(pass)) {
            first = pass;
        }
    }
    return first < repeatCount_ ? static_cast<int>(first) : -1;
}

ProfileSetSpan SequenceProfile::spanOf(const ProfileSetShape& shape, int pass) const {
    ProfileSetSpan span;
    span.setIndex = shape.setIndex;
    span.sequenceRepeat = pass;
    const double offset = passStart(pass);
    span.startSeconds = offset + shape.startSeconds;
    span.endSeconds = offset + shape.endSeconds;
    span.repetitions = shape.repetitions;
    span.quantity = shape.quantity;
    span.unit = spanUnits_[static_cast<std::size_t>(shape.setIndex)];
    span.custom = shape.waveform == FunctionType::Custom;
    span.limitReason = limitReason(shape, pass);
    span.crossesLimit = !span.limitReason.empty();
    return span;
}

bool SequenceProfile::wellEnabled(int well) const {
    return well >= 0 && well < kWellCount && enabled_[well];
}

const std::string& SequenceProfile::unitOf(ProfileQuantity quantity) const {
    return units_[quantityIndex(quantity)];
}

const std::vector<ProfileSetSpan>& SequenceProfile::spans() const {
    return spans_;
}

const std::vector<ProfileLimitBand>& SequenceProfile::limits() const {
    return limits_;
}

bool SequenceProfile::setCrossesLimit(int setIndex) const {
    return firstCrossing(setIndex).has_value();
}

std::optional<ProfileSetSpan> SequenceProfile::firstCrossing(int setIndex) const {
    if (setIndex < 0 || setIndex >= static_cast<int>(firstCrossingPass_.size()) ||
        firstCrossingPass_[setIndex] < 0) {
        return std::nullopt;
    }
    return spanOf(shapes_[static_cast<std::size_t>(setIndex)], firstCrossingPass_[setIndex]);
}

std::pair<int, int> SequenceProfile::passesBetween(double t0, double t1) const {
    if (repeatCount_ <= 0 || passSeconds_ <= 0.0) {
        return {0, repeatCount_ - 1};
    }
    const auto passOf = [&](double t) {
        const double pass = std::floor(t / passSeconds_);
        if (!(pass >= 0.0)) {
            return 0;  // before the start, or not a number
        }
        return static_cast<int>(std::min(pass, static_cast<double>(repeatCount_ - 1)));
    };
    return {passOf(t0), passOf(t1)};
}

std::vector<ProfileSetSpan> SequenceProfile::spansBetween(double t0, double t1,
                                                          int maxCount) const {
    std::vector<ProfileSetSpan> result;
    if (repeatCount_ <= 0 || shapes_.empty() || !(t0 <= t1)) {
        return result;
    }
    const auto [firstPass, lastPass] = passesBetween(t0, t1);
    for (int pass = firstPass; pass <= lastPass; ++pass) {
        const double offset = passStart(pass);
        for (const ProfileSetShape& shape : shapes_) {
            if (offset + shape.endSeconds < t0 || offset + shape.startSeconds > t1) {
                continue;
            }
            if (static_cast<int>(result.size()) >= maxCount) {
                return result;
            }
            result.push_back(spanOf(shape, pass));
        }
    }
    return result;
}

const ProfileSetShape* SequenceProfile::shapeAt(double seconds, int* pass, double* local) const {
    if (shapes_.empty() || repeatCount_ <= 0 || !(seconds >= 0.0) || seconds > totalSeconds()) {
        return nullptr;
    }
    *pass = passesBetween(seconds, seconds).first;
    *local = seconds - passStart(*pass);
    return &shapes_[static_cast<std::size_t>(std::max(setAtOrBefore(*local), 0))];
}

int SequenceProfile::spanAt(double seconds) const {
    int pass = 0;
    double local = 0.0;
    const ProfileSetShape* shape = shapeAt(seconds, &pass, &local);
    return shape != nullptr ? shape->setIndex : -1;
}

ProfileReading SequenceProfile::valueAt(int well, double seconds) const {
    ProfileReading reading;
    int pass = 0;
    double local = 0.0;
    const ProfileSetShape* shape = wellEnabled(well) ? shapeAt(seconds, &pass, &local) : nullptr;
    if (shape == nullptr) {
        return reading;
    }
    const double inSet = local - shape->startSeconds;
    reading.setIndex = shape->setIndex;
    reading.sequenceRepeat = pass;
    reading.repetition = shape->repetitions > 0 ? shape->repetitionAt(inSet) + 1 : 0;
    reading.value = shape->valueAt(well, pass, inSet);
    reading.quantity = shape->quantity;
    reading.unit = unitOf(shape->quantity);
    reading.phase = repetitionPhaseName(shape->phaseAt(inSet));
    return reading;
}

}  // namespace kyrvana
