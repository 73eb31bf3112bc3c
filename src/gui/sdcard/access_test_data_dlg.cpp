#include "gui/sdcard/access_test_data_dlg.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

#include "core/common/c_locale_text.h"
#include "core/device/device_vocabulary.h"
#include "core/sdcard/sd_card_texts.h"
#include "core/sdcard/storage_texts.h"
#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/device_task_runner.h"
#include "gui/app/display_scale.h"
#include "gui/app/failure_sentence.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/read_only_field.h"
#include "gui/controls/report_ctrl.h"
#include "gui/sdcard/loss_questions.h"

namespace kyrvana::gui {
namespace {

constexpr int kNameColumnWidth = 300;
constexpr int kSizeColumnWidth = 100;
constexpr const char* kDownloadCancelledStatus = "Download Cancelled";

// Names from the device are 8-bit text; Latin-1 keeps every byte.
QString fromDevice(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A folder typed or chosen by the user, in the file system's own encoding.
std::filesystem::path folderPath(const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    return std::filesystem::path(std::string(encoded.constData(), encoded.size()));
}

// The status line's sentence for a failed operation; a file that could not
// be written says why, as the user can do something about a full disk or a
// folder without permission.
QString statusSentence(const DeviceResult& result) {
    if (result.why() == DeviceFailure::FileFailed && !result.detail().empty()) {
        return QStringLiteral("The file could not be written: ") + fromDevice(result.detail()) +
               QStringLiteral(".");
    }
    return failureSentence(result);
}

QString chooseFolderWithDialog(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
}

COrvendaButton* makeButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new COrvendaButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CAccessTestDataDlg::CAccessTestDataDlg(DeviceLink& link, MessageBoxes& messages,
                                       AppSettings& settings, QWidget* parent)
    : QDialog(parent),
      link_(link),
      messages_(messages),
      settings_(settings),
      chooser_(chooseFolderWithDialog),
      runner_(new DeviceTaskRunner(this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildLayout();
    assignMnemonics(this);
    connect(runner_, &DeviceTaskRunner::busyChanged, this, &CAccessTestDataDlg::setBusy);

    folderEdit_->setText(settings_.dataDir());
    fillList();
    showUsedStorage();

    // The card's size, asked once while the dialog comes up.
    auto kilobytes = std::make_shared<std::int64_t>(-1);
    auto result = std::make_shared<DeviceResult>();
    DeviceLink& device = link_;
    // A card of unknown size shows the smallest share.
    runner_->run([&device, kilobytes, result] { *result = device.QuerySDVolumeSizeKB(*kilobytes); },
                 [this, kilobytes, result] {
                     volumeKB_ = *kilobytes;
                     showUsedStorage();
                     showFailure(*result);
                 });
}

CAccessTestDataDlg::~CAccessTestDataDlg() {
    // A download still running ends after its current piece.
    stopRequested_ = true;
    runner_->shutDown();
}

void CAccessTestDataDlg::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromLatin1(kSlowText), this));

    auto* middle = new QHBoxLayout;
    list_ = new CReportCtrl(this);
    list_->setObjectName(QStringLiteral("fileList"));
    const double scale = displayScale(*this);
    list_->setColumns(QString::fromLatin1(cFormat("File Name, %d;Size (kB), %d",
                                                  static_cast<int>(kNameColumnWidth * scale),
                                                  static_cast<int>(kSizeColumnWidth * scale))
                                              .c_str()));
    list_->setColumnAlignment(1, Qt::AlignRight);
    list_->setMinimumWidth(static_cast<int>((kNameColumnWidth + kSizeColumnWidth + 24) * scale));
    list_->setMinimumHeight(static_cast<int>(260 * scale));
    middle->addWidget(list_, 1);

    auto* buttons = new QVBoxLayout;
    scanButton_ = makeButton("Scan for Data", "scanButton", this);
    downloadButton_ = makeButton("Download Selected", "downloadButton", this);
    deleteSelectedButton_ = makeButton("Delete Selected", "deleteSelectedButton", this);
    deleteAllButton_ = makeButton("Delete All", "deleteAllButton", this);
    // Present for the layout of the device's tools but without a function:
    // the program processes no raw data of its own.
    advancedButton_ = makeButton("Advanced", "advancedButton", this);
    advancedButton_->setEnabled(false);
    advancedButton_->hide();
    for (QPushButton* button :
         {scanButton_, downloadButton_, deleteSelectedButton_, deleteAllButton_}) {
        buttons->addWidget(button);
    }
    buttons->addSpacing(12);
    buttons->addWidget(new QLabel(QStringLiteral("Used Storage"), this));
    usedStorageEdit_ = new QLineEdit(this);
    usedStorageEdit_->setObjectName(QStringLiteral("usedStorageEdit"));
    makeReadOnly(usedStorageEdit_);
    buttons->addWidget(usedStorageEdit_);
    buttons->addStretch(1);
    buttons->addWidget(advancedButton_);
    buttons->addWidget(new QLabel(QString::fromLatin1(kFasterText), this));
    buttons->addWidget(new QLabel(QString::fromLatin1(kPlugCardText), this));
    middle->addLayout(buttons);
    layout->addLayout(middle);

    auto* folderGroup = new QGroupBox(QString::fromLatin1(kFolderGroupTitle), this);
    auto* folderLayout = new QHBoxLayout(folderGroup);
    folderEdit_ = new QLineEdit(folderGroup);
    folderEdit_->setObjectName(QStringLiteral("folderEdit"));
    browseButton_ = makeButton("Browse", "browseButton", folderGroup);
    folderLayout->addWidget(folderEdit_, 1);
    folderLayout->addWidget(browseButton_);
    layout->addWidget(folderGroup);

    auto* bottom = new QGridLayout;
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progressBar"));
    progress_->setTextVisible(false);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    rateLabel_ = new QLabel(this);
    rateLabel_->setObjectName(QStringLiteral("rateLabel"));
    // Wide enough for "9999 kB/s, 59:59 left", so that the bar does not
    // jump as the figures change.
    rateLabel_->setMinimumWidth(
        rateLabel_->fontMetrics().horizontalAdvance(QStringLiteral("9999 kB/s, 59:59 left  ")));
    rateLabel_->setAccessibleName(QStringLiteral("Download speed and time left"));
    cancelButton_ = makeButton("Cancel", "cancelButton", this);
    cancelButton_->setEnabled(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setAccessibleName(QStringLiteral("Status"));
    status_->setMinimumWidth(static_cast<int>(140 * scale));
    // A failure's sentence may be longer than the row is wide.
    status_->setWordWrap(true);
    doneButton_ = makeButton("Done", "doneButton", this);
    bottom->addWidget(progress_, 0, 0);
    bottom->addWidget(rateLabel_, 0, 1);
    bottom->addWidget(cancelButton_, 0, 2);
    bottom->addWidget(status_, 1, 0, 1, 2);
    bottom->addWidget(doneButton_, 1, 2);
    bottom->setColumnStretch(0, 1);
    layout->addLayout(bottom);

    connect(scanButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::scanForData);
    connect(downloadButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::downloadSelected);
    connect(deleteSelectedButton_, &QPushButton::clicked, this,
            &CAccessTestDataDlg::deleteSelected);
    connect(deleteAllButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::deleteAll);
    connect(browseButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::browse);
    connect(cancelButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::cancelDownload);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void CAccessTestDataDlg::setFolderChooser(FolderChooser chooser) {
    chooser_ = std::move(chooser);
}

bool CAccessTestDataDlg::busy() const {
    return runner_->busy();
}

void CAccessTestDataDlg::setBusy(bool isBusy) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             list_, folderEdit_, scanButton_, downloadButton_, deleteSelectedButton_,
             deleteAllButton_, browseButton_, doneButton_}) {
        control->setEnabled(!isBusy);
    }
    // During a download Cancel is the one control that works, and it takes
    // the focus so that the keyboard reaches it.
    cancelButton_->setEnabled(isBusy && downloading_);
    if (cancelButton_->isEnabled()) {
        cancelButton_->setFocus();
    }
    if (isBusy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
    emit busyChanged(isBusy);
}

void CAccessTestDataDlg::reject() {
    // Escape, or closing the window, during a download asks it to stop as
    // Cancel does; the dialog stays until the device work has ended.
    if (busy()) {
        cancelDownload();
        return;
    }
    QDialog::reject();
}

void CAccessTestDataDlg::done(int result) {
    if (busy()) {
        return;
    }
    QDialog::done(result);
}

void CAccessTestDataDlg::fillList() {
    list_->deleteAllItems();
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const int row = list_->insertItem(static_cast<int>(i), fromDevice(files_[i].name));
        list_->setItemText(row, 1, fromDevice(fileSizeText(files_[i].size)));
    }
}

void CAccessTestDataDlg::showUsedStorage() {
    usedStorageEdit_->setText(fromDevice(usedStorageText(files_, volumeKB_)));
}

void CAccessTestDataDlg::showFailure(const DeviceResult& result) {
    if (!result) {
        status_->setText(statusSentence(result));
    }
}

void CAccessTestDataDlg::scanForData() {
    if (busy()) {
        return;
    }
    // The list always shows exactly the entries held, so it empties at once,
    // and what the status said belongs to the files that were listed.
    responseLines_.clear();
    files_.clear();
    fillList();
    showUsedStorage();
    status_->clear();
    auto listing = std::make_shared<SdListing>();
    DeviceLink& device = link_;
    runner_->run([&device, listing] { *listing = readSdListing(device); },
                 [this, listing] {
                     responseLines_ = std::move(listing->responseLines);
                     files_ = std::move(listing->files);
                     fillList();
                     showUsedStorage();
                     showFailure(listing->result);
                 });
}

void CAccessTestDataDlg::postDownloadProgress(int file, std::int64_t done, std::int64_t total) {
    bool post = false;
    {
        std::lock_guard lock(progressMutex_);
        post = !transferProgress_.queued;
        transferProgress_ = {file, done, total, TransferRate::Clock::now(), true};
    }
    if (post) {
        runner_->post([this] { showDownloadProgress(); });
    }
}

void CAccessTestDataDlg::showDownloadProgress() {
    TransferProgress latest;
    {
        std::lock_guard lock(progressMutex_);
        transferProgress_.queued = false;
        latest = transferProgress_;
    }
    // Progress of a file whose turn has not been shown yet (or is over)
    // would put the bar ahead of the status.
    if (latest.file != shownFile_) {
        return;
    }
    // One step per whole kilobyte; a file under 1 kB still fills the bar.
    const int last = std::max(1, downloadProgressMaximum(latest.total));
    progress_->setRange(0, last);
    const std::int64_t pieces = (latest.done + kSdFilePiece - 1) / kSdFilePiece;
    progress_->setValue(static_cast<int>(std::min<std::int64_t>(pieces, last)));
    rate_.update(latest.done, latest.total, latest.at);
    rateLabel_->setText(fromDevice(rate_.text()));
}

void CAccessTestDataDlg::downloadSelected() {
    if (busy() || list_->itemCount() == 0) {
        return;
    }
    // Top to bottom; each row is deselected once its file is done.
    std::vector<DownloadItem> items;
    std::vector<std::string> names;
    for (const int row : list_->selectedRows()) {
        if (row >= 0 && static_cast<std::size_t>(row) < files_.size()) {
            items.push_back({row, files_[static_cast<std::size_t>(row)].name, true});
            names.push_back(items.back().name);
        }
    }
    if (items.empty()) {
        return;
    }
    // The folder as typed; only a folder chosen with Browse is remembered.
    const std::filesystem::path folder = folderPath(folderEdit_->text());
    // Every question comes before the first byte moves, so that a long
    // transfer then runs without anyone at the screen.
    const std::vector<bool> fetch = chooseFilesToFetch(messages_, this, names, folder);
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].fetch = fetch[i];
    }
    startDownload(std::move(items), folder);
}

void CAccessTestDataDlg::startDownload(std::vector<DownloadItem> items,
                                       const std::filesystem::path& folder) {
    refusedDownloads_ = 0;
    skippedDownloads_ = 0;
    fetchedStatus_.clear();
    keptPart_.clear();
    cancelled_ = false;
    stopRequested_ = false;
    // Before run(), which makes the dialog busy: Cancel comes on with it.
    downloading_ = true;
    DeviceLink& device = link_;
    runner_->run(
        [this, &device, items = std::move(items), folder] { fetchFiles(device, items, folder); },
        [this] { downloadEnded(); });
}

void CAccessTestDataDlg::fetchFiles(DeviceLink& device, const std::vector<DownloadItem>& items,
                                    const std::filesystem::path& folder) {
    // One operation: once the device stops answering, the files still to
    // come stay selected instead of costing a time-out each.
    const auto operation = device.BeginOperation();
    for (std::size_t file = 0; file < items.size(); ++file) {
        const DownloadItem& item = items[file];
        if (stopRequested_) {
            // Cancel came between two files: the rest stay on the card.
            runner_->post([this] { cancelled_ = true; });
            break;
        }
        if (!item.fetch) {
            runner_->post([this, item] { showSkipped(item); });
            continue;
        }
        const int number = static_cast<int>(file);
        runner_->post([this, number, startedAt = TransferRate::Clock::now()] {
            beginFileDisplay(number, startedAt);
        });
        // A cancelled file keeps what arrived as "<name>.incomplete": the
        // transfer may have run for an hour, and its first part is data.
        const DownloadReport report = downloadSdFile(
            device, item.name, folder,
            [this, number](std::int64_t done, std::int64_t total) {
                postDownloadProgress(number, done, total);
            },
            &stopRequested_, StoppedDownload::KeepIncomplete);
        runner_->post([this, item, report] { showFileOutcome(item, report); });
        if (report.result.wentUnanswered() || report.result.why() == DeviceFailure::Cancelled) {
            break;
        }
    }
}

void CAccessTestDataDlg::beginFileDisplay(int file, TransferRate::Clock::time_point startedAt) {
    shownFile_ = file;
    rate_.restart(startedAt);
    rateLabel_->clear();
    status_->setText(QString::fromLatin1(kDownloadingStatus));
    progress_->setValue(0);
}

void CAccessTestDataDlg::showFileOutcome(const DownloadItem& item, const DownloadReport& report) {
    shownFile_ = -1;
    progress_->setValue(0);
    rateLabel_->clear();
    bool done = true;
    switch (report.outcome) {
        case DownloadOutcome::Complete:
            fetchedStatus_ = QString::fromLatin1(kDownloadCompleteStatus);
            break;
        case DownloadOutcome::Incomplete:
            if (report.result.why() == DeviceFailure::Cancelled) {
                // Not downloaded: the row stays selected for another try.
                done = false;
                cancelled_ = true;
                fetchedStatus_ = QString::fromLatin1(kDownloadCancelledStatus);
                if (!report.savedAs.empty()) {
                    keptPart_ = QStringLiteral("; what arrived is in ") +
                                fromDevice(report.savedAs.filename().string());
                }
            } else {
                fetchedStatus_ = QString::fromLatin1(kDownloadIncompleteStatus) +
                                 QStringLiteral(". ") + statusSentence(report.result);
            }
            break;
        case DownloadOutcome::CannotOpen:
            // Nothing was downloaded; the box follows once the transfer ends.
            fetchedStatus_ = statusSentence(report.result);
            ++refusedDownloads_;
            break;
    }
    status_->setText(fetchedStatus_);
    if (done) {
        list_->setItemState(item.row, 0, CReportCtrl::kStateSelected);
    }
    emit fileDownloaded(fromDevice(item.name));
}

void CAccessTestDataDlg::showSkipped(const DownloadItem& item) {
    ++skippedDownloads_;
    status_->setText(QStringLiteral("Skipped ") + fromDevice(item.name) +
                     QStringLiteral(": already in the download folder"));
    list_->setItemState(item.row, 0, CReportCtrl::kStateSelected);
}

void CAccessTestDataDlg::downloadEnded() {
    downloading_ = false;
    // Said again at the end: a Cancel that came too late to stop anything
    // has put "Stopping..." over the last file's outcome.
    if (cancelled_) {
        status_->setText(QString::fromLatin1(kDownloadCancelledStatus) + keptPart_);
    } else if (skippedDownloads_ > 0) {
        const QString skipped =
            fromDevice((skippedDownloads_ == 1 ? std::string("1 file")
                                               : cFormat("%d files", skippedDownloads_)) +
                       " already in the download folder");
        status_->setText(fetchedStatus_.isEmpty()
                             ? QStringLiteral("Skipped ") + skipped
                             : fetchedStatus_ + QStringLiteral("; skipped ") + skipped);
    } else {
        status_->setText(fetchedStatus_);
    }
    // Shown once the transfer has ended, one box per refused file.
    for (int i = 0; i < refusedDownloads_; ++i) {
        messages_.showError(this, QString::fromLatin1(kCannotOpenForWritingMessage));
    }
    refusedDownloads_ = 0;
}

void CAccessTestDataDlg::cancelDownload() {
    if (!downloading_) {
        return;
    }
    stopRequested_ = true;
    cancelButton_->setEnabled(false);
    status_->setText(QStringLiteral("Stopping..."));
}

void CAccessTestDataDlg::applyDeletion(std::vector<SdFileEntry> remaining,
                                       const DeletionReport& report) {
    files_ = std::move(remaining);
    fillList();
    showUsedStorage();
    showFailure(report.result);
    for (int i = 0; i < report.failed; ++i) {
        messages_.showError(this, QString::fromLatin1(kFileNotDeletedMessage));
    }
}

void CAccessTestDataDlg::deleteSelected() {
    if (busy()) {
        return;
    }
    std::vector<std::size_t> indices;
    std::vector<std::string> names;
    for (const int row : list_->selectedRows()) {
        if (row >= 0 && static_cast<std::size_t>(row) < files_.size()) {
            indices.push_back(static_cast<std::size_t>(row));
            names.push_back(files_[indices.back()].name);
        }
    }
    if (indices.empty() || !confirmDeletion(messages_, this, names)) {
        return;
    }
    startDeletion(std::move(indices), false);
}

void CAccessTestDataDlg::deleteAll() {
    if (busy()) {
        return;
    }
    if (messages_.show(this, QString::fromLatin1(kApplicationName),
                       QString::fromLatin1(kDeleteAllQuestion), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    startDeletion({}, true);
}

void CAccessTestDataDlg::startDeletion(std::vector<std::size_t> indices, bool all) {
    status_->clear();
    auto files = std::make_shared<std::vector<SdFileEntry>>(files_);
    auto report = std::make_shared<DeletionReport>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, files, report, indices = std::move(indices), all] {
            *report =
                all ? deleteAllSdFiles(device, *files) : deleteSdFiles(device, *files, indices);
        },
        [this, files, report] { applyDeletion(std::move(*files), *report); });
}

void CAccessTestDataDlg::browse() {
    if (busy() || !chooser_) {
        return;
    }
    const QString folder = chooser_(this, QString::fromLatin1(kBrowseTitle), QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    folderEdit_->setText(folder);
    settings_.setDataDir(folder);
}

}  // namespace kyrvana::gui
