#include "gui/editor/preview_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kyrvana::gui {
namespace {

constexpr std::array<ProfileQuantity, 3> kQuantities{
    ProfileQuantity::Displacement, ProfileQuantity::Strain, ProfileQuantity::Force};

// A limit is drawn into the value range when it lies within this share of
// the lines' own range from them: a far-off travel limit would flatten the
// lines to nothing, a near one is what the user needs to see.
constexpr double kNearLimitShare = 0.5;
// The most sample times a quantity's line bridges without a point of its own.
constexpr long kLongestBridge = 2;
// Room above and below the lines, as a share of the range.
constexpr double kPadding = 0.05;

std::size_t indexOf(ProfileQuantity quantity) {
    return static_cast<std::size_t>(quantity);
}

// Appends one sampled point: a single value, or the envelope drawn from the
// extreme nearer the previous point to the other one.
void appendPoint(QList<QPointF>& line, const ProfilePoint& point, double x, bool& endsHigh) {
    if (!point.envelope) {
        line.append(QPointF(x, point.value));
        return;
    }
    if (endsHigh) {
        line.append(QPointF(x, point.max));
        line.append(QPointF(x, point.min));
    } else {
        line.append(QPointF(x, point.min));
        line.append(QPointF(x, point.max));
    }
    endsHigh = !endsHigh;
}

// Splits one well's samples into runs of one quantity. Where many sets share
// a point's time, each time holds a point of every quantity around it, and
// each quantity's line runs on through them; a line also runs on over a
// time or two without its quantity (a pixel or two of another quantity's
// sets). Where another quantity holds more of the plot, the line breaks.
void appendTraces(PreviewPlot& plot, int well, const std::vector<ProfilePoint>& samples) {
    struct OpenRun {
        std::size_t trace = 0;
        bool started = false;
        long lastTime = 0;  // the index of the sample time of its last point
        bool endsHigh = false;
    };
    std::array<OpenRun, 3> open{};
    long time = -1;
    double lastSeconds = 0.0;
    for (const ProfilePoint& point : samples) {
        if (time < 0 || point.seconds != lastSeconds) {
            ++time;
            lastSeconds = point.seconds;
        }
        OpenRun& run = open[indexOf(point.quantity)];
        if (!run.started || run.lastTime < time - kLongestBridge - 1) {
            run = OpenRun{plot.traces.size(), true, time, false};
            plot.traces.push_back(PreviewTrace{well, point.quantity, {}, false});
        }
        run.lastTime = time;
        appendPoint(plot.traces[run.trace].points, point, point.seconds, run.endsHigh);
    }
}

// Every well is sampled at the same times, so each well's runs line up
// with every other well's: a well's runs are covered when a later well's are
// the same.
void markCoveredTraces(std::vector<PreviewTrace>& traces) {
    std::vector<std::pair<std::size_t, std::size_t>> blocks;  // [first, end) per well
    for (std::size_t index = 0; index < traces.size(); ++index) {
        if (blocks.empty() || traces[blocks.back().first].well != traces[index].well) {
            blocks.emplace_back(index, index);
        }
        blocks.back().second = index + 1;
    }
    const auto sameRuns = [&traces](std::pair<std::size_t, std::size_t> a,
                                    std::pair<std::size_t, std::size_t> b) {
        if (a.second - a.first != b.second - b.first) {
            return false;
        }
        for (std::size_t offset = 0; offset < a.second - a.first; ++offset) {
            const PreviewTrace& one = traces[a.first + offset];
            const PreviewTrace& other = traces[b.first + offset];
            if (one.quantity != other.quantity || one.points != other.points) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t block = 0; block < blocks.size(); ++block) {
        for (std::size_t later = block + 1; later < blocks.size(); ++later) {
            if (sameRuns(blocks[block], blocks[later])) {
                for (std::size_t index = blocks[block].first; index < blocks[block].second;
                     ++index) {
                    traces[index].covered = true;
                }
                break;
            }
        }
    }
}

void widenToInclude(AxisRange& range, double value) {
    range.low = std::min(range.low, value);
    range.high = std::max(range.high, value);
}

AxisRange linesRange(const PreviewPlot& plot, ProfileQuantity quantity) {
    AxisRange range{std::numeric_limits<double>::infinity(),
                    -std::numeric_limits<double>::infinity()};
    for (const PreviewTrace& trace : plot.traces) {
        if (trace.quantity != quantity) {
            continue;
        }
        for (const QPointF& point : trace.points) {
            widenToInclude(range, point.y());
        }
    }
    return range;
}

AxisRange valueRange(const PreviewPlot& plot, const SequenceProfile& profile,
                     ProfileQuantity quantity) {
    AxisRange range = linesRange(plot, quantity);
    if (range.empty()) {
        range = AxisRange{0.0, 0.0};
    }
    const double near = kNearLimitShare * std::max(range.high - range.low, std::abs(range.high));
    const AxisRange lines = range;
    for (const ProfileLimitBand& band : profile.limits()) {
        if (band.quantity != quantity) {
            continue;
        }
        for (const std::optional<double>& bound : {band.low, band.high}) {
            if (bound && *bound >= lines.low - near && *bound <= lines.high + near) {
                widenToInclude(range, *bound);
            }
        }
    }
    double pad = kPadding * (range.high - range.low);
    if (pad <= 0.0) {
        pad = std::max(1.0, 0.1 * std::abs(range.high));
    }
    return AxisRange{range.low - pad, range.high + pad};
}

}  // namespace

TimeAxisUnit timeAxisUnitFor(double spanSeconds) {
    static constexpr std::array<TimeAxisUnit, 4> kUnits{
        TimeAxisUnit{"days", 86400.0}, TimeAxisUnit{"h", 3600.0}, TimeAxisUnit{"min", 60.0},
        TimeAxisUnit{"s", 1.0}};
    for (const TimeAxisUnit& unit : kUnits) {
        if (spanSeconds >= unit.seconds) {
            return unit;
        }
    }
    return kUnits.back();
}

QColor wellColor(int well) {
    static constexpr std::array<QRgb, kWellCount> kColours{
        0x0072B2,  // blue
        0xE69F00,  // orange
        0x009E73,  // bluish green
        0xD55E00,  // vermilion
        0xCC79A7,  // reddish purple
        0x56B4E9,  // sky blue
    };
    return QColor(kColours[static_cast<std::size_t>(std::clamp(well, 0, kWellCount - 1))]);
}

QString displayUnit(const std::string& unit) {
    if (unit == "um") {
        return QStringLiteral("µm");
    }
    if (unit == "uN") {
        return QStringLiteral("µN");
    }
    return QString::fromLatin1(unit.data(), static_cast<qsizetype>(unit.size()));
}

QString valueAxisTitle(const SequenceProfile& profile, ProfileQuantity quantity) {
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(profileQuantityName(quantity)),
                                         displayUnit(profile.unitOf(quantity)));
}

PreviewPlot buildPreviewPlot(const SequenceProfile& profile, double from, double to, int points) {
    PreviewPlot plot;
    plot.from = from;
    plot.to = to;
    plot.unit = timeAxisUnitFor(to - from);
    for (const ProfileQuantity quantity : kQuantities) {
        if (profile.usesQuantity(quantity)) {
            plot.quantities.push_back(quantity);
        }
    }
    for (int well = 0; well < kWellCount; ++well) {
        if (profile.wellEnabled(well)) {
            appendTraces(plot, well, profile.sample(well, from, to, points));
        }
    }
    markCoveredTraces(plot.traces);
    plot.markers = profile.markers(from, to);
    // A covered well's preloads sit exactly under the covering well's.
    std::erase_if(plot.markers, [&plot](const ProfileMarker& marker) {
        return std::any_of(
            plot.traces.begin(), plot.traces.end(),
            [&marker](const PreviewTrace& t) { return t.well == marker.well && t.covered; });
    });
    plot.ranges.fill(AxisRange{1.0, 0.0});
    for (const ProfileQuantity quantity : plot.quantities) {
        plot.ranges[indexOf(quantity)] = valueRange(plot, profile, quantity);
    }
    plot.spans = profile.spansBetween(from, to);
    return plot;
}

}  // namespace kyrvana::gui
