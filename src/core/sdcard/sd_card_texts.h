#pragma once

// The texts the test-data dialog and kyrvana-cli show, as the program has
// always shown them (two spaces after "Error:" and after "All.").

namespace kyrvana {

inline constexpr const char* kCannotOpenForWritingMessage = "Error:  Cannot Open File for Writing";
inline constexpr const char* kFileNotDeletedMessage = "Error:  File Not Deleted";
inline constexpr const char* kDeleteAllQuestion = "Delete All.  Are You sure?";
inline constexpr const char* kDownloadingStatus = "Downloading...";
inline constexpr const char* kDownloadCompleteStatus = "Download Complete";
inline constexpr const char* kDownloadIncompleteStatus = "Download Incomplete";

}  // namespace kyrvana
