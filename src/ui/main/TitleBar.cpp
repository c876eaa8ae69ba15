#include "ui/main/TitleBar.h"

#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/MainToolbar.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace pigmo {

TitleBar::TitleBar(MainToolbar* toolbar, std::function<void()> back, const LocalizationManager& localization,
                   int height, QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(height);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    backButton_ = new QToolButton;
    backButton_->setAutoRaise(true);
    setLocalizedAccessibleName(*backButton_, localization, u"onboarding_back"_key, true);
    if (const std::optional<TemplateImage> arrow = loadBundleSVGImage(QStringLiteral("arrow-left")))
        backButton_->setIcon(arrow->pixmap(QSize(16, 16), ui::primaryColor(*this), devicePixelRatioF()));
    backButton_->setIconSize(QSize(16, 16));
    backButton_->setStyleSheet(QStringLiteral("QToolButton { padding: 0 6px; border: none; }"));
    connect(backButton_, &QToolButton::clicked, this, std::move(back));
    row->addWidget(backButton_);
    row->addStretch();
    row->addWidget(toolbar);
    row->addStretch();
    // Balances the back button so that the toolbar stays centred.
    auto* balance = new QWidget;
    balance->setFixedWidth(backButton_->sizeHint().width());
    row->addWidget(balance);
}

} // namespace pigmo
