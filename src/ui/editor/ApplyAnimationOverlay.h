#pragma once

#include <QImage>
#include <QList>
#include <QUuid>
#include <QWidget>

#include <optional>

namespace pigmo {

// The steps of one card of the apply animation, in order.
enum class ApplyAnimationPhase { hidden, rising, risen, crossing, settled };

// One folder being styled: its icon before and after.
struct ApplyAnimationItem {
    QUuid id = QUuid::createUuid();
    QImage before; // null when absent
    QImage after;  // null when absent
    ApplyAnimationPhase phase = ApplyAnimationPhase::hidden;
};

// Where a card's two pictures stand: opacities, and vertical offsets in points (positive is downwards).
struct ApplyCardLook {
    double beforeOpacity = 0;
    double beforeOffset = 0;
    double afterOpacity = 0;
    double afterOffset = 0;

    // The resting look of a phase.
    static ApplyCardLook of(ApplyAnimationPhase phase);
    // The look `progress` (0 ... 1, beyond 1 for a spring's overshoot) of the way from `from` to `to`.
    static ApplyCardLook between(const ApplyCardLook& from, const ApplyCardLook& to, double progress);
    friend bool operator==(const ApplyCardLook&, const ApplyCardLook&) = default;
};

// One frame of the scene shown over the window while styles are applied: the window background, the cards
// of the folders (160 points for one folder, 120 for several, fanned out by `stackOffset`, the first in front
// and leftmost), and the green checkmark badge below them. The overlay has no clock of its own: whoever runs
// the animation sets the items' phases and the checkmark flag, and may set the in-between looks it animates
// through; without them each card shows the look of its phase and the badge that of the flag.
class ApplyAnimationOverlay : public QWidget {
    Q_OBJECT

public:
    static constexpr double singleCardSide = 160;
    static constexpr double cardSide = 120;
    static constexpr double badgeDiameter = 56;
    static constexpr double hiddenBadgeScale = 0.4;
    static inline const QColor badgeGreen{48, 176, 80};

    explicit ApplyAnimationOverlay(QWidget* parent = nullptr);

    const QList<ApplyAnimationItem>& items() const { return items_; }
    void setItems(const QList<ApplyAnimationItem>& items);
    bool showCheckmark() const { return showCheckmark_; }
    void setShowCheckmark(bool show);
    double stackOffset() const { return stackOffset_; }
    void setStackOffset(double offset);

    // An in-between look of the card of `index`; nothing returns it to its phase's look.
    void setCardLook(int index, const std::optional<ApplyCardLook>& look);
    ApplyCardLook cardLook(int index) const;
    // The badge's scale and opacity between the flag's two looks; nothing returns it to the flag's look.
    void setBadgeProgress(const std::optional<double>& progress);

    // The card's side, and its centre relative to the overlay's centre.
    double cardSideForCount() const;
    QPointF cardOffset(int index) const;
    // The badge's centre relative to the overlay's centre, its scale and its opacity.
    QPointF badgeOffset() const;
    double badgeScale() const;
    double badgeOpacity() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintCard(QPainter& painter, int index, const QPointF& centre);
    void paintBadge(QPainter& painter, const QPointF& centre);

    QList<ApplyAnimationItem> items_;
    QList<std::optional<ApplyCardLook>> looks_;
    bool showCheckmark_ = false;
    std::optional<double> badgeProgress_;
    double stackOffset_ = 20;
};

} // namespace pigmo
