#pragma once

#include "ui/main/MainView.h"

#include <QFileDialog>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace pigmo::test {

// Answers the next directory panel that `view` runs: chooses `folders`, or cancels when there are none.
// `observe` sees the panel before it is answered.
inline void answerNextDirectoryPanel(MainView* view, const QStringList& folders,
                                     std::function<void(QFileDialog*)> observe = {})
{
    QObject::connect(
        view, &MainView::directoryPanelOpened, view,
        [folders, observe](QFileDialog* panel) {
            if (observe)
                observe(panel);
            QTimer::singleShot(0, panel, [panel, folders] {
                if (folders.isEmpty()) {
                    QMetaObject::invokeMethod(panel, "reject");
                    return;
                }
                for (const QString& folder : folders)
                    panel->selectFile(folder);
                QMetaObject::invokeMethod(panel, "accept");
            });
        },
        Qt::SingleShotConnection);
}

} // namespace pigmo::test
