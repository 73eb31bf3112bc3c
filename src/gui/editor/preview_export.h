#pragma once

#include <QString>

class QWidget;

namespace kyrvana {
class SequenceProfile;
}

namespace kyrvana::gui {

enum class PreviewExportFormat { Png, Svg, Csv };

// The format a chosen file name asks for: ".svg" and ".csv" (in any case)
// name theirs, anything else is a PNG picture.
PreviewExportFormat exportFormatForPath(const QString& path);

// The file dialog's filter and suffix of each format.
QString exportFilter(PreviewExportFormat format);
QString exportSuffix(PreviewExportFormat format);

// Each writes through a temporary file that replaces `path` only once it is
// complete, so a failed export never leaves half a file or spoils an earlier
// one; false when it could not be written.
// The chart as the screen shows it.
bool savePreviewPng(QWidget& chart, const QString& path);
// The chart drawn as vectors.
bool savePreviewSvg(QWidget& chart, const QString& path);
// The profile of every enabled well between `from` and `to` seconds at
// about `points` points (see profileCsv).
bool savePreviewCsv(const SequenceProfile& profile, double from, double to, int points,
                    const QString& path);

}  // namespace kyrvana::gui
