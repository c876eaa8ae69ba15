#pragma once

#include "services/ColorizationViewModel.h"

#include <QImage>
#include <QList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QMessageBox;
class QScrollArea;
class QGridLayout;
class QMenu;
class QMimeData;
class QVariantAnimation;

namespace pigmo {

class CellGrid;
class ElidedLabel;
class ColorizationModelsGroup;
class Executors;
class LazyImageCache;
class LocalizationManager;
class PillButton;
class PreviewCell;
class SiblingFolders;

// One folder of the preview column, as the main view publishes it.
struct PreviewData {
    QImage image; // the current rendered preview; null before the first render
    QUrl url;     // the folder; the cell's identity
    bool isSelected = false;
    SmartLoadingState smartLoadingState = SmartLoadingState::idle;

    friend bool operator==(const PreviewData&, const PreviewData&) = default;
};

// The left-hand column of the folder editor: the location of the edited folders and three bulk buttons, a
// grid of their previews (four columns; the current one tinted, smart-styling marks, a remove button and a
// context menu on each), and below it the other folders of the same parent, which a click adds. Folders
// dropped on the column are added. The column owns no model: it shows the `PreviewData` it is given and
// reports the user's actions through its `Actions`. GUI thread only; the sibling listing and the checks of
// dropped folders run on worker threads.
class FolderPreviewColumn : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(const PreviewData&)> removePreview;
        std::function<void(const PreviewData&)> setCurrentPreview;
        std::function<void(const QList<QUrl>&)> addURLs;
        std::function<void()> onCopyColorToOthers;
        std::function<void()> onCopyIconToOthers;
        std::function<void(const PreviewData&)> onRandomize;
        std::function<void(const PreviewData&)> onReset;
        std::function<void(const PreviewData&)> onSetSmartIcon;
        std::function<void()> onSmartIconCurrent;
        std::function<void()> onSmartColorAll;
        std::function<void()> onResetAll;
    };

    static constexpr int columns = 4;
    static constexpr int siblingColumns = 5;
    static constexpr double loadingOpacity = 0.55;
    static constexpr double siblingOpacity = 0.5;

    // Sibling listings, their icons and dropped folders are read on the executors' I/O pool.
    FolderPreviewColumn(Actions actions, LocalizationManager& localization, Executors& executors,
                        QWidget* parent = nullptr);
    ~FolderPreviewColumn() override;

    // The previews of a group's models, the current one selected.
    static QList<PreviewData> previewsOf(const ColorizationModelsGroup& group);

    // Shows a new list; cells of folders already shown are updated in place.
    void setPreviews(const QList<PreviewData>& previews);
    const QList<PreviewData>& previews() const { return previews_; }

    // The folder holding every preview, the location text (nothing without previews) and the sibling folders
    // published so far (refreshed off the GUI thread when the previews change).
    std::optional<QString> commonParentPath() const;
    std::optional<QString> locationText() const;
    QStringList siblingFolders() const;
    SiblingFolders& siblings() const { return *siblings_; }

    ElidedLabel* locationLabel() const { return location_; }
    QWidget* locationLine() const { return locationLine_; }
    PillButton* autoButton() const { return autoButton_; }
    PillButton* resetButton() const { return resetButton_; }
    PillButton* colorsButton() const { return colorsButton_; }
    QList<PreviewCell*> cells() const;
    QWidget* siblingSection() const { return siblingSection_; }
    CellGrid* siblingGrid() const { return siblingGrid_; }
    QScrollArea* scrollArea() const { return scroll_; }
    bool isFileAboutToBeDropped() const { return fileAboutToBeDropped_; }
    // The open reset-all confirmation, or nullptr.
    QMessageBox* resetConfirmation() const { return confirmation_; }
    // The context menu of a cell, built afresh (the caller runs or shows it).
    std::unique_ptr<QMenu> contextMenu(const PreviewData& preview);

    // Asks for the reset-all confirmation, as the location line's "reset" does.
    void confirmResetAll();
    // Takes a drop of folders: true (at once) for one carrying file URLs; the folders are checked off the GUI
    // thread and handed to `addURLs` in drop order. Other URLs (web links) are refused and left out.
    bool handleFolderDrop(const QMimeData& data);

Q_SIGNALS:
    // A dropped list was checked and its folders (maybe none) handed over.
    void folderDropFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeLocationLine();
    QWidget* makeSiblingSection();
    void updateLocation();
    void updateSiblings();
    void layoutCells();
    void forgetSiblingIconsOfLeavingFolders(const QList<PreviewData>& staying);
    void paintSibling(QPainter& painter, const QRectF& rect, int index);
    void setFileAboutToBeDropped(bool value);

    Actions actions_;
    LocalizationManager& localization_;
    Executors& executors_;
    QList<PreviewData> previews_;
    QList<PreviewCell*> cells_;
    QStringList shownSiblings_;
    std::unique_ptr<LazyImageCache> siblingIcons_;
    SiblingFolders* siblings_ = nullptr;
    bool fileAboutToBeDropped_ = false;

    QWidget* locationLine_ = nullptr;
    ElidedLabel* location_ = nullptr;
    QString locationText_;
    PillButton* autoButton_ = nullptr;
    PillButton* resetButton_ = nullptr;
    PillButton* colorsButton_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QGridLayout* grid_ = nullptr;
    QWidget* siblingSection_ = nullptr;
    CellGrid* siblingGrid_ = nullptr;
    QMessageBox* confirmation_ = nullptr;
    QWidget* dropHighlight_ = nullptr;
};

// One preview of the column: the thumbnail with its smart-styling mark, the folder's name, the remove button.
class PreviewCell : public QWidget {
    Q_OBJECT

public:
    PreviewCell(PreviewData preview, LocalizationManager& localization, QWidget* parent = nullptr);

    const PreviewData& preview() const { return preview_; }
    void setPreview(const PreviewData& preview);
    QWidget* removeButton() const { return remove_; }
    QWidget* spinner() const { return spinner_; }
    ElidedLabel* nameLabel() const { return name_; }
    // How far the success mark has grown in, 0 ... 1.
    double successMarkAmount() const { return markAmount_; }
    QRectF thumbnailRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();
    void removeClicked();
    void contextMenuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateMark(SmartLoadingState previous);
    void placeSpinner();

    PreviewData preview_;
    ElidedLabel* name_ = nullptr;
    QWidget* remove_ = nullptr;
    QWidget* spinner_ = nullptr;
    double markAmount_ = 0;
    QVariantAnimation* markAnimation_ = nullptr;
};

} // namespace pigmo
