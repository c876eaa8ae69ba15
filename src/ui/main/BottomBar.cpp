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
#include <QStackedLayout>

namespace pigmo {
namespace {

const QColor successGreen{52, 199, 89};

// The green checkmark in its faintly green rounded rectangle, as wide as the bar.
class SuccessBadge : public QWidget {
public:
    explicit SuccessBadge(const QString& accessibleName, QWidget* parent = nullptr)
        : QWidget(parent)
        , symbol_(symbolImage(QStringLiteral("checkmark.circle.fill")))
    {
        setFixedHeight(24 + 2 * 12);
        setAccessibleName(accessibleName);
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
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    pages_ = new QStackedLayout;
    outer->addLayout(pages_);

    buttons_ = new QWidget;
    auto* row = new QHBoxLayout(buttons_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    save_ = new SymbolButton(QStringLiteral("square.and.arrow.down"), 18 + 2 * 8, 18);
    connect(save_, &QAbstractButton::clicked, this, [save] { save(); });
    row->addWidget(save_, 0, Qt::AlignBottom);
    apply_ = new TextButton(std::move(apply), std::nullopt, QStringLiteral("change_icons"), 0, ui::windowBackground(),
                            ui::primary(), true, 12, localization);
    // Inside a button a label would draw in the button-text role; the apply button's text is the window colour.
    apply_->label()->setForegroundRole(QPalette::WindowText);
    row->addWidget(apply_, 1, Qt::AlignBottom);
    pages_->addWidget(buttons_);

    loading_ = new QWidget;
    auto* centre = new QHBoxLayout(loading_);
    centre->setContentsMargins(0, 0, 0, 0);
    spinner_ = new Spinner(20 * 0.7);
    centre->addWidget(spinner_, 0, Qt::AlignCenter);
    pages_->addWidget(loading_);

    success_ = new QWidget;
    auto* badgeBox = new QVBoxLayout(success_);
    badgeBox->setContentsMargins(0, 0, 0, 0);
    badgeBox->addStretch();
    badgeBox->addWidget(new SuccessBadge(localization_.string(u"save_folder_designs"_key)));
    pages_->addWidget(success_);
    setFolderCount(0);
}

void BottomBar::showState(bool isLoading, bool isSuccess)
{
    state_ = isSuccess ? State::success : isLoading ? State::loading : State::buttons;
    pages_->setCurrentWidget(state_ == State::success ? success_ : state_ == State::loading ? loading_ : buttons_);
}

void BottomBar::setFolderCount(int count)
{
    apply_->setCount(count);
    save_->setEnabled(count > 0);
    const QString help = localization_.string(count > 0 ? u"save_folder_designs"_key : u"no_designs_to_save"_key);
    save_->setToolTip(help);
    save_->setAccessibleName(help);
}

} // namespace pigmo
