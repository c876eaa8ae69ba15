#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

namespace pigmo {

class LocalizationManager;
class MainToolbar;

// The main window's top row: a back button at the left that runs `back`, and `toolbar` centred (the bar
// takes it).
class TitleBar : public QWidget {
    Q_OBJECT

public:
    TitleBar(MainToolbar* toolbar, std::function<void()> back, const LocalizationManager& localization, int height,
             QWidget* parent = nullptr);

    QToolButton* backButton() const { return backButton_; }

private:
    QToolButton* backButton_;
};

} // namespace pigmo
