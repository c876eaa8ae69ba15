#pragma once

#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"

#include <QAbstractButton>
#include <QMarginsF>

#include <optional>

namespace pigmo {

class LocalizationManager;

// A plain button whose label (an optional Lucide icon, then a localised text) sits on a rounded, tinted
// rectangle; the whole rectangle takes clicks. The text follows the interface language.
class PillButton : public QAbstractButton {
    Q_OBJECT

public:
    struct Look {
        QFont font;
        ui::ThemeColor textColor;
        ui::ThemeColor fill;
        QMarginsF padding;
        double radius = 8;
        double iconSide = 14;
        double iconSpacing = 5;
    };

    // `iconName`: a Lucide icon of the bundle; a missing file leaves the button without an icon.
    PillButton(const QString& iconName, QString textKey, Look look, LocalizationManager& localization,
               QWidget* parent = nullptr);

    const QString& textKey() const { return key_; }
    bool hasIcon() const { return icon_.has_value(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void retranslate();

    QString key_;
    Look look_;
    LocalizationManager& localization_;
    std::optional<TemplateImage> icon_;
};

} // namespace pigmo
