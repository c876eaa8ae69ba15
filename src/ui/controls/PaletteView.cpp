#include "ui/controls/PaletteView.h"

#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "ui/Localized.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PopupPlacement.h"
#include "ui/controls/WidgetRemoval.h"

#include <QEvent>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

namespace pigmo {
namespace {

// The fade over the bottom of a scroll area: the window colour through the inverse of the list's mask, so
// the content looks as if it faded to clear.
class BottomFade : public QWidget {
public:
    explicit BottomFade(QAbstractScrollArea* area)
        : QWidget(area)
        , area_(area)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        area->installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show)
            follow();
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // Where the mask lets the list through, nothing is laid over it; where it hides the list, the
        // window colour is.
        const QColor background = area_->palette().color(QPalette::Window);
        QLinearGradient fade = PaletteView::topHighlightGradient(height());
        QGradientStops stops = fade.stops();
        for (QGradientStop& stop : stops) {
            QColor over = background;
            over.setAlphaF(background.alphaF() * (1 - stop.second.alphaF()));
            stop.second = over;
        }
        fade.setStops(stops);
        painter.fillRect(rect(), fade);
    }

private:
    void follow()
    {
        const QRect viewport = area_->viewport()->geometry();
        const int h = int(PaletteView::fadeHeight);
        setGeometry(viewport.left(), viewport.bottom() + 1 - h, viewport.width(), h);
        raise();
    }

    QAbstractScrollArea* area_;
};

// The thin rule between the custom colours and the palette: a capsule of the text colour at 5 %.
class Separator : public QWidget {
public:
    Separator()
    {
        setFixedHeight(2);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ui::primaryColor(*this, 0.05));
        const QRectF bar = QRectF(rect()).adjusted(8, 0, -8, 0);
        painter.drawRoundedRect(bar, 1, 1);
    }
};

} // namespace

PaletteView::PaletteView(PalettesManager& palettesManager, LocalizationManager& localization, QList<Color> colors,
                         std::function<void(const Color&)> onSelect, double height, int columns,
                         std::function<Color()> currentColor, QWidget* parent)
    : QScrollArea(parent)
    , palettes_(palettesManager)
    , localization_(localization)
    , onSelect_(std::move(onSelect))
    , height_(height)
    , columns_(std::max(columns, 1))
    , currentColor_(std::move(currentColor))
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    ui::useSlimScrollBar(this);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 12, 0, 12);
    stack->setSpacing(8);

    customGrid_ = makeGrid();
    addButton_ = new SymbolButton(QStringLiteral("plus"), height_, 12);
    addButton_->setBackgroundOpacity(0.1);
    addButton_->setSymbolOpacity(0.5);
    setLocalizedAccessibleName(*addButton_, localization_, u"add_custom_color"_key, true);
    connect(addButton_, &QAbstractButton::clicked, this, [this] { palettes_.addCustomColor(currentColor_()); });
    auto* separator = new Separator;
    paletteGrid_ = makeGrid();
    for (qsizetype i = 0; i < colors.size(); ++i) {
        paletteGrid_->addWidget(makeSwatch(colors[i]), int(i / columns_), int(i % columns_));
    }
    // Both grids are as wide as all their columns, filled from the left, and centred.
    const int gridWidth = int(columns_ * height_ + (columns_ - 1) * gridSpacing);
    for (QGridLayout* grid : {customGrid_, paletteGrid_}) {
        auto* block = new QWidget;
        block->setFixedWidth(gridWidth);
        block->setLayout(grid);
        if (grid == paletteGrid_)
            stack->addWidget(separator);
        stack->addWidget(block, 0, Qt::AlignHCenter);
    }
    stack->addStretch(1);
    setWidget(content);
    applyBottomFade(this);

    connect(&palettes_, &PalettesManager::customColorsChanged, this, &PaletteView::rebuildCustomGrid);
    rebuildCustomGrid();
}

QGridLayout* PaletteView::makeGrid()
{
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(int(gridSpacing));
    grid->setVerticalSpacing(int(gridSpacing));
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return grid;
}

ColorSwatch* PaletteView::makeSwatch(const Color& color)
{
    auto* swatch = new ColorSwatch(ColorSwatch::Shape::circle, height_);
    swatch->setColor(ui::qColor(color));
    swatch->setAccessibleName(QStringLiteral("#") + color.hexString());
    connect(swatch, &QAbstractButton::clicked, this, [this, color] { onSelect_(color); });
    return swatch;
}

void PaletteView::rebuildCustomGrid()
{
    while (QLayoutItem* item = customGrid_->takeAt(0)) {
        if (item->widget() != addButton_)
            ui::discard(item->widget());
        delete item;
    }
    customGrid_->addWidget(addButton_, 0, 0);
    const QList<Color>& custom = palettes_.customColors();
    int cell = 1;
    for (auto it = custom.rbegin(); it != custom.rend(); ++it, ++cell) {
        ColorSwatch* swatch = makeSwatch(*it);
        swatch->setProperty("customColor", true);
        swatch->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(swatch, &QWidget::customContextMenuRequested, this,
                [this, swatch](const QPoint& at) { openContextMenu(swatch, swatch->mapToGlobal(at)); });
        customGrid_->addWidget(swatch, cell / columns_, cell % columns_);
    }
}

QList<ColorSwatch*> PaletteView::customSwatches() const
{
    QList<ColorSwatch*> swatches;
    for (int i = 0; i < customGrid_->count(); ++i)
        if (auto* swatch = qobject_cast<ColorSwatch*>(customGrid_->itemAt(i)->widget()))
            swatches.append(swatch);
    return swatches;
}

QList<ColorSwatch*> PaletteView::paletteSwatches() const
{
    QList<ColorSwatch*> swatches;
    for (int i = 0; i < paletteGrid_->count(); ++i)
        if (auto* swatch = qobject_cast<ColorSwatch*>(paletteGrid_->itemAt(i)->widget()))
            swatches.append(swatch);
    return swatches;
}

QMenu* PaletteView::openContextMenu(ColorSwatch* swatch, const QPoint& globalPosition)
{
    if (!swatch || !swatch->property("customColor").toBool())
        return nullptr;
    const Color color = ui::displayColor(swatch->color());
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* remove = menu->addAction(localization_.string(u"remove"_key));
    if (std::optional<TemplateImage> trash = symbolImage(QStringLiteral("trash")))
        remove->setIcon(QIcon(trash->pixmap({16, 16}, QColor(220, 53, 69), devicePixelRatioF())));
    connect(remove, &QAction::triggered, this, [this, color] { palettes_.removeCustomColor(color); });
    ui::popUpMenu(*menu, globalPosition);
    return menu;
}

QLinearGradient PaletteView::topHighlightGradient(double areaHeight)
{
    QLinearGradient mask(0, 0, 0, areaHeight);
    const double fadeStart = areaHeight > fadeHeight ? (areaHeight - fadeHeight) / areaHeight : 0.0;
    mask.setColorAt(0, Qt::white);
    mask.setColorAt(fadeStart, Qt::white);
    mask.setColorAt(1, Qt::transparent);
    return mask;
}

void PaletteView::applyBottomFade(QAbstractScrollArea* area)
{
    new BottomFade(area);
}

} // namespace pigmo
