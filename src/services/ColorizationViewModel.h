#pragma once

#include "base/Folder.h"
#include "model/ColorizationData.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

class ColorizationHistoryStore;
class ExtendedAttributesManager;
class FolderStyler;
class IconsModel;
class SmartIconService;

enum class SmartLoadingState { idle, loading, success };

// What the editing models read, and the styler they write through. Every one outlives the models.
struct ColorizationServices {
    const ExtendedAttributesManager& attributes; // the stored style, read first
    const ColorizationHistoryStore& history;     // the style the history remembers, read second
    const IconsModel& icons;                     // random glyphs
    SmartIconService& smartIcons;                // the smart workflow's glyph proposals
    FolderStyler* styler = nullptr;              // not owned; nullptr: the models write nothing
};

// The styles proposed so far for the folders of one batch, in the order their smart workflows finished.
// Shared (and kept alive) by that batch's running workflows; GUI thread only.
struct SmartAutoApplyCoordinator {
    QList<ColorizationData> picks;
};

// The editing state of one folder: the style being edited, its live preview, and the operations that set,
// remove and reset the folder's icon. Construction loads the stored style (attribute, then history, else the
// defaults) and may start the smart workflow for a folder without one.
//
// Lives on the GUI thread; every property change re-renders the preview synchronously. The folder writes
// (`setFolderIcon`, `removeFolderIcon`, `resetFolderIcon`) go to the folder styler given at creation, which
// writes on its queue and completes on the GUI thread after the history followed; a model made without a
// styler (a prepared scene) writes nothing and completes with false. Owners hold models through `create`'s
// shared pointer so that pending work keeps a model alive; the last owner releases it on the GUI thread.
class ColorizationViewModel : public QObject, public std::enable_shared_from_this<ColorizationViewModel> {
    Q_OBJECT

public:
    static constexpr HSL defaultColor{195, 100, 50};
    static constexpr double defaultIntensity = 0.6;
    static constexpr double defaultIconSize = 170;
    // The smart workflow's timing.
    static constexpr int loadingFrames = 12;
    static constexpr std::chrono::milliseconds frameInterval{80};
    static constexpr std::chrono::milliseconds successDisplay{700};

    static std::shared_ptr<ColorizationViewModel>
    create(const Folder& folder, bool autoApplySmartIfEmpty, const ColorizationServices& services,
           std::shared_ptr<SmartAutoApplyCoordinator> coordinator = nullptr);
    ~ColorizationViewModel() override;

    const Folder& folder() const { return folder_; }
    const QString& folderPath() const { return folder_.path(); }

    const HSL& color() const { return color_; }
    double intensity() const { return intensity_; }
    const std::optional<Icon>& icon() const { return icon_; }
    double iconSize() const { return iconSize_; }
    const IconStyle& iconStyle() const { return iconStyle_; }
    void setColor(const HSL& color);
    void setIntensity(double intensity);
    void setIcon(const std::optional<Icon>& icon);
    void setIconSize(double size);
    void setIconStyle(const IconStyle& style);

    const QImage& image() const { return image_; }
    const std::optional<ColorizationData>& lastUsedData() const { return lastUsedData_; }
    SmartLoadingState smartLoadingState() const { return smartLoadingState_; }
    // The style the five properties make.
    ColorizationData currentData() const;

    // The smart workflow: a loading animation (12 frames of 80 ms, longer while the keyword index is not
    // ready), the suggestion step, 700 ms of success. Timer-driven on the GUI thread; returns at once. Does
    // nothing unless idle.
    void runSmartWorkflow(std::shared_ptr<SmartAutoApplyCoordinator> coordinator = nullptr);
    // Ends a running smart workflow where it stands, without its suggestion, and lets go of the model's hold
    // on itself. Nothing when none runs.
    void abandonSmartWorkflow();
    void resetToDefaults();
    void pickRandomIcon();
    // The suggestion step: colour, intensity, glyph (kept when the name gives none), size and style.
    void runFullSmartWorkflow(const QList<ColorizationData>& extraSiblings);
    // Loads a stored style into the five properties (colour normalised; no size keeps the size).
    void apply(const ColorizationData& data);

    using Completion = std::function<void(bool succeeded)>;
    // Shows the defaults at once, then removes the folder's icon. When the removal fails, the folder's stored
    // style is loaded again, so the editor shows what the folder still carries.
    void resetFolderIcon(Completion completion);
    // Removes the folder's icon, attribute and current history style; the completion (GUI thread) says
    // whether the icon was removed.
    void removeFolderIcon(Completion completion);
    // Sets the picture of `data` as the folder's icon; on success the attribute is written and the history
    // recorded before the completion runs (GUI thread).
    void setFolderIcon(const ColorizationData& data, Completion completion);

Q_SIGNALS:
    // After any published property changed (the group forwards it).
    void changed();
    void styleChanged();
    void imageChanged();
    void smartLoadingStateChanged(pigmo::SmartLoadingState state);

private:
    ColorizationViewModel(const Folder& folder, const ColorizationServices& services);
    // True when a stored style was found and applied.
    bool loadStoredStyle();
    void render();
    void styleDidChange();
    void setImage(const QImage& image);
    void setSmartLoadingState(SmartLoadingState state);
    void showNextFrame();
    Q_SLOT void finishLoading();

    Folder folder_;
    ColorizationServices services_;
    FolderStyler* styler_; // not owned; nullptr: writes nothing
    HSL color_ = defaultColor;
    double intensity_ = defaultIntensity;
    std::optional<Icon> icon_;
    double iconSize_ = defaultIconSize;
    IconStyle iconStyle_ = IconStyle::vibrant();
    QImage image_;
    std::optional<ColorizationData> lastUsedData_;
    SmartLoadingState smartLoadingState_ = SmartLoadingState::idle;
    bool rendering_ = false; // false during construction until the first render

    // The running smart workflow.
    QTimer workflowTimer_;
    int framesShown_ = 0;
    int frameStart_ = 0;
    std::shared_ptr<SmartAutoApplyCoordinator> workflowCoordinator_;
    std::shared_ptr<ColorizationViewModel> workflowPin_; // keeps a removed model alive until it finishes
    QMetaObject::Connection indexReadyConnection_;
};

} // namespace pigmo
