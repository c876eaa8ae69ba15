#pragma once

#include "base/Folder.h"
#include "services/ColorizationModelsGroup.h"

#include <QWidget>

class QLabel;

namespace pigmo {

// One folder of the main view: its live preview and its name, the current folder's name in bold. Follows
// the model's preview as it changes; a click asks for the folder to become current.
class FolderTile : public QWidget {
    Q_OBJECT
public:
    static constexpr int previewSide = 128;

    FolderTile(ColorizationModelsGroup::Model model, bool isCurrent, QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked(const pigmo::Folder& folder);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showPreview();

    ColorizationModelsGroup::Model model_;
    QLabel* preview_ = nullptr;
};

} // namespace pigmo
