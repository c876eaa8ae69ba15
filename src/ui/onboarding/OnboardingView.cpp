#include "ui/onboarding/OnboardingView.h"

#include "services/LocalizationManager.h"
#include "services/OnboardingLoadingSequence.h"
#include "services/OnboardingSuggestionsModel.h"
#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/WidgetRemoval.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingPreferenceScreens.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingSuggestionsScreen.h"

#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QSequentialAnimationGroup>
#include <QVariantAnimation>

namespace pigmo {

namespace {

constexpr QSize smallestSize{780, 480};
constexpr int chevronSide = 32;
constexpr int navigationTop = 14;
constexpr int navigationSides = 80;
constexpr int footerBottom = 18;
constexpr int footerSpacing = 14;
constexpr int dotSide = 6;
constexpr int dotSpacing = 6;

// A chevron in a 32 × 32 frame: the back one in the text colour at 50 %, the forward one black on a white
// circle.
class Chevron : public QAbstractButton {
public:
    Chevron(bool forward, const LocalizationManager& localization, QWidget* parent)
        : QAbstractButton(parent)
        , forward_(forward)
        , image_(loadBundleSVGImage(forward ? QStringLiteral("chevron-right") : QStringLiteral("chevron-left")))
    {
        setFixedSize(chevronSide, chevronSide);
        setFocusPolicy(Qt::StrongFocus);
        ui::followKeyboardFocus(*this);
        setCursor(Qt::PointingHandCursor);
        setLocalizedAccessibleName(*this, localization, forward ? u"onboarding_next"_key : u"onboarding_back"_key);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = ui::primaryColor(*this, 0.5);
        if (forward_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(isDown() ? QColor(230, 230, 230) : QColor(Qt::white));
            painter.drawEllipse(QRectF(rect()));
            color = Qt::black;
        } else if (isDown()) {
            color = ui::primaryColor(*this, 0.8);
        }
        const double glyph = forward_ ? 16 : 19;
        const QRectF target(QPointF((width() - glyph) / 2, (height() - glyph) / 2), QSizeF(glyph, glyph));
        if (image_) {
            // The semibold weight of the symbol font: the stroke drawn once more, a hair to the side.
            image_->draw(painter, target, color);
            image_->draw(painter, target.translated(0.4, 0), color);
        }
        ui::drawFocusRing(painter, *this, QRectF(rect()), chevronSide / 2.0);
    }

private:
    bool forward_;
    std::optional<TemplateImage> image_;
};

int raw(OnboardingStep step)
{
    return static_cast<int>(step);
}

} // namespace

// The seven progress dots, welcome to folder access: the current one at 70 % of the text colour, the
// others at 20 %.
class OnboardingView::Dots : public QWidget {
public:
    Dots(const OnboardingView& view, QWidget* parent)
        : QWidget(parent)
        , view_(view)
    {
        setFixedSize(OnboardingFlow::progressDotCount * (dotSide + dotSpacing) - dotSpacing, dotSide);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int index = 0; index < OnboardingFlow::progressDotCount; ++index) {
            painter.setBrush(ui::primaryColor(*this, index == raw(view_.step()) ? 0.7 : 0.2));
            painter.drawEllipse(QRectF(index * (dotSide + dotSpacing), 0, dotSide, dotSide));
        }
    }

private:
    const OnboardingView& view_;
};

OnboardingView::OnboardingView(Services services, std::function<void()> onComplete, QWidget* parent)
    : QWidget(parent)
    , services_(std::move(services))
    , onComplete_(std::move(onComplete))
    , flow_(std::make_unique<OnboardingFlow>(
          OnboardingFlow::Services{services_.watcher, services_.isFolderAccessGranted}))
    , suggestionsModel_(services_.makeSuggestionsModel())
{
    setMinimumSize(smallestSize);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    backButton_ = new Chevron(false, services_.localization, this);
    connect(backButton_, &QAbstractButton::clicked, this, &OnboardingView::goToPreviousStep);
    forwardButton_ = new Chevron(true, services_.localization, this);
    connect(forwardButton_, &QAbstractButton::clicked, this, &OnboardingView::next);
    continueButton_ = new OnboardingButton(
        onboarding::buttonTitle(services_.localization, u"onboarding_continue"_key), true, [this] { next(); }, this);
    dots_ = new Dots(*this, this);

    connect(flow_.get(), &OnboardingFlow::stepChanged, this, &OnboardingView::showStep);
    connect(flow_.get(), &OnboardingFlow::finished, this, [this] {
        if (onComplete_)
            onComplete_();
    });

    screen_ = makeScreen(flow_->step());
    screen_->show();
    updateChrome();
}

OnboardingView::~OnboardingView()
{
    // The screens refer to the model and the flow: they go first.
    delete screen_.data();
    delete leaving_.data();
}

QWidget* OnboardingView::makeScreen(OnboardingStep step)
{
    LocalizationManager& localization = services_.localization;
    QWidget* screen = nullptr;
    switch (step) {
    case OnboardingStep::welcome:
        screen = new OnboardingWelcomeScreen(localization, [this] { next(); });
        break;
    case OnboardingStep::tutorialDrag:
        screen = new OnboardingTutorialScreen(localization, u"onboarding_tutorial_drag_title"_key,
                                              QStringLiteral("onboarding_drag"));
        break;
    case OnboardingStep::tutorialRightClick:
        screen = new OnboardingTutorialScreen(localization, u"onboarding_tutorial_rightclick_title"_key,
                                              QStringLiteral("onboarding_rightclick"));
        break;
    case OnboardingStep::style:
        screen = new OnboardingStyleScreen(localization, services_.iconStyle);
        break;
    case OnboardingStep::languages:
        screen = new OnboardingLanguagesScreen(localization, services_.languages);
        break;
    case OnboardingStep::watcher:
        screen = new OnboardingWatcherScreen(
            localization, [this] { flow_->chooseWatcher(true); }, [this] { flow_->chooseWatcher(false); });
        break;
    case OnboardingStep::fda:
        screen = new OnboardingFDAScreen(
            localization, services_.fda, [this] { flow_->applyWatcherChoice(); },
            [this] { flow_->continueWithoutAccess(); });
        break;
    case OnboardingStep::setupLoading:
        suggestionsModel_->startScan();
        screen = new OnboardingFakeLoadingScreen(
            localization, OnboardingLoadingSequence::setupLabels(), false,
            [model = suggestionsModel_.get()] { return model->isScanReady(); }, [this] { next(); });
        break;
    case OnboardingStep::suggestions:
        screen = new OnboardingSuggestionsScreen(
            localization, *suggestionsModel_, [this] { next(); }, [this] { skipToReady(); });
        break;
    case OnboardingStep::applyLoading:
        suggestionsModel_->applySelected();
        screen = new OnboardingFakeLoadingScreen(
            localization, OnboardingLoadingSequence::applyLabels(), true,
            [model = suggestionsModel_.get()] { return model->isDoneApplying(); }, [this] { next(); });
        break;
    case OnboardingStep::ready:
        screen = new OnboardingReadyScreen(localization, suggestionsModel_->failedCount(), [this] { finish(); });
        break;
    }
    screen->setParent(this);
    screen->setGeometry(rect());
    screen->lower();
    return screen;
}

// The old screen fades out; after it, the new one slides in from the side the move came from, fading in.
// A move while a transition runs drops the screen that was coming in.
void OnboardingView::showStep(OnboardingStep step, OnboardingFlow::Direction direction, bool skipped)
{
    if (slide_)
        slide_->stop();
    ui::discard(leaving_);
    leaving_ = screen_;
    if (leaving_) {
        leaving_->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* effect = new QGraphicsOpacityEffect(leaving_);
        leaving_->setGraphicsEffect(effect);
    }

    screen_ = makeScreen(step);
    auto* screenEffect = new QGraphicsOpacityEffect(screen_);
    screenEffect->setOpacity(0);
    screen_->setGraphicsEffect(screenEffect);
    screen_->show();
    updateChrome();
    setFocus();

    const int outMs = skipped ? skipMs / 2 : fadeOutMs;
    const int inMs = skipped ? skipMs / 2 : slideInMs;
    const double from = direction == OnboardingFlow::Direction::backward ? -slideDistance : slideDistance;
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(outMs + (skipped ? 0 : slideInDelayMs - fadeOutMs) + inMs);
    const double total = animation->duration();
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this, outMs, inMs, total, from, skipped](const QVariant& value) {
                const double elapsed = value.toDouble() * total;
                if (leaving_) {
                    const double t = std::clamp(elapsed / outMs, 0.0, 1.0);
                    const QEasingCurve out(skipped ? QEasingCurve::InOutQuad : QEasingCurve::InQuad);
                    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(leaving_->graphicsEffect()))
                        effect->setOpacity(1 - out.valueForProgress(t));
                }
                const double start = total - inMs;
                const double t = std::clamp((elapsed - start) / inMs, 0.0, 1.0);
                const QEasingCurve in(skipped ? QEasingCurve::InOutQuad : QEasingCurve::OutQuad);
                const double progress = in.valueForProgress(t);
                slideOffset_ = skipped ? 0 : from * (1 - progress);
                if (screen_) {
                    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(screen_->graphicsEffect()))
                        effect->setOpacity(progress);
                    screen_->move(qRound(slideOffset_), 0);
                }
            });
    connect(animation, &QVariantAnimation::finished, this, [this] {
        ui::discard(leaving_);
        leaving_ = nullptr;
        slideOffset_ = 0;
        if (screen_) {
            screen_->setGraphicsEffect(nullptr);
            screen_->move(0, 0);
        }
    });
    slide_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QWidget* OnboardingView::progressDots() const
{
    return dots_;
}

bool OnboardingView::isTransitioning() const
{
    return slide_ && slide_->state() == QAbstractAnimation::Running;
}

// Which of the chevrons, the continue button and the dots the step shows.
void OnboardingView::updateChrome()
{
    const OnboardingStep step = flow_->step();
    backButton_->setVisible(OnboardingFlow::showsBackButton(step));
    forwardButton_->setVisible(OnboardingFlow::showsForwardButton(step));
    continueButton_->setVisible(OnboardingFlow::showsContinueButton(step));
    dots_->setVisible(OnboardingFlow::showsProgressDots(step));
    dots_->setAccessibleName(QStringLiteral("%1 / %2").arg(raw(step) + 1).arg(OnboardingFlow::progressDotCount));
    dots_->update();
    layOut();
    for (QWidget* overlay : {static_cast<QWidget*>(backButton_), static_cast<QWidget*>(forwardButton_),
                             static_cast<QWidget*>(continueButton_), static_cast<QWidget*>(dots_)})
        overlay->raise();
}

void OnboardingView::layOut()
{
    if (screen_)
        screen_->setGeometry(QRect(QPoint(qRound(slideOffset_), 0), size()));
    if (leaving_)
        leaving_->setGeometry(rect());
    backButton_->move(navigationSides, navigationTop);
    forwardButton_->move(width() - navigationSides - chevronSide, navigationTop);
    int bottom = height() - footerBottom;
    if (dots_->isVisibleTo(this)) {
        dots_->move((width() - dots_->width()) / 2, bottom - dots_->height());
        bottom -= dots_->height() + footerSpacing;
    }
    const QSize button(std::min(OnboardingButton::maximumWidth, width() - 64), continueButton_->sizeHint().height());
    continueButton_->setGeometry(QRect(QPoint((width() - button.width()) / 2, bottom - button.height()), button));
}

void OnboardingView::resizeEvent(QResizeEvent*)
{
    layOut();
}

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setFocus(); // Return reaches the view; no control shows a focus ring until the user tabs to it
    flow_->saveResumeStep();
}

// Return triggers the step's default action: the forward chevron, the continue button, or the screen's
// primary button, when enabled.
QAbstractButton* OnboardingView::defaultButton() const
{
    if (forwardButton_->isVisibleTo(this))
        return forwardButton_;
    if (continueButton_->isVisibleTo(this))
        return continueButton_;
    if (!screen_)
        return nullptr;
    for (OnboardingButton* button : screen_->findChildren<OnboardingButton*>()) {
        if (button->isVisibleTo(screen_))
            return button;
    }
    return nullptr;
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (QAbstractButton* button = defaultButton(); button && button->isEnabled() && !isTransitioning())
        button->click();
}

void OnboardingView::finish()
{
    if (completed_)
        return;
    completed_ = true;
    flow_->finish();
}

} // namespace pigmo
