#pragma once

#include <QWidget>

#include <functional>

class QStackedLayout;

namespace pigmo {

class LocalizationManager;
class Spinner;
class SymbolButton;
class TextButton;

// The bar under the editor pane, 50 points high, showing one of three contents: the green success badge
// after designs were saved, a spinner while icons are applied, else the save button and the apply button
// ("Change N Icons"). GUI thread.
class BottomBar : public QWidget {
    Q_OBJECT

public:
    enum class State { buttons, loading, success };
    static constexpr int height = 50;

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

private:
    State state_ = State::buttons;
    QStackedLayout* pages_ = nullptr;
    QWidget* buttons_ = nullptr;
    QWidget* loading_ = nullptr;
    QWidget* success_ = nullptr;
    SymbolButton* save_ = nullptr;
    TextButton* apply_ = nullptr;
    Spinner* spinner_ = nullptr;
    LocalizationManager& localization_;
};

} // namespace pigmo
