#pragma once

// Fills a fresh simulated SD card with what a stimulator's card holds after
// a few tests: data files in DATA/, the test description and protocol files
// the firmware keeps beside them, and the folder Windows leaves on every card
// it has seen. The listing filters of the program are meant to hide all but
// the data files.

#include <filesystem>
#include <string>

namespace kyrvana::sim {

bool seedSdCard(const std::filesystem::path& root, std::string* error);

}  // namespace kyrvana::sim
