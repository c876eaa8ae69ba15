#pragma once

#include <QWidget>

#include <functional>

namespace pigmo {

class DashedOutline;
class LocalizationManager;

// The main window's page while no folder is edited: a hint to drop folders here and a button that runs
// `selectFolders`. Marked (faded, a dashed outline) while folders are dragged over the window.
class DropZone : public QWidget {
    Q_OBJECT

public:
    DropZone(LocalizationManager& localization, std::function<void()> selectFolders, QWidget* parent = nullptr);

    void setMarked(bool marked);

private:
    DashedOutline* outline_;
};

} // namespace pigmo
