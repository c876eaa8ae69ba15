#pragma once

#include "ui/controls/SymbolView.h"

#include <QFrame>
#include <QPointer>

#include <functional>

class QHBoxLayout;
class QVBoxLayout;

namespace pigmo {

class LocalizationManager;

// The small menu a settings row opens under its button: a popup column of entries, 200 points wide or as wide
// as its longest entry, 8 points between entries and above and below them. The keyboard moves between entries (arrows,
// Tab) and chooses one (Return, Space). Closing it for any reason (an entry chosen, a click outside, Escape) emits
// `closed`.
class SettingsMenuPopup : public QFrame {
    Q_OBJECT

public:
    static constexpr int menuWidth = 200; // the least width

    explicit SettingsMenuPopup(QWidget* parent = nullptr);

    // Appends an entry: a plain button holding `fill`'s content in a row, padded 12 left and right and 8
    // above and below, whose whole rectangle takes clicks.
    PlainButton* addOption(const std::function<void(QHBoxLayout& row)>& fill, std::function<void()> action);
    QList<PlainButton*> options() const { return options_; }

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QVBoxLayout* column_ = nullptr;
    QList<PlainButton*> options_;
};

// One preference row of the settings page on its card: the title, a flexible space, and a plain button
// whose face `fillLabel` builds; the button toggles the row's menu, whose entries `fillMenu` builds each
// time it opens. `refreshLabel` rebuilds the face (the owner calls it when the value shown changes).
class SettingsMenuRow : public QWidget {
    Q_OBJECT

public:
    using FillLabel = std::function<void(QHBoxLayout& row)>;
    using FillMenu = std::function<void(SettingsMenuPopup& menu)>;

    SettingsMenuRow(LocalizationManager& localization, const QString& titleKey, FillLabel fillLabel,
                    QWidget* parent = nullptr);

    void setFillMenu(FillMenu fillMenu) { fillMenu_ = std::move(fillMenu); }

    PlainButton* menuButton() const { return button_; }
    // The open menu, null while it is closed.
    SettingsMenuPopup* menu() const { return menu_; }
    bool isMenuPresented() const { return menu_ != nullptr; }
    void setMenuPresented(bool presented);
    void refreshLabel();

Q_SIGNALS:
    // The menu closed, however it was closed.
    void menuClosed();

private:
    FillLabel fillLabel_;
    FillMenu fillMenu_;
    PlainButton* button_ = nullptr;
    QHBoxLayout* labelRow_ = nullptr;
    QPointer<SettingsMenuPopup> menu_;
    QPointer<SettingsMenuPopup> closedMenu_;
};

// The standard card of a settings section: its content on a rounded rectangle (corner radius 12) in the
// primary colour at 5 %, padded 16 left and right and 14 above and below.
class SettingsCard : public QWidget {
    Q_OBJECT

public:
    explicit SettingsCard(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pigmo
