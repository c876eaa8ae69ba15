#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QVariantAnimation;

namespace pigmo {

class LocalizationManager;
class Spinner;
class SymbolButton;
class TextButton;

// The bar under the editor pane, 50 points high, showing one of three contents: the green success badge
// after designs were saved, a spinner while icons are applied, else the save button and the apply button
// ("Change N Icons"). A change of content fades the old one out while it sinks 10 points, and the new one
// in while it rises from 10 points below, over `transitionMilliseconds` (ease in and out). GUI thread.
class BottomBar : public QWidget {
    Q_OBJECT

public:
    enum class State { buttons, loading, success };
    static constexpr int height = 50;
    static constexpr int transitionMilliseconds = 200;
    static constexpr int transitionOffset = 10;

    BottomBar(std::function<void()> save, std::function<void()> apply, LocalizationManager& localization,
              QWidget* parent = nullptr);

    State state() const { return state_; }
    // Success wins over loading, loading over the buttons.
    void showState(bool isLoading, bool isSuccess);
    // The number of folders: the apply button's count, and whether there is anything to save.
    void setFolderCount(int count);

    SymbolButton* saveButton() const { return save_; }
    TextButton* applyButton() const { return apply_; }
    Spinner* spinner() const { return spinner_; }
    QWidget* successBadge() const { return success_; }
    // The content of a state; only the current one stays visible once a transition ended.
    QWidget* page(State state) const { return pages_[int(state)]; }
    bool isInTransition() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Places the outgoing and incoming contents `progress` (0 to 1) through the transition.
    void place(double progress);
    // The save button's tool tip and name: what it does, or why it is off.
    void nameSaveButton();

    State state_ = State::buttons;
    State leaving_ = State::buttons;
    std::array<QWidget*, 3> pages_{};
    QVariantAnimation* transition_ = nullptr;
    QWidget* buttons_ = nullptr;
    QWidget* loading_ = nullptr;
    QWidget* success_ = nullptr;
    SymbolButton* save_ = nullptr;
    TextButton* apply_ = nullptr;
    Spinner* spinner_ = nullptr;
    LocalizationManager& localization_;
};

} // namespace pigmo
