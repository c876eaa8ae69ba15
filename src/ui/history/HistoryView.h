#pragma once

#include "base/Folder.h"

#include <QWidget>

class QListView;
class QStackedWidget;

namespace pigmo {

class ColorizationHistoryStore;
class Executors;
class HistoryLogModel;
class FolderStylesModel;
class LocalizationManager;
class LocalizedText;
class PlainButton;
class TabButton;
class Thumbnails;

// The history page of the main window, over the history store: the tab "all_changes" lists every applied
// style, newest first (thumbnail, name, "~" path, date and time in the interface language); the tab
// "current_styles" shows the folders styled now, grouped by parent folder, five thumbnails a row. Both
// lists are item views over models: only the rows on screen are laid out and painted, and only their
// thumbnails are rendered, off the GUI thread. A click on an entry whose folder still exists emits
// `folderSelected`; the page never changes the history.
class HistoryView : public QWidget {
    Q_OBJECT

public:
    enum class Tab { chronological, folderStyles };

    // The thumbnails render on the executors' CPU pool.
    HistoryView(ColorizationHistoryStore& store, LocalizationManager& localization, Executors& executors,
                QWidget* parent = nullptr);
    ~HistoryView() override;

    Tab currentTab() const { return currentTab_; }
    void setCurrentTab(Tab tab);

    PlainButton* tabButton(Tab tab) const;
    QListView* logList() const { return logList_; }
    QListView* stylesList() const { return stylesList_; }
    HistoryLogModel* logModel() const { return logModel_; }
    FolderStylesModel* stylesModel() const { return stylesModel_; }
    Thumbnails& logThumbnails() const { return *logThumbnails_; }
    Thumbnails& styleThumbnails() const { return *styleThumbnails_; }
    // The empty state of the current tab, null while it has entries.
    QWidget* emptyState() const;

    // Clicks the entry at `position` of the current list's viewport, as the mouse does.
    void activateAt(const QPoint& position);

Q_SIGNALS:
    void folderSelected(const pigmo::Folder& folder);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTabBar();
    QWidget* buildEmptyState(const QString& titleKey);
    void refreshTabs();
    void refreshPages();
    void select(const QString& path);

    ColorizationHistoryStore& store_;
    LocalizationManager& localization_;
    Tab currentTab_ = Tab::chronological;
    TabButton* tabButtons_[2] = {};
    QStackedWidget* pages_ = nullptr;
    QListView* logList_ = nullptr;
    QListView* stylesList_ = nullptr;
    QWidget* noHistory_ = nullptr;
    QWidget* noStyles_ = nullptr;
    HistoryLogModel* logModel_ = nullptr;
    FolderStylesModel* stylesModel_ = nullptr;
    Thumbnails* logThumbnails_ = nullptr;
    Thumbnails* styleThumbnails_ = nullptr;
};

} // namespace pigmo
