#pragma once

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <optional>

namespace pigmo {

class LocalizationManager;
class LocalizedText;

// The onboarding's primary button: a verbatim title in 15 pt semibold black on white (white at 40 % when
// disabled), 14 points above and below, as wide as offered up to 280 points, rounded with radius 12. The
// onboarding's Return key triggers the enabled primary button of the screen on show.
class OnboardingButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int maximumWidth = 280;

    OnboardingButton(const QString& title, bool enabled, std::function<void()> action, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The quiet skip button: a verbatim title in 13 pt in the secondary colour, no background.
class OnboardingSecondaryButton : public QAbstractButton {
    Q_OBJECT
public:
    OnboardingSecondaryButton(const QString& title, std::function<void()> action, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The title block of an onboarding screen: an optional 13 pt lead-in in the secondary colour above a 20 pt
// semibold title, both centred and at most 460 points wide; 32 points at each side and 36 on top.
class OnboardingTitle : public QWidget {
    Q_OBJECT
public:
    OnboardingTitle(LocalizationManager& localization, const QString& key, std::optional<QString> leadInKey,
                    QWidget* parent = nullptr);

    LocalizedText* title() const { return title_; }
    LocalizedText* leadIn() const { return leadIn_; }

private:
    LocalizedText* title_ = nullptr;
    LocalizedText* leadIn_ = nullptr;
};

namespace onboarding {

// A `LocalizedText` of `key` in `font`, word-wrapped and centred, in the colour `opacity` of the text colour.
LocalizedText* text(LocalizationManager& localization, const QString& key, const QFont& font, double opacity = 1.0,
                    QWidget* parent = nullptr);

// The text of a button title: looked up in the interface language, the key itself when missing.
QString buttonTitle(const LocalizationManager& localization, const QString& key);

// A row that centres `widget` with `sides` points at each side: the widget takes all the width it may (up to
// its maximum width), so wrapped text uses the whole width and buttons grow to their maximum.
QHBoxLayout* centred(QWidget* widget, int sides = 0);

// The app icon fitted into a square of `side` points.
QLabel* appIcon(int side);

} // namespace onboarding

} // namespace pigmo
