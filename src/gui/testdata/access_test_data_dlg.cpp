#include "gui/testdata/access_test_data_dlg.h"

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
#include "core/testdata/sd_deletion.h"
#include "core/testdata/sd_download.h"
#include "core/testdata/storage_texts.h"
#include "core/testdata/test_data_texts.h"
#include "gui/app/app_identity.h"
#include "gui/app/app_settings.h"
#include "gui/app/display_scale.h"
#include "gui/app/message_boxes.h"
#include "gui/controls/mnemonics.h"
#include "gui/controls/orvenda_button.h"
#include "gui/controls/read_only_field.h"
#include "gui/controls/report_ctrl.h"
#include "gui/testdata/device_task_runner.h"

namespace kyrvana::gui {
namespace {

constexpr int kNameColumnWidth = 300;
constexpr int kSizeColumnWidth = 100;
constexpr std::int64_t kPiece = 1024;

// Names from the device are 8-bit text; Latin-1 keeps every byte.
QString fromDevice(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A folder typed or chosen by the user, in the file system's own encoding.
std::filesystem::path folderPath(const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    return std::filesystem::path(std::string(encoded.constData(), encoded.size()));
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
    DeviceLink& device = link_;
    // A card of unknown size shows the smallest share.
    runner_->run([&device, kilobytes] { (void)device.QuerySDVolumeSizeKB(*kilobytes); },
                 [this, kilobytes] {
                     volumeKB_ = *kilobytes;
                     showUsedStorage();
                 });
}

CAccessTestDataDlg::~CAccessTestDataDlg() {
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
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setMinimumWidth(static_cast<int>(140 * scale));
    doneButton_ = makeButton("Done", "doneButton", this);
    bottom->addWidget(progress_, 0, 0);
    bottom->addWidget(status_, 0, 1);
    bottom->addWidget(doneButton_, 0, 2);
    bottom->setColumnStretch(0, 1);
    layout->addLayout(bottom);

    connect(scanButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::scanForData);
    connect(downloadButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::downloadSelected);
    connect(deleteSelectedButton_, &QPushButton::clicked, this,
            &CAccessTestDataDlg::deleteSelected);
    connect(deleteAllButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::deleteAll);
    connect(browseButton_, &QPushButton::clicked, this, &CAccessTestDataDlg::browse);
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
    if (isBusy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
    emit busyChanged(isBusy);
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

void CAccessTestDataDlg::scanForData() {
    if (busy()) {
        return;
    }
    // The list always shows exactly the entries held, so it empties at once.
    responseLines_.clear();
    files_.clear();
    fillList();
    showUsedStorage();
    auto listing = std::make_shared<SdListing>();
    DeviceLink& device = link_;
    runner_->run([&device, listing] { *listing = readSdListing(device); },
                 [this, listing] {
                     responseLines_ = std::move(listing->responseLines);
                     files_ = std::move(listing->files);
                     fillList();
                     showUsedStorage();
                 });
}

void CAccessTestDataDlg::postDownloadProgress(int file, std::int64_t done, std::int64_t total) {
    bool post = false;
    {
        std::lock_guard lock(progressMutex_);
        post = !transferProgress_.queued;
        transferProgress_ = {file, done, total, true};
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
    const std::int64_t pieces = (latest.done + kPiece - 1) / kPiece;
    progress_->setValue(static_cast<int>(std::min<std::int64_t>(pieces, last)));
}

void CAccessTestDataDlg::downloadSelected() {
    if (busy() || list_->itemCount() == 0) {
        return;
    }
    // Top to bottom; each row is deselected once its file is done.
    std::vector<std::pair<int, std::string>> selected;
    for (const int row : list_->selectedRows()) {
        if (row >= 0 && static_cast<std::size_t>(row) < files_.size()) {
            selected.emplace_back(row, files_[static_cast<std::size_t>(row)].name);
        }
    }
    if (selected.empty()) {
        return;
    }
    // The folder as typed; only a folder chosen with Browse is remembered.
    const std::filesystem::path folder = folderPath(folderEdit_->text());
    refusedDownloads_ = 0;
    DeviceLink& device = link_;
    DeviceTaskRunner* runner = runner_;
    runner_->run(
        [this, &device, runner, selected, folder] {
            // One operation: once the device stops answering, the files
            // still to come stay selected instead of costing a time-out
            // each.
            const auto operation = device.BeginOperation();
            for (std::size_t file = 0; file < selected.size(); ++file) {
                const auto& [row, name] = selected[file];
                const int number = static_cast<int>(file);
                runner->post([this, number] {
                    shownFile_ = number;
                    status_->setText(QString::fromLatin1(kDownloadingStatus));
                    progress_->setValue(0);
                });
                const DownloadReport report = downloadSdFile(
                    device, name, folder, [this, number](std::int64_t done, std::int64_t total) {
                        postDownloadProgress(number, done, total);
                    });
                const bool unanswered = report.result.wentUnanswered();
                runner->post([this, row = row, name = name, outcome = report.outcome] {
                    shownFile_ = -1;
                    progress_->setValue(0);
                    switch (outcome) {
                        case DownloadOutcome::Complete:
                            status_->setText(QString::fromLatin1(kDownloadCompleteStatus));
                            break;
                        case DownloadOutcome::Incomplete:
                            status_->setText(QString::fromLatin1(kDownloadIncompleteStatus));
                            break;
                        case DownloadOutcome::CannotOpen:
                            // Nothing was downloaded; the box follows.
                            status_->clear();
                            ++refusedDownloads_;
                            break;
                    }
                    list_->setItemState(row, 0, CReportCtrl::kStateSelected);
                    emit fileDownloaded(fromDevice(name));
                });
                if (unanswered) {
                    break;
                }
            }
        },
        [this] {
            // Shown once the transfer has ended, one box per refused file.
            for (int i = 0; i < refusedDownloads_; ++i) {
                messages_.showError(this, QString::fromLatin1(kCannotOpenForWritingMessage));
            }
            refusedDownloads_ = 0;
        });
}

void CAccessTestDataDlg::applyDeletion(std::vector<SdFileEntry> remaining, int failures) {
    files_ = std::move(remaining);
    fillList();
    showUsedStorage();
    for (int i = 0; i < failures; ++i) {
        messages_.showError(this, QString::fromLatin1(kFileNotDeletedMessage));
    }
}

void CAccessTestDataDlg::deleteSelected() {
    if (busy()) {
        return;
    }
    std::vector<std::size_t> indices;
    for (const int row : list_->selectedRows()) {
        indices.push_back(static_cast<std::size_t>(row));
    }
    if (indices.empty()) {
        return;
    }
    auto files = std::make_shared<std::vector<SdFileEntry>>(files_);
    auto report = std::make_shared<DeletionReport>();
    DeviceLink& device = link_;
    runner_->run(
        [&device, files, report, indices] { *report = deleteSdFiles(device, *files, indices); },
        [this, files, report] { applyDeletion(std::move(*files), report->failed); });
}

void CAccessTestDataDlg::deleteAll() {
    if (busy()) {
        return;
    }
    if (messages_.show(this, QString::fromLatin1(kApplicationName),
                       QString::fromLatin1(kDeleteAllQuestion), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    auto files = std::make_shared<std::vector<SdFileEntry>>(files_);
    auto report = std::make_shared<DeletionReport>();
    DeviceLink& device = link_;
    runner_->run([&device, files, report] { *report = deleteAllSdFiles(device, *files); },
                 [this, files, report] { applyDeletion(std::move(*files), report->failed); });
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
