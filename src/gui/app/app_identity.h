#pragma once

#include "kyrvana/project_identity.h"

// How the program names itself: the settings live under the organisation and
// application names, message boxes carry the application title, and the main
// window's title never shows a document name.
namespace kyrvana::gui {

inline constexpr const char* kOrganizationName = "BrantfieldInstruments";
inline constexpr const char* kApplicationName = "KyrvanaP7";
inline constexpr const char* kFrameTitle = "Kyrvana";
inline constexpr const char* kAboutTitle = "About Kyrvana";
inline constexpr const char* kSoftwareVersionText = "Software Version " KYRVANA_VERSION;

}  // namespace kyrvana::gui
