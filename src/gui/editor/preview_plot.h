#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <vector>

#include "core/preview/sequence_profile.h"

namespace kyrvana::gui {

// The unit the time axis counts in: the largest of seconds, minutes, hours
// and days of which the visible range holds at least one.
struct TimeAxisUnit {
    const char* label;  // "s", "min", "h", "days"
    double seconds;     // one unit in seconds
};
TimeAxisUnit timeAxisUnitFor(double spanSeconds);

// A well's line colour. The six are the Okabe-Ito palette without its yellow
// (too faint on white) and black (kept for text): they stay apart for readers
// with any of the common colour-vision deficiencies.
QColor wellColor(int well);

// What a quantity's unit is called on screen ("um" becomes "µm").
QString displayUnit(const std::string& unit);
// "Displacement (mm)", "Force (mN)".
QString valueAxisTitle(const SequenceProfile& profile, ProfileQuantity quantity);

// The smallest and largest value shown on a value axis.
struct AxisRange {
    double low = 0.0;
    double high = 0.0;
    bool empty() const { return high < low; }
};

// One well's line over a run of sets of one quantity: time in seconds,
// values in the quantity's unit. Where a point stands for many cycles the
// line goes from its minimum to its maximum and on to the next point's
// nearer extreme, which draws the envelope as a filled band.
struct PreviewTrace {
    int well = 0;
    ProfileQuantity quantity = ProfileQuantity::Displacement;
    QList<QPointF> points;
    // A later well draws the very same line over it: wells that run alike
    // show one clean line in the last one's colour, not a blend of six.
    bool covered = false;
};

// Everything the chart draws for one visible time range.
struct PreviewPlot {
    double from = 0.0;  // seconds
    double to = 0.0;
    TimeAxisUnit unit{"s", 1.0};
    // The quantities the profile uses, in axis order (the first on the left).
    std::vector<ProfileQuantity> quantities;
    std::vector<PreviewTrace> traces;
    // The value axis of each quantity (index: the quantity's code); empty for
    // one that is not used. Covers the lines in the range and the limits near
    // them.
    std::array<AxisRange, 3> ranges{};
    std::vector<ProfileSetSpan> spans;  // the set spans that meet the range
    std::vector<ProfileMarker> markers;

    const AxisRange& rangeOf(ProfileQuantity quantity) const {
        return ranges[static_cast<std::size_t>(quantity)];
    }
};

// Samples every enabled well of `profile` between `from` and `to` (seconds)
// at about `points` points.
PreviewPlot buildPreviewPlot(const SequenceProfile& profile, double from, double to, int points);

}  // namespace kyrvana::gui
