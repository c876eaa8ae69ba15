#include "ui/controls/HSLSlider.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/LocalizedText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include <cmath>
#include <locale.h>
#include <stdlib.h>

namespace pigmo {
namespace {

// Reads a decimal number the same way whatever the process's locale: overflow gives an infinity.
double parseDecimal(const QByteArray& text)
{
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return strtod_l(text.constData(), nullptr, c);
}

QString accessibleKey(HSLComponent component)
{
    switch (component) {
    case HSLComponent::hue:
        return u"hue"_key;
    case HSLComponent::saturation:
        return u"saturation"_key;
    case HSLComponent::lightness:
        return u"lightness"_key;
    }
    return {};
}

} // namespace

HSLBindings HSLBindings::over(const Binding<HSL>& color)
{
    auto channel = [color](double HSL::*member) {
        return Binding<double>{[color, member] { return color.get().*member; },
                               [color, member](const double& value) {
                                   HSL next = color.get();
                                   next.*member = value;
                                   color.set(next);
                               }};
    };
    return {channel(&HSL::hue), channel(&HSL::saturation), channel(&HSL::lightness)};
}

const Binding<double>& HSLBindings::channel(HSLComponent component) const
{
    switch (component) {
    case HSLComponent::hue:
        return hue;
    case HSLComponent::saturation:
        return saturation;
    case HSLComponent::lightness:
        break;
    }
    return lightness;
}

double HSLSlider::upperBound(HSLComponent component)
{
    return component == HSLComponent::hue ? 360 : 100;
}

std::optional<double> HSLSlider::valueOfText(const QString& text, double upperBound)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    const double value = parseDecimal(text.toLatin1());
    if (std::isnan(value))
        return std::nullopt;
    const double limited = std::trunc(std::min(value, upperBound));
    return limited <= 0 ? 0.0 : limited;
}

QString HSLSlider::textOfValue(double value)
{
    if (!std::isfinite(value))
        return {};
    double rounded = std::round(value);
    if (rounded == 0)
        rounded = 0; // no "-0"
    return QString::number(rounded, 'f', 0);
}

HSLSlider::HSLSlider(HSLBindings channels, HSLComponent component, const LocalizationManager& localization,
                     QWidget* parent)
    : QWidget(parent)
    , channels_(std::move(channels))
    , component_(component)
{
    const double upper = upperBound(component);
    slider_ = new CustomGradientSlider(channels_.channel(component), upper, {}, 20, this);
    slider_->setFixedHeight(24);
    slider_->setKeyboardStep(1 / upper);
    setLocalizedAccessibleName(*slider_, localization, accessibleKey(component));

    field_ = new QLineEdit(this);
    field_->setFrame(false);
    field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field_->setTextMargins(0, 0, 0, 0);
    field_->setContentsMargins(4, 4, 4, 4);
    setLocalizedAccessibleName(*field_, localization, accessibleKey(component));
    QPalette clear = field_->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(clear);
    // Room for the widest value ("360") and the line edit's own inner margins.
    field_->setFixedWidth(std::max(20, field_->fontMetrics().horizontalAdvance(QStringLiteral("360")) + 6) + 8);
    field_->installEventFilter(this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(slider_, 1, Qt::AlignVCenter);
    row->addWidget(field_, 0, Qt::AlignVCenter);

    connect(field_, &QLineEdit::textEdited, this, &HSLSlider::takeText);
    connect(field_, &QLineEdit::returnPressed, this, [this] {
        field_->clearFocus();
        showValue();
    });
    connect(slider_, &CustomGradientSlider::editingChanged, this, [this] { refresh(); });
    refresh();
}

void HSLSlider::refresh()
{
    HSL base = channels_.value();
    switch (component_) {
    case HSLComponent::hue:
        base.hue = 0;
        break;
    case HSLComponent::saturation:
        base.saturation = 0;
        break;
    case HSLComponent::lightness:
        base.lightness = 0;
        break;
    }
    slider_->setGradient(HSL::channelGradient(component_, 20, base));
    if (!typing_)
        showValue();
}

void HSLSlider::showValue()
{
    field_->setText(textOfValue(channels_.channel(component_).get()));
}

void HSLSlider::takeText(const QString& text)
{
    const std::optional<double> value = valueOfText(text, upperBound(component_));
    if (!value)
        return;
    typing_ = true;
    channels_.channel(component_).set(*value);
    typing_ = false;
    slider_->update();
}

void HSLSlider::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

bool HSLSlider::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::FocusOut)
        showValue();
    return QWidget::eventFilter(watched, event);
}

} // namespace pigmo
