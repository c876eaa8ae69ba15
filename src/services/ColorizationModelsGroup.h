#pragma once

#include "services/ColorizationViewModel.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

namespace pigmo {

// The folders edited together, one model each in arrival order, and the current one. A folder is never
// edited twice, also when a list names it twice. Removing a folder keeps the current
// folder current when it stays; when the current folder itself goes, the one after it (else the last)
// becomes current. Forwards every change of its models as `changed()`. GUI thread only.
class ColorizationModelsGroup : public QObject {
    Q_OBJECT

public:
    using Model = std::shared_ptr<ColorizationViewModel>;

    // The models read and write through `services` (which outlive the group).
    ColorizationModelsGroup(const QList<Folder>& folders, bool autoApplySmartIfEmpty,
                            const ColorizationServices& services, QObject* parent = nullptr);
    // Ends the smart workflows still running in the models it held, removed ones included: what they read
    // is not promised to outlive the group.
    ~ColorizationModelsGroup() override;

    const QList<Model>& models() const { return models_; }
    std::optional<int> currentIndex() const { return currentIndex_; }
    Model currentModel() const;
    bool autoApplySmartIfEmpty() const { return autoApplySmartIfEmpty_; }
    FolderStyler* styler() const { return services_.styler; }

    // Adds the folders not yet present (one smart batch); always notifies once.
    void addFolders(const QList<Folder>& folders);
    void select(const Folder& folder);
    void remove(const Folder& folder);
    void appendModels(const QList<Model>& models);
    // The model of `folder`; nullptr when it is not edited here.
    Model modelOf(const Folder& folder) const;

    // Gives every folder but the current one the current folder's colour (or glyph) and nothing else;
    // nothing without a current folder.
    void copyColorFromCurrent();
    void copyIconFromCurrent();
    // A random hue (saturation 70, lightness 50) and a random glyph for the folder, when it is edited here.
    void randomize(const Folder& folder);
    // Colours the folders at evenly spaced hues from a random start, each with a random saturation of 60 to
    // 90 and lightness of 45 to 65.
    void spreadColors();
    // Every folder back to the defaults, its icon, attribute and current history style removed.
    void resetAll();

Q_SIGNALS:
    void changed();
    void modelsChanged();
    void currentIndexChanged(std::optional<int> index);

private:
    QList<Model> modelsFor(const QList<Folder>& folders);
    qsizetype indexOf(const Folder& folder) const;
    void setCurrentIndex(std::optional<int> index);

    QList<Model> models_;
    QList<std::weak_ptr<ColorizationViewModel>> held_; // every model it was given, removed ones too
    std::optional<int> currentIndex_;
    bool autoApplySmartIfEmpty_;
    ColorizationServices services_;
};

} // namespace pigmo
