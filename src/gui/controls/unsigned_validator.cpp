#include "gui/controls/unsigned_validator.h"

#include <limits>

namespace kyrvana::gui {

UnsignedValidator::UnsignedValidator(QObject* parent) : QValidator(parent) {}

QValidator::State UnsignedValidator::validate(QString& input, int& /*position*/) const {
    if (input.isEmpty()) {
        return Intermediate;
    }
    unsigned value = 0;
    return parse(input, value) ? Acceptable : Invalid;
}

bool UnsignedValidator::parse(const QString& text, unsigned& value) {
    if (text.isEmpty() || text.size() > 10) {
        return false;
    }
    unsigned long long total = 0;
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9')) {
            return false;
        }
        total = total * 10 + static_cast<unsigned>(character.unicode() - u'0');
    }
    if (total > std::numeric_limits<unsigned>::max()) {
        return false;
    }
    value = static_cast<unsigned>(total);
    return true;
}

}  // namespace kyrvana::gui
