#include "ui/main/DropZone.h"

#include "ui/Localized.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/TextButton.h"
#include "ui/editor/DashedOutline.h"

#include <QVBoxLayout>

namespace pigmo {

DropZone::DropZone(LocalizationManager& localization, std::function<void()> selectFolders, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("dropZone"));
    auto* zone = new QVBoxLayout(this);
    zone->setSpacing(20);
    zone->addStretch();
    auto* hint = new LocalizedText(localization, u"drag_drop_here"_key);
    hint->setAlignment(Qt::AlignCenter);
    hint->setFont(ui::textFont(ui::TextStyle::title3));
    QPalette faint = hint->palette();
    faint.setColor(QPalette::WindowText, ui::primaryColor(*hint, 0.4));
    hint->setPalette(faint);
    zone->addWidget(hint);
    auto* select = new TextButton(std::move(selectFolders), std::nullopt, QStringLiteral("select_folder"), std::nullopt,
                                  ui::primary(), ui::primary(0.1), false, 12, localization);
    zone->addWidget(select, 0, Qt::AlignHCenter);
    zone->addStretch();
    outline_ = new DashedOutline(this, 20, 0.1);
    outline_->setObjectName(QStringLiteral("dropOutline"));
    outline_->hide();
}

void DropZone::setMarked(bool marked)
{
    ui::setOpacity(*this, marked ? 0.7 : 1.0);
    outline_->setVisible(marked);
}

} // namespace pigmo
