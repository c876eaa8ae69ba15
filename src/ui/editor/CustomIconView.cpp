#include "ui/editor/CustomIconView.h"

#include "render/IconImage.h"
#include "services/LocalizationManager.h"
#include "ui/Localized.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/editor/PillButton.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QPainter>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace pigmo {
namespace {

QString openImageDialog(const LocalizationManager& localization, QWidget* parent)
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    return QFileDialog::getOpenFileName(parent, localization.string(u"choose_icon_image"_key), QString(),
                                        localization.string(u"images"_key) + QStringLiteral(" (") +
                                            patterns.join(u' ') + u')');
}

// The picture of a custom glyph, when the glyph is one and its data is an image.
std::optional<QImage> customPicture(const std::optional<Icon>& icon)
{
    if (!icon || icon->name != Icon::customName)
        return std::nullopt;
    return iconImage(*icon);
}

} // namespace

FittedPicture::FittedPicture(double side, QWidget* parent)
    : QWidget(parent)
    , side_(side)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void FittedPicture::setPicture(const QImage& picture)
{
    picture_ = picture;
    scaled_ = QImage();
    updateGeometry();
    update();
}

QSizeF FittedPicture::shownSize() const
{
    if (picture_.isNull())
        return {};
    return QSizeF(picture_.size()).scaled(side_, side_, Qt::KeepAspectRatio);
}

QSize FittedPicture::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return shownSize().toSize().grownBy(margins);
}

void FittedPicture::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const qreal ratio = ui::paintingPixelRatio(painter);
    const QSizeF shown = shownSize();
    const QSize pixels = (shown * ratio).toSize().expandedTo({1, 1});
    if (scaled_.size() != pixels) {
        scaled_ = picture_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
    }
    const QRectF area = contentsRect();
    painter.drawImage(QRectF(area.center() - QPointF(shown.width() / 2, shown.height() / 2), shown), scaled_);
}

CustomIconView::CustomIconView(Binding<std::optional<Icon>> icon, LocalizationManager& localization,
                               ChooseFile chooseFile, QWidget* parent)
    : QWidget(parent)
    , icon_(std::move(icon))
    , chooseFile_(chooseFile ? std::move(chooseFile) : ChooseFile([&localization](QWidget* parent) {
        return openImageDialog(localization, parent);
    }))
{
    states_ = new QStackedLayout(this);

    imageState_ = new QWidget;
    auto* imageLayout = new QGridLayout(imageState_);
    imageLayout->setContentsMargins(0, 12, 0, 12);
    auto* framed = new QWidget;
    auto* framedLayout = new QGridLayout(framed);
    framedLayout->setContentsMargins(0, 0, 0, 0);
    image_ = new FittedPicture(maximumImageSide);
    image_->setContentsMargins(8, 8, 8, 0); // the remove button stands 8 points out of the picture's corner
    framedLayout->addWidget(image_, 0, 0);
    remove_ = new SymbolButton(QStringLiteral("xmark"), 20, 8);
    remove_->setSymbolOpacity(0.6);
    remove_->setBackgroundOpacity(0.1);
    setLocalizedAccessibleName(*remove_, localization, u"remove"_key);
    framedLayout->addWidget(remove_, 0, 0, Qt::AlignTop | Qt::AlignRight);
    connect(remove_, &QAbstractButton::clicked, this, &CustomIconView::removeImage);
    imageLayout->addWidget(framed, 0, 0, Qt::AlignHCenter | Qt::AlignTop);
    imageLayout->setRowStretch(1, 1);
    states_->addWidget(imageState_);

    promptState_ = new QWidget;
    auto* prompt = new QVBoxLayout(promptState_);
    prompt->setContentsMargins(16, 24, 16, 0);
    prompt->setSpacing(20);
    auto* hint = new LocalizedText(localization, u"drag_drop_icon"_key);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    hint->setForeground(ui::primary(0.4));
    prompt->addWidget(hint);
    choose_ =
        new PillButton({}, u"choose_icon"_key,
                       {ui::systemFont(13), ui::primary(), ui::primary(0.1), QMarginsF(16, 8, 16, 8), 8}, localization);
    connect(choose_, &QAbstractButton::clicked, this, &CustomIconView::chooseImage);
    prompt->addWidget(choose_, 0, Qt::AlignHCenter);
    prompt->addStretch(1);
    states_->addWidget(promptState_);

    refresh();
}

bool CustomIconView::isShowingImage() const
{
    return states_->currentWidget() == imageState_;
}

void CustomIconView::refresh()
{
    const std::optional<QImage> picture = customPicture(icon_.get());
    image_->setPicture(picture.value_or(QImage()));
    states_->setCurrentWidget(picture ? imageState_ : promptState_);
}

void CustomIconView::chooseImage()
{
    const QString path = chooseFile_(this);
    if (path.isEmpty())
        return;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    if (std::optional<Icon> icon = iconFromCustomImage(image)) {
        icon_.set(icon);
        refresh();
    }
}

void CustomIconView::removeImage()
{
    icon_.set(std::nullopt);
    refresh();
}

} // namespace pigmo
