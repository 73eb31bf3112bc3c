#include "gui/editor/sequence_preview.h"

#include <QAction>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/document/kyrvana_doc.h"
#include "gui/app/app_settings.h"
#include "gui/app/file_dialogs.h"
#include "gui/app/latin1_text.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/report_ctrl.h"
#include "gui/editor/preview_chart.h"
#include "gui/editor/preview_plotter.h"
#include "gui/editor/stage_view.h"

namespace kyrvana::gui {
namespace {

const QColor kCrossingRow(250, 222, 205);

// Why a set crosses a limit: in the first pass, or else in the first later
// pass where it does (a running position may reach the limit only then).
QString limitReasonOf(const SequenceProfile& profile, int set) {
    const std::optional<ProfileSetSpan> crossing = profile.firstCrossing(set);
    if (!crossing) {
        return QString();
    }
    if (crossing->sequenceRepeat == 0) {
        return fromCore(crossing->limitReason);
    }
    return QStringLiteral("%1 (pass %2)")
        .arg(fromCore(crossing->limitReason))
        .arg(crossing->sequenceRepeat + 1);
}

QString setTitle(const Protocol& sequence, int set) {
    const SetRecord* record = sequence.setAt(set);
    return QStringLiteral("Set %1 \"%2\"")
        .arg(set + 1)
        .arg(record != nullptr ? fromCore(record->name) : QString());
}

}  // namespace

SequencePreview::SequencePreview(CKyrvanaDoc& document, CStageView& view, AppSettings& settings,
                                 FileDialogs& dialogs, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent),
      document_(document),
      view_(view),
      settings_(settings),
      dialogs_(dialogs),
      boxes_(boxes) {
    setObjectName(QStringLiteral("sequencePreviewPane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    chart_ = new CPreviewChart(this);
    layout->addWidget(chart_, 1);
    limitLine_ = new QLabel(this);
    limitLine_->setObjectName(QStringLiteral("previewLimitLine"));
    limitLine_->setWordWrap(true);
    limitLine_->setStyleSheet(QStringLiteral("QLabel { color: #8a2c00; }"));
    limitLine_->hide();
    layout->addWidget(limitLine_);

    toggle_ = new QAction(QStringLiteral("Sequence &Preview"), this);
    toggle_->setCheckable(true);
    toggle_->setChecked(true);
    toggle_->setStatusTip(QStringLiteral("Show or hide the preview of the sequence"));
    connect(toggle_, &QAction::toggled, this, &SequencePreview::setPaneShown);

    connect(&view_, &CStageView::sequenceShown, this, &SequencePreview::refresh);
    connect(view_.list()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { chart_->setHighlightedSet(view_.selectedRow()); });
    connect(chart_, &CPreviewChart::setClicked, this, [this](int set) {
        if (set < view_.list()->itemCount()) {
            view_.selectRow(set);
        }
    });
    connect(chart_, &CPreviewChart::exportRequested, this, &SequencePreview::exportAs);
    connect(chart_, &CPreviewChart::plotShown, this, &SequencePreview::profileShown);
    refresh();
}

SequencePreview::~SequencePreview() = default;

ProfileInputs SequencePreview::currentInputs() {
    ProfileInputs inputs;
    inputs.sequence = view_.model().workingSequence;
    inputs.repeatCount = view_.model().repeatCount;
    inputs.disabledWells = document_.disabledWells();
    // Without a ready device the profile keeps the last model it knew and
    // the default full scale.
    if (document_.deviceReady()) {
        const DeviceSnapshot device = document_.deviceSnapshot();
        hardwareType_ = device.hardwareType;
        inputs.fullScaleLoads = device.fullScaleLoad;
    }
    inputs.hardwareType = hardwareType_;
    return inputs;
}

void SequencePreview::refresh() {
    ProfileInputs inputs = currentInputs();
    if (requestedInputs_ && sameProfileInputs(*requestedInputs_, inputs)) {
        // The list may have been filled again all the same (the wells
        // chosen again as they were): its marks come back.
        if (!chart_->isBusy()) {
            markRows();
        }
        return;
    }
    requestedInputs_ = inputs;
    chart_->setInputs(std::move(inputs));
}

bool SequencePreview::isShowingModel() {
    return !chart_->isBusy() && requestedInputs_ &&
           sameProfileInputs(*requestedInputs_, currentInputs());
}

// A new profile is on the chart: the rows and the line under the chart
// follow it. A new range of the same profile changes neither.
void SequencePreview::profileShown() {
    if (chart_->isBusy() || chart_->profile() == markedProfile_.get()) {
        return;
    }
    markedProfile_ = chart_->sharedProfile();
    chart_->setHighlightedSet(view_.selectedRow());
    markRows();
    showLimitLine();
}

// Only rows that cross, or that were marked before, are touched: a thousand
// rows of a large file cost nothing while none of them crosses.
void SequencePreview::markRows() {
    const SequenceProfile* profile = chart_->profile();
    CReportCtrl* list = view_.list();
    const QSignalBlocker quiet(list);
    for (int row = 0; row < list->itemCount(); ++row) {
        const bool crosses = profile != nullptr && profile->setCrossesLimit(row);
        QTableWidgetItem* first = list->item(row, 0);
        const bool marked = first != nullptr && first->background().style() != Qt::NoBrush;
        if (!crosses && !marked) {
            continue;
        }
        const QString reason = crosses ? limitReasonOf(*profile, row) : QString();
        for (int column = 0; column < list->columnCount(); ++column) {
            if (QTableWidgetItem* cell = list->item(row, column)) {
                cell->setBackground(crosses ? QBrush(kCrossingRow) : QBrush());
                cell->setToolTip(reason);
            }
        }
    }
}

// Names the first set that crosses a limit (and how many more do), and the
// custom waveforms, whose real shape only the device knows.
void SequencePreview::showLimitLine() {
    const SequenceProfile* profile = chart_->profile();
    const Protocol& sequence = requestedInputs_->sequence;
    QStringList lines;
    QList<int> crossing;
    QList<int> custom;
    for (int set = 0; profile != nullptr && set < sequence.setCount(); ++set) {
        if (profile->setCrossesLimit(set)) {
            crossing << set;
        }
        if (static_cast<std::size_t>(set) < profile->spans().size() &&
            profile->spans()[static_cast<std::size_t>(set)].custom) {
            custom << set;
        }
    }
    if (!crossing.isEmpty()) {
        QString line = QStringLiteral("%1 crosses a limit: %2")
                           .arg(setTitle(sequence, crossing.first()),
                                limitReasonOf(*profile, crossing.first()));
        if (crossing.size() == 2) {
            line += QStringLiteral(" (and 1 more set)");
        } else if (crossing.size() > 2) {
            line += QStringLiteral(" (and %1 more sets)").arg(crossing.size() - 1);
        }
        lines << line;
    }
    for (const int set : custom) {
        lines << QStringLiteral("%1 has a custom waveform, stored on the device: drawn as a ramp.")
                     .arg(setTitle(sequence, set));
    }
    limitLine_->setText(lines.join(QLatin1Char('\n')));
    limitLine_->setVisible(!lines.isEmpty());
    chart_->setAccessibleDescription(lines.isEmpty() ? QStringLiteral("No set crosses a limit")
                                                     : lines.join(QLatin1Char(' ')));
}

void SequencePreview::setPaneShown(bool shown) {
    setVisible(shown);
    QSplitter* splitter = view_.splitter();
    const int index = splitter->indexOf(this);
    if (!shown || index < 0) {
        return;
    }
    // Shown again after it was dragged shut: give it half of the pane's and
    // the form's height above their least.
    QList<int> sizes = splitter->sizes();
    if (sizes.value(index) == 0) {
        int spare = 0;
        for (int other = 0; other < sizes.size(); ++other) {
            if (other == index) {
                continue;
            }
            const int least = splitter->widget(other)->minimumSizeHint().height();
            const int given = std::max(0, sizes[other] - least) / 2;
            sizes[other] -= given;
            spare += given;
        }
        sizes[index] = spare;
        splitter->setSizes(sizes);
    }
}

void SequencePreview::exportPreview() {
    QStringList filters;
    for (const PreviewExportFormat format :
         {PreviewExportFormat::Png, PreviewExportFormat::Svg, PreviewExportFormat::Csv}) {
        filters << exportFilter(format);
    }
    exportWith(filters.join(QStringLiteral(";;")), exportSuffix(PreviewExportFormat::Png),
               std::nullopt);
}

void SequencePreview::exportAs(PreviewExportFormat format) {
    exportWith(exportFilter(format), exportSuffix(format), format);
}

void SequencePreview::exportWith(const QString& filter, const QString& suffix,
                                 std::optional<PreviewExportFormat> format) {
    FileDialogRequest request;
    request.caption = QStringLiteral("Export Preview");
    // Named after the test; a slash in the name would make it a folder.
    QString name = fromCore(view_.model().testName).replace(QLatin1Char('/'), QLatin1Char('_'));
    request.folder =
        QDir(settings_.templateDir()).filePath(name.isEmpty() ? QStringLiteral("preview") : name);
    request.filter = filter;
    request.defaultSuffix = suffix;
    const QString path = dialogs_.saveFileName(window(), request);
    if (path.isEmpty()) {
        return;
    }
    if (!write(format.value_or(exportFormatForPath(path)), path)) {
        boxes_.showError(window(), QString::fromLatin1(kExportFailedMessage).arg(path));
    }
}

bool SequencePreview::write(PreviewExportFormat format, const QString& path) {
    switch (format) {
        case PreviewExportFormat::Png:
            return savePreviewPng(*chart_, path);
        case PreviewExportFormat::Svg:
            return savePreviewSvg(*chart_, path);
        case PreviewExportFormat::Csv:
            return chart_->profile() != nullptr &&
                   savePreviewCsv(*chart_->profile(), chart_->visibleFrom(), chart_->visibleTo(),
                                  kCsvPoints, path);
    }
    return false;
}

}  // namespace kyrvana::gui
