#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kyrvana::gui {

// The core keeps text as 8-bit bytes, exactly as the device and the protocol
// files hold it. Latin-1 maps every byte to one character and back, so any
// byte survives the trip through a widget, and cutting a name at 15 bytes in
// the core never splits a character the user sees. A character outside
// Latin-1 typed into a field becomes "?".
inline QString fromCore(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toCore(const QString& text) {
    return text.toLatin1().toStdString();
}

}  // namespace kyrvana::gui
