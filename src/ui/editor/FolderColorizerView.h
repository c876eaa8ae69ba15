#pragma once

#include "ui/controls/SegmentedPicker.h"
#include "ui/editor/EditorServices.h"

#include <QWidget>

#include <memory>

class QMimeData;

namespace pigmo {

class ColorizationModelsGroup;
class ColorizationViewModel;
class ColorTab;
class DetailsTab;
class IconTab;
class LazyImageCache;

// The right-hand pane of the folder editor: a bar of three tabs (colour, icon, details) over the selected
// tab's content. The tabs edit the current folder's view model, which re-renders its preview; the pane keeps
// no style of its own. An image dragged over the content dims it to 10 % inside a dashed outline; dropped
// (as image data or as an image file), it becomes the folder's custom glyph whatever tab is shown. GUI thread.
class FolderColorizerView : public QWidget {
    Q_OBJECT

public:
    enum class Tab { color, icon, details };

    static constexpr double draggingOpacity = 0.1;
    static constexpr double outlineInset = 30;

    FolderColorizerView(std::shared_ptr<ColorizationViewModel> colorizer, ColorizationModelsGroup& colorizers,
                        const EditorServices& services, QWidget* parent = nullptr);
    ~FolderColorizerView() override;

    // "color", "icon", "details": the label's key and the tab's accessible identity.
    static QString key(Tab tab);
    // Whether a drag or drop carries an image: image data, or a first URL naming a local image file.
    static bool carriesImage(const QMimeData& data);

    Tab currentTab() const { return currentTab_; }
    void setCurrentTab(Tab tab);
    bool isFileDragging() const { return isFileDragging_; }

    // Takes a drop: false for one without an image, else true at once, before the image is loaded (off the
    // GUI thread). A loaded image becomes the glyph; a failure writes "Error loading dropped icon: " and the
    // reason, and changes nothing.
    bool handleImageDrop(const QMimeData& data);

    SegmentedPickerBase* tabBar() const { return tabBar_; }
    QWidget* tabContent() const;
    ColorTab* colorTab() const;
    IconTab* iconTab() const;
    DetailsTab* detailsTab() const;

Q_SIGNALS:
    // A dropped image was loaded and tried as the glyph (whether or not it could be one), or failed to load.
    void imageDropFinished();

private:
    class DropArea;

    void showTab();
    void setFileDragging(bool dragging);

    std::shared_ptr<ColorizationViewModel> colorizer_;
    ColorizationModelsGroup& colorizers_;
    EditorServices services_;
    std::unique_ptr<LazyImageCache> glyphImages_; // kept across tab switches
    Tab currentTab_ = Tab::color;
    bool isFileDragging_ = false;
    SegmentedPickerBase* tabBar_ = nullptr;
    DropArea* content_ = nullptr;
    QWidget* tabView_ = nullptr;
};

} // namespace pigmo
