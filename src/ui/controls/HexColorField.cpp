#include "ui/controls/HexColorField.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"

#include <QPainter>

namespace pigmo {

HexColorField::HexColorField(Binding<HSL> color, const LocalizationManager& localization, QWidget* parent)
    : QLineEdit(parent)
    , color_(std::move(color))
{
    setFrame(false);
    setTextMargins(4, 4, 4, 4);
    setFixedWidth(68);
    setLocalizedAccessibleName(*this, localization, u"hex_color"_key);
    QPalette clear = palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    setPalette(clear);
    connect(this, &QLineEdit::textEdited, this, &HexColorField::takeText);
    connect(this, &QLineEdit::editingFinished, this, &HexColorField::refresh);
    connect(this, &QLineEdit::returnPressed, this, [this] { clearFocus(); });
    refresh();
}

std::optional<HSL> HexColorField::colorOfText(const QString& text)
{
    const std::optional<Color> parsed = Color::fromHex(text);
    if (!parsed)
        return std::nullopt;
    return HSL::fromColor(*parsed);
}

QString HexColorField::textOfColor(const HSL& color)
{
    return color.color().hexString();
}

void HexColorField::refresh()
{
    if (typing_)
        return;
    const QString text = textOfColor(color_.get());
    if (text != this->text())
        setText(text);
}

void HexColorField::takeText(const QString& text)
{
    const std::optional<HSL> color = colorOfText(text);
    if (!color)
        return;
    typing_ = true;
    color_.set(*color);
    typing_ = false;
}

void HexColorField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    refresh();
}

void HexColorField::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ui::primaryColor(*this, 0.05));
        painter.drawPath(ui::continuousRoundedRect(QRectF(rect()), 4));
    }
    QLineEdit::paintEvent(event);
}

} // namespace pigmo
