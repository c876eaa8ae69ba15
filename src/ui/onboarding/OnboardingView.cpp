#include "ui/onboarding/OnboardingView.h"

#include "services/OnboardingFlow.h"
#include "storage/BundleResources.h"
#include "ui/Localized.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace pigmo {

OnboardingView::OnboardingView(std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent)
    , onComplete_(std::move(onComplete))
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);
    layout->addStretch();

    auto* icon = new QLabel;
    const QPixmap appIcon(BundleResources::path(QStringLiteral("images/app-icon.png")));
    if (!appIcon.isNull())
        icon->setPixmap(appIcon.scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);

    auto* title = new QLabel(ui::localized(u"onboarding_welcome_title"_key));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto* subtitle = new QLabel(ui::localized(u"onboarding_welcome_subtitle"_key));
    subtitle->setAlignment(Qt::AlignCenter);
    subtitle->setWordWrap(true);
    layout->addWidget(subtitle);

    continueButton_ = new QPushButton(ui::localized(u"onboarding_get_started"_key));
    continueButton_->setDefault(true);
    continueButton_->setMinimumWidth(200);
    connect(continueButton_, &QPushButton::clicked, this, &OnboardingView::finish);
    layout->addWidget(continueButton_, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void OnboardingView::finish()
{
    if (finished_)
        return;
    finished_ = true;
    OnboardingFlow::storeCompletion();
    if (onComplete_)
        onComplete_();
}

} // namespace pigmo
