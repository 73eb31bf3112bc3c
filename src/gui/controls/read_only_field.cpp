#include "gui/controls/read_only_field.h"

#include <QLineEdit>
#include <QPalette>

namespace kyrvana::gui {

void makeReadOnly(QLineEdit* field) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    QPalette colours = field->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, colours.color(group, QPalette::Window));
    }
    field->setPalette(colours);
}

}  // namespace kyrvana::gui
