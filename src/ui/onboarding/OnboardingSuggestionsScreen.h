#pragma once

#include <QAbstractButton>
#include <QList>
#include <QUuid>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace pigmo {

class ElidedLabel;
class LocalizationManager;
class OnboardingButton;
class OnboardingSecondaryButton;
class OnboardingSuggestionsModel;

// One proposal: its preview above its folder name; selected ones on a rounded 8 % tint with the preview at
// full opacity, the others plain with the preview at 40 %. A click flips the selection in the model.
class OnboardingSuggestionCard : public QAbstractButton {
    Q_OBJECT
public:
    OnboardingSuggestionCard(OnboardingSuggestionsModel& model, QUuid id, QWidget* parent = nullptr);
    const QUuid& id() const { return id_; }
    bool isSelected() const;
    ElidedLabel* nameLabel() const { return name_; }
    void refresh();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OnboardingSuggestionsModel& model_;
    QUuid id_;
    ElidedLabel* name_ = nullptr;
};

// The proposals of the scan, grouped by the folder that holds them under a short path ("~ › Desktop"),
// five cards to a row; below them the apply button, which counts the selected ones, and a quiet skip.
// With no proposal it says so; skip is then the only way on.
class OnboardingSuggestionsScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingSuggestionsScreen(LocalizationManager& localization, OnboardingSuggestionsModel& model,
                                std::function<void()> onApply, std::function<void()> onSkip, int columns = 5,
                                QWidget* parent = nullptr);

    OnboardingButton* applyButton() const { return applyButton_; }
    OnboardingSecondaryButton* skipButton() const { return skipButton_; }
    const QList<OnboardingSuggestionCard*>& cards() const { return cards_; }
    // The short paths over the groups, in order.
    QStringList groupHeaders() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void showSelection();
    QWidget* header();

    LocalizationManager& localization_;
    OnboardingSuggestionsModel& model_;
    int columns_;
    QWidget* content_ = nullptr;
    QWidget* bottomBar_ = nullptr;
    OnboardingButton* applyButton_ = nullptr;
    OnboardingSecondaryButton* skipButton_ = nullptr;
    QList<OnboardingSuggestionCard*> cards_;
    QList<ElidedLabel*> headers_;
};

} // namespace pigmo
