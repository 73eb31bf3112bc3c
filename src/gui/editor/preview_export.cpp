#include "gui/editor/preview_export.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "core/preview/sequence_profile.h"

namespace kyrvana::gui {

namespace {

struct ExportKind {
    PreviewExportFormat format;
    const char* filter;
    const char* suffix;
};

constexpr std::array kExportKinds{
    ExportKind{PreviewExportFormat::Png, "PNG Picture (*.png)", "png"},
    ExportKind{PreviewExportFormat::Svg, "SVG Drawing (*.svg)", "svg"},
    ExportKind{PreviewExportFormat::Csv, "CSV Table (*.csv)", "csv"},
};

const ExportKind& kindOf(PreviewExportFormat format) {
    for (const ExportKind& kind : kExportKinds) {
        if (kind.format == format) {
            return kind;
        }
    }
    return kExportKinds.front();
}

}  // namespace

QString exportFilter(PreviewExportFormat format) {
    return QString::fromLatin1(kindOf(format).filter);
}

QString exportSuffix(PreviewExportFormat format) {
    return QString::fromLatin1(kindOf(format).suffix);
}

PreviewExportFormat exportFormatForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const ExportKind& kind : kExportKinds) {
        if (suffix == QLatin1String(kind.suffix)) {
            return kind.format;
        }
    }
    return PreviewExportFormat::Png;
}

bool savePreviewPng(QWidget& chart, const QString& path) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && chart.grab().save(&file, "PNG") && file.commit();
}

bool savePreviewSvg(QWidget& chart, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(chart.size());
    svg.setViewBox(QRect(QPoint(0, 0), chart.size()));
    svg.setTitle(QStringLiteral("Sequence preview"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    chart.render(&painter);
    return painter.end() && file.commit();
}

bool savePreviewCsv(const SequenceProfile& profile, double from, double to, int points,
                    const QString& path) {
    const std::string csv = profileCsv(profile, std::nullopt, from, to, points);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(csv.data(), static_cast<qint64>(csv.size())) ==
               static_cast<qint64>(csv.size()) &&
           file.commit();
}

}  // namespace kyrvana::gui
