#pragma once

#include "ui/settings/SettingsServices.h"

#include <QWidget>

class QFileDialog;
class QLabel;

namespace pigmo {

class FlowLayout;
class LocalizedText;
class PlainButton;
class ToggleSwitch;

// The end of the settings page: the launch-at-login card and the automatic-styling card. The switches show
// what the managers publish and write straight through them; the styling card warns while folder access is
// missing (its switch then cannot be changed) and, while styling is on, lists the watched folders as
// removable chips followed by the add button, and says so when the watched folders hold more directories
// than can be watched. Holds no state of its own beyond what it shows.
class AutomationSection : public QWidget {
    Q_OBJECT

public:
    explicit AutomationSection(SettingsServices services, QWidget* parent = nullptr);

    ToggleSwitch* launchAtLoginSwitch() const { return launchSwitch_; }
    // Shown after a launch-at-login change the system refused, until the next change.
    LocalizedText* launchAtLoginFailure() const { return launchFailure_; }
    ToggleSwitch* autoColorizeSwitch() const { return watcherSwitch_; }
    QWidget* accessWarning() const { return warning_; }
    QWidget* watchedFolders() const { return folders_; }
    LocalizedText* caption() const { return caption_; }
    // Shown while the watcher runs at its limit of watched directories.
    LocalizedText* watchLimitWarning() const { return watchLimit_; }
    // One chip per watched directory, in list order; each has `removeButton(chip)`.
    QList<QWidget*> chips() const { return chips_; }
    static PlainButton* removeButton(QWidget* chip);
    PlainButton* addButton() const { return addButton_; }
    PlainButton* openSettingsButton() const { return openSettings_; }

    // Runs the modal directory panel and adds the chosen directory to the watcher; cancelling changes nothing.
    void addFolder();

Q_SIGNALS:
    // The directory panel is about to run modally (tests answer it).
    void directoryPanelOpened(QFileDialog* panel);

private:
    QWidget* buildLaunchCard();
    QWidget* buildWatcherCard();
    QWidget* buildWarning();
    void rebuildChips();
    void refresh();

    SettingsServices services_;
    ToggleSwitch* launchSwitch_ = nullptr;
    LocalizedText* launchFailure_ = nullptr;
    ToggleSwitch* watcherSwitch_ = nullptr;
    QWidget* warning_ = nullptr;
    PlainButton* openSettings_ = nullptr;
    QWidget* folders_ = nullptr;
    FlowLayout* flow_ = nullptr;
    QList<QWidget*> chips_;
    PlainButton* addButton_ = nullptr;
    LocalizedText* caption_ = nullptr;
    LocalizedText* watchLimit_ = nullptr;
};

} // namespace pigmo
