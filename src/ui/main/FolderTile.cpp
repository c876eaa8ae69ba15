#include "ui/main/FolderTile.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QVBoxLayout>

namespace pigmo {

FolderTile::FolderTile(ColorizationModelsGroup::Model model, bool isCurrent, QWidget* parent)
    : QWidget(parent)
    , model_(std::move(model))
{
    auto* layout = new QVBoxLayout(this);
    preview_ = new QLabel;
    preview_->setFixedSize(previewSide, previewSide);
    preview_->setAlignment(Qt::AlignCenter);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);

    auto* name = new QLabel(QFileInfo(model_->folderPath()).fileName());
    name->setAlignment(Qt::AlignCenter);
    name->setToolTip(model_->folderPath());
    QFont font = name->font();
    font.setBold(isCurrent);
    name->setFont(font);
    layout->addWidget(name);

    connect(model_.get(), &ColorizationViewModel::imageChanged, this, &FolderTile::showPreview);
    showPreview();
}

void FolderTile::showPreview()
{
    const QImage& image = model_->image();
    preview_->setPixmap(image.isNull() ? QPixmap()
                                       : QPixmap::fromImage(image.scaled(previewSide, previewSide, Qt::KeepAspectRatio,
                                                                         Qt::SmoothTransformation)));
}

void FolderTile::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked(model_->folder());
}

} // namespace pigmo
