#include "ui/main/ApplySequencer.h"

#include "render/ColorizationService.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/SpringAnimation.h"

#include <QEasingCurve>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

namespace pigmo {
namespace {

int milliseconds(double seconds)
{
    return int(seconds * 1000 + 0.5);
}

QEasingCurve bezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

constexpr Spring settleSpring{0.5, 0.55};

} // namespace

ApplySequencer::ApplySequencer(ApplyAnimationOverlay& overlay, const LocalizationManager& localization, QObject* parent)
    : QObject(parent)
    , overlay_(overlay)
    , failureBadge_(new ApplyFailureBadge(localization, &overlay))
{
    overlay_.hide();
    failureBadge_->hide();
}

ApplySequencer::~ApplySequencer() = default;

void ApplySequencer::at(double seconds, std::function<void()> step)
{
    const int generation = generation_;
    // Precise: a coarse timer may fire up to 5 % early, which would bunch the staggered steps.
    QTimer::singleShot(milliseconds(seconds), Qt::PreciseTimer, this, [this, generation, step = std::move(step)] {
        if (generation == generation_)
            step();
    });
}

int ApplySequencer::run(QList<ApplyAnimationItem> items)
{
    ++generation_;
    for (const QPointer<QVariantAnimation>& animation : std::as_const(animations_)) {
        if (animation)
            animation->stop();
    }
    animations_.clear();
    items = items.mid(0, ApplyTimings::maximumItems);
    const int count = int(items.size());
    running_ = count > 0;
    outcomeDue_ = false;
    failures_.reset();
    shownOutcome_.reset();
    failureBadge_->hide();
    looks_ = QList<std::optional<ApplyCardLook>>(count);
    overlay_.setItems(items);
    overlay_.setShowCheckmark(false);
    overlay_.setBadgeProgress(std::nullopt);
    if (count == 0) {
        clear();
        return generation_;
    }
    overlay_.setGeometry(overlay_.parentWidget()->rect());
    overlay_.raise();
    overlay_.show();
    const double shown = ui::opacityOf(overlay_);
    fade(shown < 1 && overlay_.isVisible() ? shown : 0.0, 1.0, ApplyTimings::appearDuration, QEasingCurve::InOutQuad);

    static const QEasingCurve riseCurve = bezier({0.2, 0.8}, {0.4, 1.0});
    static const QEasingCurve crossCurve = bezier({0.85, 0.0}, {0.15, 1.0});
    for (int i = 0; i < count; ++i) {
        at(ApplyTimings::riseAt(i), [this, i] {
            setPhase(i, ApplyAnimationPhase::rising, nullptr, 0);
            setPhase(i, ApplyAnimationPhase::risen, &riseCurve, ApplyTimings::riseDuration);
        });
        at(ApplyTimings::crossAt(i),
           [this, i] { setPhase(i, ApplyAnimationPhase::crossing, &crossCurve, ApplyTimings::crossDuration); });
        at(ApplyTimings::settleAt(i), [this, i] { setPhase(i, ApplyAnimationPhase::settled, nullptr, -1); });
    }
    at(ApplyTimings::lastSettled(count) + ApplyTimings::checkmarkDelay, [this] {
        outcomeDue_ = true;
        showOutcomeWhenReady();
    });
    return generation_;
}

void ApplySequencer::finish(int generation, const QStringList& failedFolders)
{
    if (generation != generation_ || failures_)
        return;
    failures_ = failedFolders;
    showOutcomeWhenReady();
}

void ApplySequencer::setBeforeImages(int generation, const QList<QImage>& images)
{
    if (generation != generation_)
        return;
    QList<ApplyAnimationItem> items = overlay_.items();
    for (qsizetype i = 0; i < items.size() && i < images.size(); ++i)
        items[i].before = images[i];
    overlay_.setItems(items);
    for (int i = 0; i < looks_.size(); ++i)
        overlay_.setCardLook(i, looks_[i]);
}

// A phase step: `curve` and `duration` animate the card's look there; a negative duration takes the settling
// spring; no curve jumps.
void ApplySequencer::setPhase(int index, ApplyAnimationPhase phase, const QEasingCurve* curve, double duration)
{
    QList<ApplyAnimationItem> items = overlay_.items();
    if (index < 0 || index >= items.size())
        return;
    const ApplyCardLook from = overlay_.cardLook(index);
    items[index].phase = phase;
    looks_[index].reset();
    overlay_.setItems(items);
    for (int i = 0; i < looks_.size(); ++i)
        overlay_.setCardLook(i, looks_[i]);
    Q_EMIT phaseChanged(index, phase);
    if (!curve && duration >= 0)
        return;
    QVariantAnimation* animation = nullptr;
    if (curve) {
        animation = new QVariantAnimation(this);
        animation->setEasingCurve(*curve);
        animation->setDuration(milliseconds(duration));
    } else {
        animation = new SpringAnimation(settleSpring, this);
    }
    animateLook(index, from, ApplyCardLook::of(phase), animation);
}

void ApplySequencer::animateLook(int index, ApplyCardLook from, ApplyCardLook to, QVariantAnimation* animation)
{
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, index, from, to](const QVariant& value) {
        if (index < looks_.size()) {
            looks_[index] = ApplyCardLook::between(from, to, value.toDouble());
            overlay_.setCardLook(index, looks_[index]);
        }
    });
    connect(animation, &QVariantAnimation::finished, this, [this, index] {
        if (index < looks_.size()) {
            looks_[index].reset();
            overlay_.setCardLook(index, std::nullopt);
        }
    });
    animations_.append(animation);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ApplySequencer::showOutcomeWhenReady()
{
    if (!outcomeDue_ || !failures_ || shownOutcome_)
        return;
    const bool success = failures_->isEmpty();
    shownOutcome_ = success;
    if (success) {
        overlay_.setShowCheckmark(true);
        auto* spring = new SpringAnimation(settleSpring, this);
        spring->setStartValue(0.0);
        spring->setEndValue(1.0);
        connect(spring, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& value) { overlay_.setBadgeProgress(value.toDouble()); });
        connect(spring, &QVariantAnimation::finished, this, [this] { overlay_.setBadgeProgress(std::nullopt); });
        animations_.append(spring);
        spring->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        failureBadge_->setGeometry(overlay_.rect());
        failureBadge_->setFailures(*failures_, overlay_.badgeOffset());
        failureBadge_->show();
        failureBadge_->raise();
    }
    Q_EMIT outcomeShown(success);
    const double shownFor =
        success ? ApplyTimings::clearDelay - ApplyTimings::checkmarkDelay : ApplyTimings::failureDisplay;
    at(shownFor, [this] {
        QVariantAnimation* fadeOut = fade(1.0, 0.0, ApplyTimings::clearDuration, QEasingCurve::OutQuad);
        const int generation = generation_;
        connect(fadeOut, &QAbstractAnimation::finished, this, [this, generation] {
            if (generation == generation_)
                clear();
        });
    });
}

// The overlay is drawn through an opacity effect only while it fades: at full opacity it is opaque, and
// nothing under it is drawn again while its cards move.
QVariantAnimation* ApplySequencer::fade(double from, double to, double seconds, QEasingCurve::Type curve)
{
    auto* animation = new QVariantAnimation(this);
    animation->setDuration(milliseconds(seconds));
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setEasingCurve(curve);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { ui::setOpacity(overlay_, value.toDouble()); });
    ui::setOpacity(overlay_, from);
    animations_.append(animation);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

void ApplySequencer::clear()
{
    running_ = false;
    overlay_.setItems({});
    overlay_.setShowCheckmark(false);
    overlay_.hide();
    failureBadge_->hide();
    ui::setOpacity(overlay_, 1.0);
    Q_EMIT cleared();
}

ApplyFailureBadge::ApplyFailureBadge(const LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , localization_(localization)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setLocalizedAccessibleName(*this, localization_, u"icons_not_changed"_key);
}

void ApplyFailureBadge::setFailures(const QStringList& folderNames, QPointF badgeCentreOffset)
{
    message_ = localization_.string(u"icons_not_changed"_key).replace(QStringLiteral("%@"), folderNames.join(u", "));
    setAccessibleDescription(message_);
    badgeOffset_ = badgeCentreOffset;
    update();
}

void ApplyFailureBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double diameter = ApplyAnimationOverlay::badgeDiameter;
    const QPointF centre = rect().center() + badgeOffset_;
    painter.setPen(Qt::NoPen);
    painter.setBrush(badgeRed);
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
    QPen cross(Qt::white, 5, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(cross);
    const double arm = diameter * 0.18;
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));

    painter.setFont(ui::textFont(ui::TextStyle::body));
    painter.setPen(ui::primaryColor(*this));
    const QRectF text(24, centre.y() + diameter / 2 + 12, width() - 48, height() - centre.y() - diameter / 2 - 12);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, message_);
}

void ApplySequencer::playSample()
{
    const auto uniform = [](double low, double high) {
        return low + QRandomGenerator::global()->generateDouble() * (high - low);
    };
    ColorizationData style;
    style.color = HSL{uniform(0, 360), uniform(70, 95), uniform(45, 60)};
    style.intensity = 0.7;
    style.iconStyle = IconStyle::vibrant();
    ApplyAnimationItem item;
    const std::optional<QImage>& blue = ColorizationService::blueFolderImage();
    const std::optional<QImage>& neutral = ColorizationService::neutralFolderImage();
    item.before = blue ? *blue : neutral.value_or(QImage());
    item.after = ColorizationService::generateIcon(style).value_or(QImage());
    finish(run({item}), {});
}

} // namespace pigmo
