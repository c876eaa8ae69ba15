#include "ui/onboarding/OnboardingButtons.h"

#include "storage/BundleResources.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"

#include <QPainter>
#include <QVBoxLayout>

namespace pigmo {

namespace {

constexpr int primaryPadding = 14;
constexpr double primaryRadius = 12;
constexpr int titleMaximumWidth = 460;

void connectAction(QAbstractButton& button, std::function<void()> action)
{
    QObject::connect(&button, &QAbstractButton::clicked, &button, [action = std::move(action)] {
        if (action)
            action();
    });
}

} // namespace

OnboardingButton::OnboardingButton(const QString& title, bool enabled, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(title);
    setAccessibleName(title);
    setEnabled(enabled);
    setFont(ui::systemFont(15, QFont::DemiBold));
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMaximumWidth(maximumWidth);
    connectAction(*this, std::move(action));
}

QSize OnboardingButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {std::min(maximumWidth, metrics.horizontalAdvance(text()) + 48), metrics.height() + 2 * primaryPadding};
}

QSize OnboardingButton::minimumSizeHint() const
{
    return {std::min(maximumWidth, QFontMetrics(font()).horizontalAdvance(text()) + 24), sizeHint().height()};
}

void OnboardingButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = Qt::white;
    if (!isEnabled())
        background.setAlphaF(0.4F);
    else if (isDown())
        background = background.darker(108);
    const QPainterPath shape = ui::continuousRoundedRect(QRectF(rect()), primaryRadius);
    painter.fillPath(shape, background);
    // A disabled button's title is dimmed too: on a light window the faded white alone hardly shows.
    painter.setPen(isEnabled() ? QColor(Qt::black) : QColor(0, 0, 0, 115));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, QFontMetrics(font()).elidedText(text(), Qt::ElideRight, width() - 16));
    ui::drawFocusRing(painter, *this, QRectF(rect()), primaryRadius);
}

OnboardingSecondaryButton::OnboardingSecondaryButton(const QString& title, std::function<void()> action,
                                                     QWidget* parent)
    : QAbstractButton(parent)
{
    setText(title);
    setAccessibleName(title);
    setFont(ui::systemFont(13));
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connectAction(*this, std::move(action));
}

QSize OnboardingSecondaryButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 8, metrics.height() + 4};
}

void OnboardingSecondaryButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(isDown() ? ui::primaryColor(*this, 0.8) : ui::secondaryColor(*this));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
    ui::drawFocusRing(painter, *this, QRectF(rect()), 4);
}

OnboardingTitle::OnboardingTitle(LocalizationManager& localization, const QString& key,
                                 std::optional<QString> leadInKey, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 36, 32, 0);
    column->setSpacing(8);
    if (leadInKey) {
        leadIn_ = onboarding::text(localization, *leadInKey, ui::systemFont(13), 0.5);
        leadIn_->setMaximumWidth(titleMaximumWidth);
        column->addLayout(onboarding::centred(leadIn_));
    }
    title_ = onboarding::text(localization, key, ui::systemFont(20, QFont::DemiBold));
    title_->setMaximumWidth(titleMaximumWidth);
    column->addLayout(onboarding::centred(title_));
}

namespace onboarding {

LocalizedText* text(LocalizationManager& localization, const QString& key, const QFont& font, double opacity,
                    QWidget* parent)
{
    auto* label = new LocalizedText(localization, key, std::nullopt, parent);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (opacity < 1.0) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ui::primaryColor(*label, opacity));
        label->setPalette(palette);
    }
    return label;
}

QString buttonTitle(const LocalizationManager& localization, const QString& key)
{
    return LocalizedText::textOf(localization, key, std::nullopt);
}

QHBoxLayout* centred(QWidget* widget, int sides)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(sides, 0, sides, 0);
    row->setSpacing(0);
    row->addStretch(1);
    row->addWidget(widget, 1000);
    row->addStretch(1);
    return row;
}

QLabel* appIcon(int side)
{
    auto* icon = new QLabel;
    icon->setFixedSize(side, side);
    icon->setAlignment(Qt::AlignCenter);
    QImage image(BundleResources::path(QStringLiteral("images/app-icon.png")));
    if (!image.isNull()) {
        const qreal ratio = icon->devicePixelRatioF();
        QImage scaled = image.scaled(QSize(side, side) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        icon->setPixmap(QPixmap::fromImage(scaled));
    }
    icon->setAccessibleName(QStringLiteral("Pigmo"));
    return icon;
}

} // namespace onboarding

} // namespace pigmo
