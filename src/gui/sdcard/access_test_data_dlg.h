#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/sdcard/sd_deletion.h"
#include "core/sdcard/sd_download.h"
#include "core/sdcard/sd_file_listing.h"
#include "core/sdcard/transfer_rate.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kyrvana {
class DeviceLink;
}

namespace kyrvana::gui {

class AppSettings;
class CReportCtrl;
class DeviceTaskRunner;
class MessageBoxes;

// Lists the test data files on the stimulator's SD card, downloads the
// selected ones into a folder of the user's choice and deletes selected or
// all files.
//
// Every exchange with the device runs on the dialog's own worker thread; the
// window keeps repainting and the progress bar moves during a download, and
// every button (Done included) stays disabled until the work has ended, so
// that no second transfer or deletion can start meanwhile; only Cancel stays
// enabled during a download, which stops it after the piece on its way. The
// card's size is asked as soon as the dialog exists. A device operation that
// fails says so in a plain sentence in the status line.
//
// Nothing is lost without a question: Delete Selected names the files first,
// Delete All asks, and a download that would replace a copy already in the
// download folder asks Replace or Skip, all of them with the answer that
// keeps everything as default.
class CAccessTestDataDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kTitle = "Access Test Data";
    static constexpr const char* kSlowText =
        "Downloading through this interface is slow (approx. 1000 kB/S)";
    static constexpr const char* kFasterText = "For faster Test Data Downloading:";
    static constexpr const char* kPlugCardText = "Plug device SD card directly into a computer ";
    static constexpr const char* kFolderGroupTitle = "Download Folder Location";
    static constexpr const char* kBrowseTitle = "Select Download Folder Location";

    // Asks for a folder; an empty text when the user cancelled.
    using FolderChooser =
        std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

    // `link` must stay open while the dialog lives; `messages` shows its
    // boxes; `settings` gives and keeps the download folder ("DataDir").
    CAccessTestDataDlg(DeviceLink& link, MessageBoxes& messages, AppSettings& settings,
                       QWidget* parent = nullptr);
    ~CAccessTestDataDlg() override;

    // Replaces the folder picker of Browse (a QFileDialog by default).
    void setFolderChooser(FolderChooser chooser);

    // Device work queued or running.
    bool busy() const;

    // What the dialog shows, for tests and the integrator.
    const std::vector<SdFileEntry>& files() const { return files_; }
    const std::vector<std::string>& responseLines() const { return responseLines_; }
    std::int64_t volumeKB() const { return volumeKB_; }
    CReportCtrl* fileList() const { return list_; }
    QLineEdit* folderEdit() const { return folderEdit_; }
    QLineEdit* usedStorageEdit() const { return usedStorageEdit_; }
    QProgressBar* progressBar() const { return progress_; }
    // Speed and time left of the file being downloaded.
    QLabel* rateLabel() const { return rateLabel_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPushButton* scanButton() const { return scanButton_; }
    QPushButton* downloadButton() const { return downloadButton_; }
    QPushButton* deleteSelectedButton() const { return deleteSelectedButton_; }
    QPushButton* deleteAllButton() const { return deleteAllButton_; }
    QPushButton* browseButton() const { return browseButton_; }
    QPushButton* doneButton() const { return doneButton_; }

  public slots:
    void scanForData();
    void downloadSelected();
    void deleteSelected();
    void deleteAll();
    void browse();
    // Stops a running download after the piece on its way.
    void cancelDownload();
    // Closing (Done, Escape, the window's close button) is refused while
    // device work runs; Escape and the close button stop a download instead.
    void reject() override;
    void done(int result) override;

  signals:
    // True when device work starts, false when it has ended and the
    // controls are enabled again.
    void busyChanged(bool busy);
    // A file of a download ended ("Download Complete", "Download
    // Incomplete", or refused with a box).
    void fileDownloaded(const QString& name);

  private:
    // A selected row of a download, and whether its file is to be fetched
    // (false: a copy is already in the folder and the user kept it).
    struct DownloadItem {
        int row = -1;
        std::string name;
        bool fetch = true;
    };

    void buildLayout();
    void setBusy(bool busy);
    void fillList();
    void showUsedStorage();
    void showFailure(const DeviceResult& result);
    void startDeletion(std::vector<std::size_t> indices, bool all);
    void applyDeletion(std::vector<SdFileEntry> remaining, const DeletionReport& report);
    void startDownload(std::vector<DownloadItem> items, const std::filesystem::path& folder);
    // Worker: fetches the items one after another until the device stops
    // answering or the user cancels.
    void fetchFiles(DeviceLink& device, const std::vector<DownloadItem>& items,
                    const std::filesystem::path& folder);
    void beginFileDisplay(int file, TransferRate::Clock::time_point startedAt);
    void showFileOutcome(const DownloadItem& item, const DownloadReport& report);
    void showSkipped(const DownloadItem& item);
    void downloadEnded();
    void showDownloadProgress();
    // From the worker: the latest progress of file `file` of the download.
    void postDownloadProgress(int file, std::int64_t done, std::int64_t total);

    DeviceLink& link_;
    MessageBoxes& messages_;
    AppSettings& settings_;
    FolderChooser chooser_;
    DeviceTaskRunner* runner_;

    std::int64_t volumeKB_ = -1;
    std::vector<std::string> responseLines_;
    std::vector<SdFileEntry> files_;
    // The download under way (GUI thread), and what its end should say.
    bool downloading_ = false;
    int refusedDownloads_ = 0;
    int skippedDownloads_ = 0;
    QString fetchedStatus_;   // the outcome of the last file fetched
    QString keptPart_;        // the part a cancelled file left, as a note
    bool cancelled_ = false;  // Cancel left files or a part of one behind
    // Set by Cancel, read by the worker between two pieces of a file.
    std::atomic<bool> stopRequested_{false};
    // The transfer's progress as the worker last reported it, for the file
    // with that number in the download. At most one progress update waits in
    // the GUI thread's queue at a time, so a fast transfer cannot flood the
    // queue and starve painting and input.
    struct TransferProgress {
        int file = -1;
        std::int64_t done = 0;
        std::int64_t total = 0;
        TransferRate::Clock::time_point at{};
        bool queued = false;
    };
    std::mutex progressMutex_;
    TransferProgress transferProgress_;
    int shownFile_ = -1;  // GUI thread: the file the bar is showing
    TransferRate rate_;   // GUI thread: of the file the bar is showing

    CReportCtrl* list_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QLineEdit* usedStorageEdit_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* rateLabel_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* scanButton_ = nullptr;
    QPushButton* downloadButton_ = nullptr;
    QPushButton* deleteSelectedButton_ = nullptr;
    QPushButton* deleteAllButton_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* advancedButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};

}  // namespace kyrvana::gui
