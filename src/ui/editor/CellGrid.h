#pragma once

#include <QWidget>

#include <functional>

namespace pigmo {

// A grid of painted cells in rows of a fixed number of columns, as tall as its rows need at the width it is
// given. Only the cells inside the area being painted are drawn, so inside a scroll area only the visible
// cells are ever painted (and anything they load, loaded). A click or Return/Space on the keyboard's current
// cell activates it; the arrow keys move the current cell.
class CellGrid : public QWidget {
    Q_OBJECT

public:
    struct Metrics {
        int columns = 1;
        // A fixed cell width, the cells from the leading edge; 0 shares the width equally between the columns.
        double cellWidth = 0;
        double columnSpacing = 0;
        double rowSpacing = 0;
        // The cell height for a cell width.
        std::function<double(double cellWidth)> cellHeight;
    };
    using PaintCell = std::function<void(QPainter& painter, const QRectF& rect, int index)>;

    CellGrid(Metrics metrics, PaintCell paintCell, QWidget* parent = nullptr);

    int count() const { return count_; }
    void setCount(int count);
    QRectF cellRect(int index) const;
    int indexAt(const QPointF& position) const;
    int currentIndex() const { return current_; }
    // The cells drawn by the last paint.
    int paintedCellCount() const { return paintedCells_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double cellWidthAt(double width) const;
    double cellHeightAt(double width) const;

    Metrics metrics_;
    PaintCell paintCell_;
    int count_ = 0;
    int current_ = -1;
    int pressed_ = -1;
    int paintedCells_ = 0;
};

} // namespace pigmo
