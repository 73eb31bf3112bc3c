#pragma once

#include <QValidator>

namespace kyrvana::gui {

// Accepts the decimal digits of an unsigned 32-bit number (0 to 4294967295)
// and nothing else: the standard integer check of an edit box, which rejects
// text that is not a number but no value in range. Empty text is
// "intermediate": allowed while typing, not on OK.
class UnsignedValidator : public QValidator {
    Q_OBJECT

  public:
    explicit UnsignedValidator(QObject* parent = nullptr);

    State validate(QString& input, int& position) const override;

    // The value of acceptable text.
    static bool parse(const QString& text, unsigned& value);
};

}  // namespace kyrvana::gui
