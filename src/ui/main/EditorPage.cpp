#include "ui/main/EditorPage.h"

#include "services/ColorizationModelsGroup.h"
#include "ui/main/BottomBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pigmo {

EditorPage::EditorPage(ColorizationModelsGroup& group, Actions actions, LocalizationManager& localization,
                       Executors& executors, int previewWidth, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    previewColumn_ = new FolderPreviewColumn(previewActions(group, actions), localization, executors);
    previewColumn_->setFixedWidth(previewWidth);
    row->addWidget(previewColumn_);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: palette(mid);"));
    auto* dividerBox = new QVBoxLayout;
    dividerBox->setContentsMargins(0, 0, 0, 20);
    dividerBox->addWidget(divider);
    row->addLayout(dividerBox);

    pane_ = new QWidget;
    auto* pane = new QVBoxLayout(pane_);
    pane->setContentsMargins(0, 0, 0, 20);
    pane->setSpacing(8);
    auto* barBox = new QHBoxLayout;
    barBox->setContentsMargins(16, 0, 16, 0);
    bottomBar_ = new BottomBar(std::move(actions.save), std::move(actions.apply), localization);
    barBox->addWidget(bottomBar_);
    pane->addLayout(barBox);
    row->addWidget(pane_, 1);
}

void EditorPage::showEditor(QWidget* editor)
{
    static_cast<QVBoxLayout*>(pane_->layout())->insertWidget(0, editor, 1);
}

FolderPreviewColumn::Actions EditorPage::previewActions(ColorizationModelsGroup& group, const Actions& actions)
{
    const auto folderOf = [](const PreviewData& p) { return Folder::unchecked(p.url.toLocalFile()); };
    const auto smartIcon = [](const ColorizationModelsGroup::Model& model) {
        if (model)
            model->runSmartWorkflow();
    };
    return {
        [&group, folderOf](const PreviewData& p) { group.remove(folderOf(p)); },
        [&group, folderOf](const PreviewData& p) { group.select(folderOf(p)); },
        [&group](const QList<QUrl>& urls) { group.addFolders(Folder::fromUrls(urls)); },
        [&group] { group.copyColorFromCurrent(); },
        [&group] { group.copyIconFromCurrent(); },
        [&group, folderOf](const PreviewData& p) { group.randomize(folderOf(p)); },
        [reset = actions.reset, folderOf](const PreviewData& p) { reset(folderOf(p)); },
        [&group, folderOf, smartIcon](const PreviewData& p) { smartIcon(group.modelOf(folderOf(p))); },
        [&group, smartIcon] { smartIcon(group.currentModel()); },
        [&group] { group.spreadColors(); },
        actions.resetAll,
    };
}

} // namespace pigmo
