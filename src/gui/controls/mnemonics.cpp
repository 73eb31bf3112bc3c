#include "gui/controls/mnemonics.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QVariant>
#include <algorithm>
#include <functional>

namespace kyrvana::gui {
namespace {

constexpr const char* kExcludedProperty = "kyrvanaNoMnemonic";
constexpr int kGroupRank = 3;

// A control that takes a mnemonic: its text and how to set it.
struct MnemonicText {
    QString text;
    std::function<void(const QString&)> setText;
    // Lower goes first when the letters are shared out: the labels of
    // fields and the push buttons, then the radio buttons, then the check
    // boxes; a group box only keeps a letter its title marks itself.
    int rank = 0;
};

bool takesMnemonic(QWidget* widget, MnemonicText& out) {
    if (widget->property(kExcludedProperty).toBool()) {
        return false;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        const int rank = qobject_cast<QRadioButton*>(widget) != nullptr ? 1
                         : qobject_cast<QCheckBox*>(widget) != nullptr  ? 2
                                                                        : 0;
        out = {button->text(), [button](const QString& text) { button->setText(text); }, rank};
        return !out.text.isEmpty();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->buddy() == nullptr || label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
            return false;
        }
        out = {label->text(), [label](const QString& text) { label->setText(text); }, 0};
        return !out.text.isEmpty();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        out = {group->title(), [group](const QString& text) { group->setTitle(text); }, kGroupRank};
        return !out.text.isEmpty();
    }
    return false;
}

// Positions of the characters that may carry the mnemonic: first letters of
// words, then the other letters and digits, each in reading order.
QList<qsizetype> candidatePositions(const QString& text) {
    QList<qsizetype> starts;
    QList<qsizetype> others;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!text[at].isLetterOrNumber() || text[at].unicode() > 0x7f) {
            continue;
        }
        const bool wordStart = at == 0 || !text[at - 1].isLetterOrNumber();
        (wordStart ? starts : others).append(at);
    }
    return starts + others;
}

}  // namespace

QChar mnemonicOf(const QString& text) {
    for (qsizetype at = 0; at + 1 < text.size(); ++at) {
        if (text[at] != QLatin1Char('&')) {
            continue;
        }
        if (text[at + 1] == QLatin1Char('&')) {
            ++at;  // "&&" is a shown ampersand
            continue;
        }
        return text[at + 1].toLower();
    }
    return QChar();
}

QString shownText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == QLatin1Char('&') && at + 1 < text.size()) {
            ++at;
        }
        shown += text[at];
    }
    return shown;
}

void excludeFromMnemonics(QWidget* widget) {
    widget->setProperty(kExcludedProperty, true);
}

void assignMnemonics(QWidget* root, const QString& reserved) {
    QSet<QChar> taken;
    for (const QChar letter : reserved) {
        taken.insert(letter.toLower());
    }
    QList<MnemonicText> waiting;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        MnemonicText control;
        if (!takesMnemonic(widget, control)) {
            continue;
        }
        const QChar own = mnemonicOf(control.text);
        if (!own.isNull()) {
            taken.insert(own);
        } else if (control.rank < kGroupRank) {
            waiting.append(control);
        }
    }
    std::stable_sort(waiting.begin(), waiting.end(),
                     [](const MnemonicText& a, const MnemonicText& b) { return a.rank < b.rank; });
    for (const MnemonicText& control : waiting) {
        for (const qsizetype at : candidatePositions(control.text)) {
            const QChar letter = control.text[at].toLower();
            if (!taken.contains(letter)) {
                taken.insert(letter);
                control.setText(control.text.left(at) + QLatin1Char('&') + control.text.mid(at));
                break;
            }
        }
    }
}

}  // namespace kyrvana::gui
