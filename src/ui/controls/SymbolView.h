#pragma once

#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"

#include <QAbstractButton>
#include <QWidget>

#include <optional>

namespace pigmo {

// One interface symbol drawn as a template in a colour of the appearance, fitted into its fixed square.
// A symbol the alias table does not know leaves the square empty.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(const QString& systemName, int size, ui::ThemeColor color, QWidget* parent = nullptr);

    const QString& systemName() const { return systemName_; }
    bool hasImage() const { return image_.has_value(); }
    void setColor(ui::ThemeColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString systemName_;
    std::optional<TemplateImage> image_;
    ui::ThemeColor color_;
};

// A plain-style button: whatever its layout holds is its face, its whole rectangle takes clicks, and its
// children never take the mouse. `background` (absent: none) fills a rounded rectangle of `radius` behind the
// face (a capsule when the radius is at least half the height); a button focused from the keyboard shows the focus
// ring.
class PlainButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit PlainButton(QWidget* parent = nullptr);

    void setBackground(std::optional<ui::ThemeColor> background, double radius);
    // Every child widget added later must be made transparent again: call after filling the layout.
    void makeChildrenTransparent();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ui::ThemeColor> background_;
    double radius_ = 0;
};

// A plain button that is one tab of a tab bar: checkable, checked while its tab is the current one (one at a
// time among its siblings), and read by assistive technologies as a page tab, selected while checked.
class TabButton : public PlainButton {
    Q_OBJECT

public:
    explicit TabButton(QWidget* parent = nullptr);
};

// The widget that holds the tab buttons of one tab bar: their page tab list to assistive technologies.
class TabBar : public QWidget {
    Q_OBJECT

public:
    explicit TabBar(QWidget* parent = nullptr);
};

} // namespace pigmo
