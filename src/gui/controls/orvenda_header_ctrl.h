#pragma once

#include <QHeaderView>

namespace kyrvana::gui {

// The flat grey header of the program's lists: the whole strip in grey 224,
// each section framed in grey 189 with a separator at its right, titles in
// black in "Segoe UI" 8 pt where that font is installed and the system's
// sans-serif face otherwise.
class COrvendaHeaderCtrl : public QHeaderView {
    Q_OBJECT

  public:
    explicit COrvendaHeaderCtrl(Qt::Orientation orientation, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // The narrowest section that shows `title` in full.
    int sectionWidthFor(const QString& title) const;

    // The title font described above.
    static QFont titleFont();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace kyrvana::gui
