#include "ui/main/BottomBar.h"

#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/Spinner.h"
#include "ui/controls/TextButton.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace pigmo {
namespace {

const QColor successGreen{52, 199, 89};

// The green checkmark in its faintly green rounded rectangle, as wide as the bar.
class SuccessBadge : public QWidget {
public:
    explicit SuccessBadge(QWidget* parent = nullptr)
        : QWidget(parent)
        , symbol_(symbolImage(QStringLiteral("checkmark.circle.fill")))
    {
        setFixedHeight(24 + 2 * 12);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = successGreen;
        fill.setAlphaF(0.1f);
        painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), 12), fill);
        if (symbol_) {
            const QRectF target(width() / 2.0 - 12, height() / 2.0 - 12, 24, 24);
            symbol_->draw(painter, target, successGreen);
        }
    }

private:
    std::optional<TemplateImage> symbol_;
};

} // namespace

BottomBar::BottomBar(std::function<void()> save, std::function<void()> apply, LocalizationManager& localization,
                     QWidget* parent)
    : QWidget(parent)
    , localization_(localization)
{
    setFixedHeight(height);

    // The row sits at the bottom of the bar, its two buttons centred on each other.
    buttons_ = new QWidget(this);
    auto* bottom = new QVBoxLayout(buttons_);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->addStretch();
    auto* row = new QHBoxLayout;
    bottom->addLayout(row);
    row->setSpacing(12);
    save_ = new SymbolButton(QStringLiteral("square.and.arrow.down"), 18 + 2 * 8, 18);
    connect(save_, &QAbstractButton::clicked, this, [save] { save(); });
    row->addWidget(save_, 0, Qt::AlignVCenter);
    apply_ = new TextButton(std::move(apply), std::nullopt, QStringLiteral("change_icons"), 0, ui::windowBackground(),
                            ui::primary(), true, 12, localization);
    row->addWidget(apply_, 1, Qt::AlignVCenter);

    loading_ = new QWidget(this);
    auto* centre = new QHBoxLayout(loading_);
    centre->setContentsMargins(0, 0, 0, 0);
    spinner_ = new Spinner(20 * 0.7);
    centre->addWidget(spinner_, 0, Qt::AlignCenter);

    success_ = new QWidget(this);
    auto* badgeBox = new QVBoxLayout(success_);
    badgeBox->setContentsMargins(0, 0, 0, 0);
    badgeBox->addStretch();
    auto* badge = new SuccessBadge;
    setLocalizedAccessibleName(*badge, localization_, u"save_folder_designs"_key);
    badgeBox->addWidget(badge);

    pages_ = {buttons_, loading_, success_};
    for (QWidget* content : pages_)
        content->setVisible(content == buttons_);
    transition_ = new QVariantAnimation(this);
    transition_->setDuration(transitionMilliseconds);
    transition_->setEasingCurve(QEasingCurve::InOutQuad);
    transition_->setStartValue(0.0);
    transition_->setEndValue(1.0);
    connect(transition_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { place(value.toDouble()); });
    connect(transition_, &QVariantAnimation::finished, this, [this] { place(1); });
    place(1);
    setFolderCount(0);
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, &BottomBar::nameSaveButton);
}

void BottomBar::showState(bool isLoading, bool isSuccess)
{
    const State next = isSuccess ? State::success : isLoading ? State::loading : State::buttons;
    if (next == state_)
        return;
    // A transition cut short jumps to its end; the new one starts from the content shown now.
    transition_->stop();
    place(1);
    leaving_ = state_;
    state_ = next;
    page(state_)->show();
    place(0);
    transition_->start();
}

bool BottomBar::isInTransition() const
{
    return transition_->state() == QAbstractAnimation::Running;
}

void BottomBar::place(double progress)
{
    const auto set = [this](QWidget* content, double opacity, double offset) {
        content->setGeometry(rect().translated(0, int(std::lround(offset))));
        ui::setOpacity(*content, opacity);
    };
    for (QWidget* content : pages_)
        content->setVisible(content == page(state_) || (content == page(leaving_) && progress < 1));
    if (leaving_ != state_)
        set(page(leaving_), 1 - progress, transitionOffset * progress);
    set(page(state_), progress, transitionOffset * (1 - progress));
}

QSize BottomBar::sizeHint() const
{
    return {buttons_->sizeHint().width(), height};
}

QSize BottomBar::minimumSizeHint() const
{
    return {buttons_->minimumSizeHint().width(), height};
}

void BottomBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place(isInTransition() ? transition_->currentValue().toDouble() : 1);
}

void BottomBar::setFolderCount(int count)
{
    apply_->setCount(count);
    save_->setEnabled(count > 0);
    nameSaveButton();
}

void BottomBar::nameSaveButton()
{
    const QString help =
        localization_.string(save_->isEnabled() ? u"save_folder_designs"_key : u"no_designs_to_save"_key);
    save_->setToolTip(help);
    save_->setAccessibleName(help);
}

} // namespace pigmo
