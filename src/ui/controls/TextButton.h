#pragma once

#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"

#include <QAbstractButton>

#include <functional>
#include <optional>

class QLabel;

namespace pigmo {

class LocalizationManager;
class LocalizedText;

// A rounded (corner radius 12), filled button with a localised label in the title-3 style, an optional
// icon drawn as a template before it, and an optional count that picks the label's plural form and is
// written into it. Padded 20 points left and right and `verticalPadding` above and below; with
// `expandWidth` it takes all the width it is given, otherwise its label's width plus 40 points.
class TextButton : public QAbstractButton {
    Q_OBJECT

public:
    TextButton(std::function<void()> action, std::optional<TemplateImage> icon, QString textKey,
               std::optional<qint64> count, ui::ThemeColor textColor, ui::ThemeColor color, bool expandWidth,
               double verticalPadding, LocalizationManager& localization, QWidget* parent = nullptr);

    LocalizedText* label() const { return label_; }
    void setCount(std::optional<qint64> count);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateColors();

    std::optional<TemplateImage> icon_;
    ui::ThemeColor textColor_;
    ui::ThemeColor color_;
    double verticalPadding_;
    QLabel* iconLabel_ = nullptr;
    LocalizedText* label_ = nullptr;
};

} // namespace pigmo
