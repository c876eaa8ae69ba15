#pragma once

#include <QLayout>
#include <QList>

#include <optional>

namespace pigmo {

// Lines its items up left to right at their ideal sizes and wraps into further rows when the width is used
// up, like words in a paragraph; one `spacing` between neighbours and between rows. Rows are aligned to
// the leading edge and their top; an item wider than the width stands alone in its row. Keeps no cache.
class FlowLayout : public QLayout {
    Q_OBJECT

public:
    explicit FlowLayout(double spacing, QWidget* parent = nullptr);
    ~FlowLayout() override;

    double flowSpacing() const { return spacing_; }
    // The size the items take in `width` (unlimited when absent: one row, as wide as that row).
    QSize sizeThatFits(std::optional<int> width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> visibleItems() const;

    double spacing_;
    QList<QLayoutItem*> items_;
};

} // namespace pigmo
