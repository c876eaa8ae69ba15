#include "ui/editor/DetailsTab.h"

#include "render/IconImage.h"
#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "storage/BundleResources.h"
#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PopupPlacement.h"
#include "ui/controls/SizeSlider.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace pigmo {
namespace {

using StyleType = IconStyle::StyleType;
constexpr StyleType styleOrder[] = {StyleType::vibrant, StyleType::original, StyleType::color, StyleType::inverted};

constexpr double previewSide = 64;

// The dashed, rounded box the glyph preview sits in: an emoji as text, or a picture drawn when painted (a
// glyph in the text colour of that moment, at the density of what it is painted on).
class PreviewBox : public QLabel {
public:
    PreviewBox()
    {
        setFixedSize(80, 80);
        setAlignment(Qt::AlignCenter);
    }

    void showText(const QString& text)
    {
        glyph_.reset();
        image_ = QImage();
        setText(text);
    }
    void showGlyph(const TemplateImage& glyph)
    {
        clear();
        glyph_ = glyph;
        image_ = QImage();
        update();
    }
    void showImage(const QImage& image)
    {
        clear();
        glyph_.reset();
        image_ = image;
        update();
    }
    void showNothing() { showText({}); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QPen dashed(ui::quaternaryColor(*this), 1);
            dashed.setDashPattern({4, 4});
            painter.setPen(dashed);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(ui::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8));
            const QRectF picture(QRectF(rect()).center() - QPointF(previewSide / 2, previewSide / 2),
                                 QSizeF(previewSide, previewSide));
            if (glyph_) {
                glyph_->draw(painter, picture, ui::primaryColor(*this));
            } else if (!image_.isNull()) {
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(picture, image_); // stretched
            }
        }
        QLabel::paintEvent(event);
    }

private:
    std::optional<TemplateImage> glyph_;
    QImage image_;
};

// The filled, rounded square above the hint.
class HintSquare : public QWidget {
public:
    HintSquare() { setFixedSize(64, 64); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), 8), ui::quaternaryColor(*this));
    }
};

QString styleKey(StyleType type)
{
    switch (type) {
    case StyleType::vibrant:
        return u"vibrant"_key;
    case StyleType::original:
        return u"original"_key;
    case StyleType::color:
        return u"color"_key;
    case StyleType::inverted:
        return u"inverted"_key;
    }
    return {};
}

} // namespace

DetailsTab::DetailsTab(std::shared_ptr<ColorizationViewModel> colorizer, PalettesManager& palettes,
                       LocalizationManager& localization, QWidget* parent)
    : QWidget(parent)
    , colorizer_(std::move(colorizer))
    , palettes_(palettes)
    , localization_(localization)
    , iconColor_(colorizer_->iconStyle().isColor() ? colorizer_->iconStyle().colorValue() : defaultIconColor)
{
    ColorizationViewModel* model = colorizer_.get();
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 0, 16, 0);
    stack->setSpacing(24);

    hint_ = new QWidget;
    auto* hintColumn = new QVBoxLayout(hint_);
    hintColumn->setSpacing(16);
    hintColumn->addStretch(1);
    hintColumn->addWidget(new HintSquare, 0, Qt::AlignHCenter);
    auto* hintText = new LocalizedText(localization_, u"select_icon_customize"_key);
    hintText->setFont(ui::textFont(ui::TextStyle::callout));
    hintText->setAlignment(Qt::AlignCenter);
    hintText->setWordWrap(true);
    hintText->setForeground(ui::primary(0.5));
    hintColumn->addWidget(hintText);
    hintColumn->addStretch(1);
    stack->addWidget(hint_, 1);

    editor_ = new QWidget;
    auto* editorColumn = new QVBoxLayout(editor_);
    editorColumn->setContentsMargins(0, 0, 0, 0);
    editorColumn->setSpacing(24);
    preview_ = new PreviewBox;
    editorColumn->addWidget(preview_, 0, Qt::AlignHCenter);

    const Binding<double> fraction{[model] { return sizeFraction(model->iconSize()); },
                                   [model](const double& next) {
                                       if (std::isfinite(next))
                                           model->setIconSize(iconSize(next));
                                   }};
    sizeSlider_ = new SizeSlider(fraction, 0, 1, 24);
    setLocalizedAccessibleName(*sizeSlider_, localization_, u"size"_key);

    styleMenu_ = new QComboBox;
    styleMenu_->setFixedWidth(120);
    setLocalizedAccessibleName(*styleMenu_, localization_, u"style"_key);
    for (StyleType type : styleOrder)
        styleMenu_->addItem(QString(), int(type));
    retranslateStyles();
    connect(styleMenu_, &QComboBox::activated, this, &DetailsTab::chooseStyle);

    const Binding<HSL> glyphColor{[this] { return iconColor_; }, [this](const HSL& next) { setIconColor(next); }};
    colorButton_ = new ColorSwatch(ColorSwatch::Shape::roundedSquare, 20);
    setLocalizedAccessibleName(*colorButton_, localization_, u"color"_key);
    connect(colorButton_, &QAbstractButton::clicked, this, &DetailsTab::presentColorPicker);
    hexField_ = new HexColorField(glyphColor, localization);
    auto* colorControls = new QWidget;
    auto* colorLine = new QHBoxLayout(colorControls);
    colorLine->setContentsMargins(0, 0, 0, 0);
    colorLine->setSpacing(8);
    colorLine->addWidget(colorButton_);
    colorLine->addWidget(hexField_);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(16);
    rows->addWidget(makeRow(u"size"_key, sizeSlider_));
    styleRow_ = makeRow(u"style"_key, styleMenu_);
    rows->addWidget(styleRow_);
    colorRow_ = makeRow(u"color"_key, colorControls);
    rows->addWidget(colorRow_);
    editorColumn->addLayout(rows);
    stack->addWidget(editor_);
    stack->addStretch(0);

    connect(model, &ColorizationViewModel::styleChanged, this, &DetailsTab::refresh);
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, &DetailsTab::retranslateStyles);
    refresh();
}

DetailsTab::~DetailsTab() = default;

QWidget* DetailsTab::makeRow(const QString& key, QWidget* control)
{
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(16);
    auto* label = new LocalizedText(localization_, key);
    label->setFont(ui::textFont(ui::TextStyle::caption));
    label->setForeground(ui::primary(0.5));
    line->addWidget(label);
    const bool stretches = control->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
    if (!stretches)
        line->addStretch(1);
    line->addWidget(control, stretches ? 1 : 0);
    return row;
}

void DetailsTab::retranslateStyles()
{
    for (int i = 0; i < styleMenu_->count(); ++i)
        styleMenu_->setItemText(i, localization_.string(styleKey(styleOrder[i])));
}

bool DetailsTab::isColorPickerPresented() const
{
    return picker_ && picker_->isVisible();
}

bool DetailsTab::isShowingHint() const
{
    return !colorizer_->icon().has_value();
}

bool DetailsTab::isStyleRowShown() const
{
    return colorizer_->icon() && !colorizer_->icon()->emoji;
}

bool DetailsTab::isColorRowShown() const
{
    return isStyleRowShown() && colorizer_->iconStyle().isColor();
}

void DetailsTab::setIconColor(const HSL& color)
{
    if (!color.isFinite())
        return;
    iconColor_ = color;
    colorizer_->setIconStyle(IconStyle::color(color));
}

void DetailsTab::chooseStyle(int index)
{
    if (index < 0 || index >= int(std::size(styleOrder)))
        return;
    switch (styleOrder[index]) {
    case StyleType::vibrant:
        return colorizer_->setIconStyle(IconStyle::vibrant());
    case StyleType::original:
        return colorizer_->setIconStyle(IconStyle::original());
    case StyleType::color:
        return colorizer_->setIconStyle(IconStyle::color(iconColor_));
    case StyleType::inverted:
        return colorizer_->setIconStyle(IconStyle::inverted());
    }
}

void DetailsTab::presentColorPicker()
{
    if (!picker_) {
        const Binding<HSL> glyphColor{[this] { return iconColor_; }, [this](const HSL& next) { setIconColor(next); }};
        picker_ = new ColorPickerPopup(glyphColor, palettes_, localization_, this);
    }
    picker_->refresh();
    picker_->adjustSize();
    ui::placePopup(*picker_, *colorButton_, 4);
    picker_->show();
}

void DetailsTab::drawPreview()
{
    auto* box = static_cast<PreviewBox*>(preview_);
    const std::optional<Icon>& icon = colorizer_->icon();
    if (!icon) {
        box->showNothing();
        return;
    }
    if (icon->emoji) {
        box->setFont(ui::systemFont(48));
        box->showText(*icon->emoji);
        return;
    }
    if (std::shared_ptr<const GlyphPicture> picture = iconPicture(*icon)) {
        box->showGlyph(TemplateImage(picture));
        return;
    }
    // A glyph without a picture of its own shows the bundle's image of its name, stretched.
    const QString named = BundleResources::path(QStringLiteral("images/") + icon->name + QStringLiteral(".png"));
    QImage image;
    if (!icon->name.contains(u'/') && QFileInfo(named).isFile())
        image = QImageReader(named).read();
    if (image.isNull())
        box->showNothing();
    else
        box->showImage(image);
}

void DetailsTab::refresh()
{
    hint_->setVisible(isShowingHint());
    editor_->setVisible(!isShowingHint());
    styleRow_->setVisible(isStyleRowShown());
    colorRow_->setVisible(isColorRowShown());
    if (!isColorRowShown() && picker_)
        picker_->hide();
    drawPreview();
    sizeSlider_->update();
    const auto current = std::find(std::begin(styleOrder), std::end(styleOrder), colorizer_->iconStyle().type());
    styleMenu_->setCurrentIndex(int(current - std::begin(styleOrder)));
    colorButton_->setColor(ui::qColor(iconColor_.color()));
    hexField_->refresh();
    if (picker_ && picker_->isVisible())
        picker_->refresh();
}

} // namespace pigmo
