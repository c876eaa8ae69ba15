#pragma once

#include "ui/controls/Binding.h"

#include <QList>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>

namespace pigmo {

// The item-independent part of `SegmentedPicker`: a row of segments, each taking clicks on its whole
// rectangle, and the 0.1 s ease-out animation that moves the selection from one segment to another. To
// assistive technologies it is a page tab list whose segments are page tabs, named and pressable.
class SegmentedPickerBase : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 8;
    static constexpr int animationMilliseconds = 100;

    // How selected a segment is drawn, 0 ... 1: the selected one reaches 1 when the animation ends.
    double selectionAmount(int index) const;
    QRect segmentRect(int index) const;
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }
    const QVariantAnimation& selectionAnimation() const { return animation_; }
    QSize sizeHint() const override;

    int segmentCount() const { return itemCount(); }
    // The index of the selected segment, -1 when the bound item is none of the items.
    int selectedSegment() const { return selectedIndex(); }
    // The segment's label as assistive technologies read it.
    virtual QString segmentName(int index) const = 0;
    // Presses the segment of `index` as a click does.
    void pressSegment(int index) { press(index); }

protected:
    explicit SegmentedPickerBase(QWidget* parent);

    virtual int itemCount() const = 0;
    // The index of the bound item, -1 when it is none of the items.
    virtual int selectedIndex() const = 0;
    virtual void writeSelection(int index) = 0;
    virtual QSize segmentSize(int index) const = 0;
    virtual void paintSegment(QPainter& painter, const QRectF& rect, int index, double selection) = 0;

    // Selects a segment through the binding, animating from the segment selected before.
    void press(int index);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QVariantAnimation animation_;
    int animatedFrom_ = -1;
};

// A row of segments, one per item in order, that selects one item: the caller paints each segment from its
// item and how selected it is (0 ... 1, animated over 0.1 s with an ease-out curve when a press changes the
// selection), and names it (`name`, looked up whenever it is read; none leaves the segments unnamed). A bound
// item that is none of the items leaves every segment unselected.
template <typename Item>
class SegmentedPicker : public SegmentedPickerBase {
public:
    using Content = std::function<void(QPainter& painter, const QRectF& rect, const Item& item, double selection)>;
    using Name = std::function<QString(const Item&)>;

    SegmentedPicker(Binding<Item> selectedItem, QList<Item> items, std::function<QSize(const Item&)> size,
                    Content content, Name name = {}, QWidget* parent = nullptr)
        : SegmentedPickerBase(parent)
        , selected_(std::move(selectedItem))
        , items_(std::move(items))
        , size_(std::move(size))
        , content_(std::move(content))
        , name_(std::move(name))
    {
        updateGeometry();
    }

    const QList<Item>& items() const { return items_; }
    QString segmentName(int index) const override
    {
        return name_ && index >= 0 && index < items_.size() ? name_(items_[index]) : QString();
    }

protected:
    int itemCount() const override { return int(items_.size()); }
    int selectedIndex() const override { return int(items_.indexOf(selected_.get())); }
    void writeSelection(int index) override { selected_.set(items_[index]); }
    QSize segmentSize(int index) const override { return size_(items_[index]); }
    void paintSegment(QPainter& painter, const QRectF& rect, int index, double selection) override
    {
        content_(painter, rect, items_[index], selection);
    }

private:
    Binding<Item> selected_;
    QList<Item> items_;
    std::function<QSize(const Item&)> size_;
    Content content_;
    Name name_;
};

} // namespace pigmo
