#pragma once

// The questions the test-data dialog asks before something would be lost
// that no one can bring back: files deleted from the device's card, and
// copies in the download folder that a download would replace (a copy there
// may be the only one left, or one a person has since worked on). Each one
// defaults to the answer that keeps everything.

#include <QString>
#include <filesystem>
#include <string>
#include <vector>

class QWidget;

namespace kyrvana::gui {

class MessageBoxes;

// The deletion question naming `names` (the first kNamesShown of them, then
// how many more).
QString deletionQuestion(const std::vector<std::string>& names);
inline constexpr int kNamesShown = 5;

// Asks the deletion question (Yes / No, No by default); true for Yes.
bool confirmDeletion(MessageBoxes& messages, QWidget* parent,
                     const std::vector<std::string>& names);

// Which of `names`, in order, to fetch into `folder`. A name that is
// already there is asked about (Replace, Skip, Replace All, Skip All; Skip
// by default); an "All" answer holds for the rest.
std::vector<bool> chooseFilesToFetch(MessageBoxes& messages, QWidget* parent,
                                     const std::vector<std::string>& names,
                                     const std::filesystem::path& folder);

}  // namespace kyrvana::gui
