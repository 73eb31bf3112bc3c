#include "gui/editor/preview_export.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>
#include <optional>
#include <string>

#include "core/preview/sequence_profile.h"

namespace kyrvana::gui {

PreviewExportFormat exportFormatForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        return PreviewExportFormat::Svg;
    }
    if (suffix == QLatin1String("csv")) {
        return PreviewExportFormat::Csv;
    }
    return PreviewExportFormat::Png;
}

QString exportFilter(PreviewExportFormat format) {
    switch (format) {
        case PreviewExportFormat::Svg:
            return QStringLiteral("SVG Drawing (*.svg)");
        case PreviewExportFormat::Csv:
            return QStringLiteral("CSV Table (*.csv)");
        case PreviewExportFormat::Png:
            break;
    }
    return QStringLiteral("PNG Picture (*.png)");
}

QString exportSuffix(PreviewExportFormat format) {
    switch (format) {
        case PreviewExportFormat::Svg:
            return QStringLiteral("svg");
        case PreviewExportFormat::Csv:
            return QStringLiteral("csv");
        case PreviewExportFormat::Png:
            break;
    }
    return QStringLiteral("png");
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
