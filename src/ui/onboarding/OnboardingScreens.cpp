#include "ui/onboarding/OnboardingScreens.h"

#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/Spinner.h"
#include "ui/controls/SpringAnimation.h"
#include "ui/onboarding/LoopingVideoView.h"
#include "ui/onboarding/OnboardingButtons.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace pigmo {

namespace {

constexpr int buttonBottomPadding = 60;
constexpr int badgeHeight = 64;
constexpr int checkmarkSize = 60;
constexpr int labelFadeMs = 250;
const QColor checkmarkGreen(52, 199, 89);

// The primary button as the bottom of a screen: centred, 60 points above the bottom edge.
void addBottomButton(QVBoxLayout* column, OnboardingButton* button)
{
    column->addLayout(onboarding::centred(button, 32));
    column->addSpacing(buttonBottomPadding - column->spacing());
}

} // namespace

OnboardingWelcomeScreen::OnboardingWelcomeScreen(LocalizationManager& localization, std::function<void()> onContinue,
                                                 QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    column->addStretch(1);
    column->addWidget(onboarding::appIcon(110), 0, Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(onboarding::text(localization, u"onboarding_welcome_title"_key, ui::systemFont(30, QFont::Bold)));
    texts->addLayout(onboarding::centred(
        onboarding::text(localization, u"onboarding_welcome_subtitle"_key, ui::systemFont(14), 0.5), 40));
    column->addLayout(texts);
    column->addStretch(1);
    button_ = new OnboardingButton(onboarding::buttonTitle(localization, u"onboarding_get_started"_key), true,
                                   std::move(onContinue));
    addBottomButton(column, button_);
}

AspectFitBox::AspectFitBox(QWidget* child, double ratio, QWidget* parent)
    : QWidget(parent)
    , child_(child)
    , ratio_(ratio)
{
    child_->setParent(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AspectFitBox::resizeEvent(QResizeEvent*)
{
    QSizeF fitted = QSizeF(ratio_, 1).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QSize whole(qRound(fitted.width()), qRound(fitted.height()));
    child_->setGeometry(QRect(QPoint((width() - whole.width()) / 2, (height() - whole.height()) / 2), whole));
}

OnboardingTutorialScreen::OnboardingTutorialScreen(LocalizationManager& localization, const QString& titleKey,
                                                   std::optional<QString> videoAssetName, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(20);
    title_ = new OnboardingTitle(localization, titleKey, std::nullopt);
    column->addWidget(title_);
    video_ = new LoopingVideoView(std::move(videoAssetName));
    auto* box = new AspectFitBox(video_, videoAspectRatio);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(24, 0, 24, 36);
    row->addWidget(box);
    column->addLayout(row, 1);
}

OnboardingWatcherScreen::OnboardingWatcherScreen(LocalizationManager& localization,
                                                 std::function<void()> onContinueWithWatcher,
                                                 std::function<void()> onSkipWatcher, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(40, 80, 40, 40);
    row->setSpacing(32);
    video_ = new LoopingVideoView(QStringLiteral("onboarding_watcher"));
    video_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    row->addWidget(video_, 1);

    auto* column = new QVBoxLayout;
    column->setSpacing(32);
    column->addStretch(1);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(16);
    texts->addWidget(
        onboarding::text(localization, u"onboarding_watcher_title"_key, ui::systemFont(20, QFont::DemiBold)));
    texts->addWidget(onboarding::text(localization, u"onboarding_watcher_subtitle"_key, ui::systemFont(13), 0.5));
    column->addLayout(texts);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(18);
    continueButton_ = new OnboardingButton(onboarding::buttonTitle(localization, u"onboarding_watcher_cta"_key), true,
                                           std::move(onContinueWithWatcher));
    buttons->addLayout(onboarding::centred(continueButton_));
    skipButton_ = new OnboardingSecondaryButton(onboarding::buttonTitle(localization, u"onboarding_watcher_skip"_key),
                                                std::move(onSkipWatcher));
    buttons->addWidget(skipButton_, 0, Qt::AlignHCenter);
    column->addLayout(buttons);
    column->addStretch(1);
    row->addLayout(column, 1);
}

OnboardingReadyScreen::OnboardingReadyScreen(LocalizationManager& localization, int failedCount,
                                             std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addStretch(1);
    column->addWidget(onboarding::appIcon(100), 0, Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(onboarding::text(localization, u"onboarding_ready_title"_key, ui::systemFont(26, QFont::Bold)));
    texts->addLayout(onboarding::centred(
        onboarding::text(localization, u"onboarding_ready_subtitle"_key, ui::systemFont(14), 0.5), 40));
    if (failedCount > 0) {
        failureNote_ = new LocalizedText(localization, u"onboarding_ready_failed"_key, failedCount);
        failureNote_->setFont(ui::systemFont(13, QFont::Medium));
        failureNote_->setWordWrap(true);
        failureNote_->setAlignment(Qt::AlignCenter);
        QPalette palette = failureNote_->palette();
        palette.setColor(QPalette::WindowText, QColor(230, 80, 60));
        failureNote_->setPalette(palette);
        texts->addLayout(onboarding::centred(failureNote_, 40));
    }
    column->addLayout(texts);
    column->addStretch(1);
    auto* note = onboarding::text(localization, u"onboarding_ready_finder_note"_key, ui::systemFont(12), 0.5 * 0.8);
    note->setMaximumWidth(420);
    column->addLayout(onboarding::centred(note, 40));
    button_ = new OnboardingButton(onboarding::buttonTitle(localization, u"onboarding_ready_cta"_key), true,
                                   std::move(onComplete));
    addBottomButton(column, button_);
}

// The green "done" badge, drawn at the scale the loading screen animates.
class OnboardingFakeLoadingScreen::Checkmark : public QWidget {
public:
    explicit Checkmark(const OnboardingFakeLoadingScreen& screen)
        : screen_(screen)
    {
        setFixedSize(badgeHeight, badgeHeight); // room for the spring's overshoot
        setAccessibleName(QStringLiteral("checkmark"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const double scale = screen_.checkScale_;
        if (scale <= 0)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        painter.scale(scale, scale);
        painter.setOpacity(std::clamp(scale, 0.0, 1.0));
        const double radius = checkmarkSize / 2.0;
        painter.setPen(Qt::NoPen);
        painter.setBrush(checkmarkGreen);
        painter.drawEllipse(QPointF(0, 0), radius, radius);
        QPainterPath tick;
        tick.moveTo(-radius * 0.42, radius * 0.02);
        tick.lineTo(-radius * 0.1, radius * 0.34);
        tick.lineTo(radius * 0.45, -radius * 0.3);
        painter.setPen(QPen(Qt::white, radius * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }

private:
    const OnboardingFakeLoadingScreen& screen_;
};

OnboardingFakeLoadingScreen::OnboardingFakeLoadingScreen(LocalizationManager& localization,
                                                         QList<OnboardingLoadingSequence::Label> labels,
                                                         bool showCheckmark, std::function<bool()> isComplete,
                                                         std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent)
    , sequence_(std::move(labels), showCheckmark, std::move(isComplete))
{
    auto* column = new QVBoxLayout(this);
    column->setSpacing(24);
    column->addStretch(1);

    badge_ = new QWidget;
    badge_->setFixedHeight(badgeHeight);
    auto* stack = new QStackedLayout(badge_);
    stack->setStackingMode(QStackedLayout::StackAll);
    spinner_ = new Spinner(32);
    checkmark_ = new Checkmark(*this);
    const auto holding = [](QWidget* widget) {
        auto* holder = new QWidget;
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(widget, 0, Qt::AlignCenter);
        return holder;
    };
    auto* spinnerHolder = holding(spinner_);
    auto* checkHolder = holding(checkmark_);
    stack->addWidget(checkHolder);
    stack->addWidget(spinnerHolder);
    checkmark_->hide();
    column->addWidget(badge_);

    label_ = onboarding::text(localization, sequence_.currentKey(), ui::systemFont(14, QFont::Medium), 0.5);
    column->addWidget(label_);
    column->addStretch(1);

    connect(&sequence_, &OnboardingLoadingSequence::currentLabelChanged, this, &OnboardingFakeLoadingScreen::showLabel);
    connect(&sequence_, &OnboardingLoadingSequence::showingCheckChanged, this,
            &OnboardingFakeLoadingScreen::showCheckmark);
    connect(&sequence_, &OnboardingLoadingSequence::completed, this, [onComplete = std::move(onComplete)] {
        if (onComplete)
            onComplete();
    });
}

OnboardingFakeLoadingScreen::~OnboardingFakeLoadingScreen()
{
    sequence_.stop();
}

void OnboardingFakeLoadingScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (sequence_.isRunning())
        return;
    sequence_.start();
    showCheckmark(false);
    showLabel(sequence_.currentLabelIndex());
}

void OnboardingFakeLoadingScreen::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    sequence_.stop();
}

// The new label cross-fades in over 0.25 s.
void OnboardingFakeLoadingScreen::showLabel(int)
{
    label_->setKey(sequence_.currentKey());
    if (labelFade_)
        labelFade_->stop();
    auto* effect = new QGraphicsOpacityEffect(label_);
    effect->setOpacity(0);
    label_->setGraphicsEffect(effect);
    auto* fade = new QVariantAnimation(this);
    fade->setDuration(labelFadeMs);
    fade->setEasingCurve(QEasingCurve::InOutQuad);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    connect(fade, &QVariantAnimation::valueChanged, effect,
            [effect](const QVariant& value) { effect->setOpacity(value.toDouble()); });
    connect(fade, &QVariantAnimation::finished, label_, [label = label_] { label->setGraphicsEffect(nullptr); });
    labelFade_ = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

// The checkmark replaces the spinner, scaling up from nothing on a spring (response 0.4 s, damping 0.7).
void OnboardingFakeLoadingScreen::showCheckmark(bool showing)
{
    spinner_->setVisible(!showing);
    checkmark_->setVisible(showing);
    checkScale_ = 0;
    if (!showing)
        return;
    auto* spring = new SpringAnimation(Spring{0.4, 0.7}, this);
    spring->setStartValue(0.00001);
    spring->setEndValue(1.0);
    connect(spring, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        checkScale_ = value.toDouble();
        checkmark_->update();
    });
    spring->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace pigmo
