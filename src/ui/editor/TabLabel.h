#pragma once

#include "ui/controls/SegmentedPicker.h"

#include <QFont>
#include <QMarginsF>
#include <QString>

#include <functional>

namespace pigmo {

// The look of the labels of a tab bar: the text in the primary colour when selected, at 30 % otherwise;
// `tint`, when set, fills the selected label's rounded rectangle with the primary colour at 10 %.
struct TabLabel {
    QFont font;
    QMarginsF padding;
    bool tint = false;
    double radius = 8;

    QSize size(const QString& text) const;
    // `selection`: how selected the label is drawn, 0 ... 1. Colours come from the painted widget.
    void paint(QPainter& painter, const QRectF& rect, const QString& text, double selection) const;
};

// A tab bar over the items, each labelled by `text(item)` (looked up when painted or read, so it follows
// the interface language) and drawn as `look` says.
template <typename Item>
SegmentedPicker<Item>* makeTabBar(Binding<Item> selected, QList<Item> items, std::function<QString(const Item&)> text,
                                  TabLabel look, QWidget* parent = nullptr)
{
    auto* bar = new SegmentedPicker<Item>(
        std::move(selected), std::move(items), [text, look](const Item& item) { return look.size(text(item)); },
        [text, look](QPainter& painter, const QRectF& rect, const Item& item, double selection) {
            look.paint(painter, rect, text(item), selection);
        },
        text, parent);
    return bar;
}

} // namespace pigmo
