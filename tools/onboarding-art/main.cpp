// Draws the onboarding's tutorial animations and style images and writes them under resources/images:
//   onboarding_drag.webp       folders dragged from a file manager onto the program's window
//   onboarding_rightclick.webp a file manager's context menu entry "Colorize Folder"
//   onboarding_watcher.webp    a new folder that styles itself
//   onboarding-style-icon-{1,2,3}.png, onboarding-style-emoji-{1,2,3}.png
// Frames are painted with QPainter (the folders by the program's own renderer) and joined into looping
// animated WebP by `img2webp` (Debian package `webp`).
//
// Usage: pigmo_onboarding_art <resources/images directory>

#include "catalogue/IconsModel.h"
#include "platform/Product.h"
#include "render/ColorizationService.h"
#include "storage/BundleResources.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <optional>

using namespace pigmo;

namespace {

// The scenes are drawn in these logical sizes and written at twice them, so that they stay sharp on a screen
// of double density.
constexpr QSize frameSize(720, 450); // the 1.6 aspect ratio of the tutorial screens
// The watcher's animation fills a box beside the texts, about as high as wide in a window of the usual size;
// what matters stays 25 points clear of the sides, which a wider-than-high box crops.
constexpr QSize watcherFrameSize(450, 500);
constexpr int pixelScale = 2;
constexpr int framesPerSecond = 20;
constexpr int frameCount = 100; // 5 s per loop
constexpr int frameMilliseconds = 1000 / framesPerSecond;

// ---- timing helpers --------------------------------------------------------------------------------

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

// 0 before frame `from`, 1 after frame `to`, eased in between.
double progress(int frame, int from, int to)
{
    const double t = clamp01(double(frame - from) / double(std::max(1, to - from)));
    return t * t * (3 - 2 * t);
}

QPointF mix(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

// ---- folder images ---------------------------------------------------------------------------------

QImage styledFolder(double hue, double saturation, double lightness, const std::optional<Icon>& icon)
{
    ColorizationData data;
    data.color = HSL{hue, saturation, lightness};
    data.intensity = 0.7;
    data.icon = icon;
    data.iconSize = icon && icon->emoji ? 150.0 : 170.0;
    const std::optional<QImage> image = ColorizationService::generateIcon(data);
    return image ? *image : QImage();
}

std::optional<Icon> lucide(const IconsModel& icons, const char* name)
{
    std::optional<Icon> icon = icons.lucideIcon(QString::fromLatin1(name));
    if (!icon)
        QTextStream(stderr) << "no Lucide icon " << name << "\n";
    return icon;
}

std::optional<Icon> emoji(const IconsModel& icons, const QString& character)
{
    for (const Icon& icon : icons.emojisIcons())
        if (icon.emoji == character)
            return icon;
    QTextStream(stderr) << "no emoji " << character << "\n";
    return std::nullopt;
}

QImage plainFolder()
{
    const std::optional<QImage>& blue = ColorizationService::blueFolderImage();
    return blue ? *blue : QImage();
}

// ---- scene pieces ----------------------------------------------------------------------------------

const QColor ink(46, 52, 64);
const QColor accent(53, 132, 228);

void paintDesktop(QPainter& p, QSize size = frameSize)
{
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(214, 226, 245));
    sky.setColorAt(1, QColor(236, 222, 240));
    p.fillRect(QRect(QPoint(0, 0), size), sky);
}

void paintWindowFrame(QPainter& p, const QRectF& r, const QString& title)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawRoundedRect(r.translated(0, 4), 12, 12);
    p.setBrush(QColor(250, 250, 251));
    p.drawRoundedRect(r, 12, 12);
    // header bar
    QPainterPath header;
    header.setFillRule(Qt::WindingFill); // the union of the overlapping shapes, not their odd-even parts
    header.addRoundedRect(QRectF(r.topLeft(), QSizeF(r.width(), 40)), 12, 12);
    header.addRect(QRectF(r.left(), r.top() + 20, r.width(), 20));
    p.setBrush(QColor(235, 235, 238));
    p.drawPath(header.simplified());
    p.setPen(QColor(210, 210, 214));
    p.drawLine(QPointF(r.left(), r.top() + 40), QPointF(r.right(), r.top() + 40));
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(r.left(), r.top(), r.width(), 40), Qt::AlignCenter, title);
    // close button on the right
    const QPointF close(r.right() - 22, r.top() + 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(218, 218, 222));
    p.drawEllipse(close, 9, 9);
    p.setPen(QPen(ink, 1.6));
    p.drawLine(close + QPointF(-3.5, -3.5), close + QPointF(3.5, 3.5));
    p.drawLine(close + QPointF(-3.5, 3.5), close + QPointF(3.5, -3.5));
    p.restore();
}

void paintSidebar(QPainter& p, const QRectF& window)
{
    p.save();
    const QRectF side(window.left(), window.top() + 41, 110, window.height() - 41);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addRoundedRect(side, 12, 12);
    path.addRect(side.adjusted(0, 0, 0, -20));
    path.addRect(side.adjusted(20, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(242, 242, 245));
    p.drawPath(path.simplified());
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    const QStringList places{QStringLiteral("Home"), QStringLiteral("Desktop"), QStringLiteral("Documents"),
                             QStringLiteral("Music"), QStringLiteral("Pictures")};
    for (int i = 0; i < places.size(); ++i) {
        const QRectF row(side.left() + 8, side.top() + 12 + i * 28, side.width() - 16, 24);
        if (i == 0) {
            p.setBrush(QColor(220, 224, 232));
            p.drawRoundedRect(row, 6, 6);
        }
        p.setBrush(QColor(150, 156, 168));
        p.drawRoundedRect(QRectF(row.left() + 6, row.center().y() - 5, 12, 10), 2, 2);
        p.setPen(ink);
        p.drawText(row.adjusted(24, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, places[i]);
        p.setPen(Qt::NoPen);
    }
    p.restore();
}

// A folder icon with its name below, centred on `centre`; `selected` draws the selection highlight.
void paintFolderItem(QPainter& p, const QImage& icon, QPointF centre, double side, const QString& name, bool selected,
                     double opacity = 1)
{
    p.save();
    p.setOpacity(opacity);
    const QRectF iconRect(centre.x() - side / 2, centre.y() - side / 2, side, side);
    if (selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(accent.red(), accent.green(), accent.blue(), 50));
        p.drawRoundedRect(iconRect.adjusted(-6, -4, 6, 26), 8, 8);
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(iconRect, icon);
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(centre.x() - 50, iconRect.bottom() + 2, 100, 18), Qt::AlignHCenter | Qt::AlignTop, name);
    p.restore();
}

// The cross-fade of a folder from its plain look to its styled one, with a little pop in size.
void paintRestyledFolder(QPainter& p, const QImage& before, const QImage& after, QPointF centre, double side,
                         const QString& name, double t, bool selected = false)
{
    const double pop = 1 + 0.12 * std::sin(t * M_PI);
    paintFolderItem(p, before, centre, side * pop, name, selected, 1 - t);
    paintFolderItem(p, after, centre, side * pop, name, false, t);
}

void paintSparkles(QPainter& p, QPointF centre, double radius, double t)
{
    if (t <= 0 || t >= 1)
        return;
    p.save();
    p.setOpacity(std::sin(t * M_PI));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 196, 61));
    for (int i = 0; i < 6; ++i) {
        const double angle = i * M_PI / 3 + 0.3;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * radius * (0.7 + 0.5 * t);
        const double r = 5 * (1 - t) + 2;
        QPainterPath star;
        star.moveTo(at + QPointF(0, -2 * r));
        star.quadTo(at, at + QPointF(2 * r, 0));
        star.quadTo(at, at + QPointF(0, 2 * r));
        star.quadTo(at, at + QPointF(-2 * r, 0));
        star.quadTo(at, at + QPointF(0, -2 * r));
        p.drawPath(star);
    }
    p.restore();
}

void paintCursor(QPainter& p, QPointF tip, bool pressed = false)
{
    QPainterPath arrow;
    arrow.moveTo(0, 0);
    arrow.lineTo(0, 22);
    arrow.lineTo(5.5, 17);
    arrow.lineTo(9.5, 26);
    arrow.lineTo(13, 24.5);
    arrow.lineTo(9, 15.5);
    arrow.lineTo(16, 15.5);
    arrow.closeSubpath();
    p.save();
    p.translate(tip);
    if (pressed)
        p.scale(0.9, 0.9);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(20, 20, 24));
    p.drawPath(arrow);
    p.restore();
}

// ---- the three animations --------------------------------------------------------------------------

struct FolderSlot {
    QString name;
    QImage plain;
    QImage styled;
};

const QRectF fileManagerWide(40, 40, 640, 370);
constexpr double folderSide = 84;

// The centre of a folder of a file manager's grid; `inset` is the sidebar's width and the gap beside it.
QPointF gridCentre(const QRectF& window, int index, int columns, double inset = 110 + 30)
{
    const double left = window.left() + inset;
    const double step = (window.right() - left - 20) / columns;
    return {left + step * (index % columns + 0.5), window.top() + 41 + 70 + (index / columns) * 130};
}

// The first frames fade in from the last ones' look, so the loop has no jump.
using Painter = std::function<void(QPainter&, int)>;

QImage frame(const Painter& paint, int index, QSize size)
{
    QImage image(size * pixelScale, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(pixelScale, pixelScale);
    paint(p, index);
    p.end();
    return image;
}

void paintDrag(QPainter& p, int f, const QList<FolderSlot>& slots)
{
    paintDesktop(p);
    const QRectF files(24, 50, 400, 350);
    const QRectF app(444, 70, 252, 310);
    paintWindowFrame(p, files, QStringLiteral("Home"));
    paintSidebar(p, files);
    paintWindowFrame(p, app, QString::fromUtf8(product::displayName));

    const int dragged = 1;
    const QPointF source = gridCentre(files, dragged, 2);
    const QPointF dropZone = app.center() + QPointF(0, 10);
    const QPointF rest(330, 420);
    const double reach = progress(f, 8, 28);
    const double carry = progress(f, 34, 58);
    const double land = progress(f, 60, 66);
    const double restyle = progress(f, 66, 76);
    const double leave = progress(f, 80, 96);

    // The program's drop area: dashed, highlighted while the folder hovers over it.
    const bool hovering = carry > 0.8 && land < 1;
    const QRectF zone(app.left() + 24, app.top() + 62, app.width() - 48, app.height() - 86);
    p.save();
    p.setPen(QPen(hovering ? accent : QColor(170, 174, 184), 2, Qt::DashLine));
    p.setBrush(hovering ? QBrush(QColor(accent.red(), accent.green(), accent.blue(), 30)) : QBrush(Qt::NoBrush));
    p.drawRoundedRect(zone, 14, 14);
    p.restore();
    const QImage& shown =
        land > 0 ? slots[dragged].styled : ColorizationService::neutralFolderImage().value_or(QImage());
    p.save();
    p.setOpacity(0.35 + 0.65 * land);
    const double big = 130 * (1 + 0.1 * std::sin(land * M_PI));
    p.drawImage(QRectF(dropZone.x() - big / 2, dropZone.y() - big / 2 - 10, big, big), shown);
    p.restore();

    for (int i = 0; i < slots.size(); ++i) {
        const QPointF centre = gridCentre(files, i, 2);
        if (i == dragged)
            paintRestyledFolder(p, slots[i].plain, slots[i].styled, centre, folderSide, slots[i].name, restyle,
                                f >= 30 && f < 66);
        else
            paintFolderItem(p, slots[i].plain, centre, folderSide, slots[i].name, false);
    }
    paintSparkles(p, gridCentre(files, dragged, 2), 50, progress(f, 66, 84));

    QPointF cursor = mix(rest, source, reach);
    if (f >= 34)
        cursor = mix(source, dropZone, carry);
    if (f >= 60)
        cursor = mix(dropZone, rest, leave);
    if (f >= 34 && land < 1) { // the folder under the cursor while it is dragged
        p.save();
        p.setOpacity(0.75 * (1 - land));
        const double side = folderSide * (1 - 0.4 * land);
        p.drawImage(QRectF(cursor.x() - side / 2, cursor.y() - side / 2, side, side), slots[dragged].plain);
        p.restore();
    }
    paintCursor(p, cursor, f >= 30 && f < 60);
}

void paintRightClick(QPainter& p, int f, const QList<FolderSlot>& slots)
{
    paintDesktop(p);
    paintWindowFrame(p, fileManagerWide, QStringLiteral("Home"));
    paintSidebar(p, fileManagerWide);

    const int target = 1; // its menu opens to the right, inside the window
    const QPointF folder = gridCentre(fileManagerWide, target, 4);
    const QPointF rest(560, 420);
    const double reach = progress(f, 6, 24);
    const double menuOpen = progress(f, 28, 33);
    const double toEntry = progress(f, 36, 50);
    const double menuClose = progress(f, 56, 60);
    const double restyle = progress(f, 60, 70);
    const double leave = progress(f, 78, 96);

    for (int i = 0; i < slots.size(); ++i) {
        const QPointF centre = gridCentre(fileManagerWide, i, 4);
        if (i == target)
            paintRestyledFolder(p, slots[i].plain, slots[i].styled, centre, folderSide, slots[i].name, restyle,
                                f >= 26 && f < 60);
        else
            paintFolderItem(p, slots[i].plain, centre, folderSide, slots[i].name, false);
    }
    paintSparkles(p, folder, 50, progress(f, 60, 78));

    // The context menu, opening at the cursor.
    const QPointF menuAt = folder + QPointF(10, 10);
    const QStringList entries{QStringLiteral("Open"),
                              QStringLiteral("Open in New Window"),
                              QString(),
                              QStringLiteral("Cut"),
                              QStringLiteral("Copy"),
                              QStringLiteral("Rename…"),
                              QString(),
                              QStringLiteral("Colorize Folder"),
                              QString(),
                              QStringLiteral("Properties")};
    const int chosen = 7;
    const double rowHeight = 26;
    const double separatorHeight = 9;
    double menuHeight = 12;
    double chosenTop = 0;
    for (int i = 0; i < entries.size(); ++i) {
        if (i == chosen)
            chosenTop = menuHeight;
        menuHeight += entries[i].isEmpty() ? separatorHeight : rowHeight;
    }
    const QRectF menu(menuAt, QSizeF(190, menuHeight));
    const QPointF entryPoint(menu.left() + 60, menu.top() + chosenTop + rowHeight / 2);
    const double menuOpacity = menuOpen * (1 - menuClose);
    if (menuOpacity > 0) {
        p.save();
        p.setOpacity(menuOpacity);
        p.translate(menuAt);
        p.scale(0.92 + 0.08 * menuOpen, 0.92 + 0.08 * menuOpen);
        p.translate(-menuAt);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 50));
        p.drawRoundedRect(menu.translated(0, 3), 10, 10);
        p.setBrush(Qt::white);
        p.setPen(QColor(205, 205, 210));
        p.drawRoundedRect(menu, 10, 10);
        QFont font = p.font();
        font.setPixelSize(13);
        p.setFont(font);
        double y = menu.top() + 6;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].isEmpty()) {
                p.setPen(QColor(222, 222, 226));
                p.drawLine(QPointF(menu.left() + 8, y + separatorHeight / 2),
                           QPointF(menu.right() - 8, y + separatorHeight / 2));
                y += separatorHeight;
                continue;
            }
            const QRectF row(menu.left() + 6, y, menu.width() - 12, rowHeight);
            const bool highlighted = i == chosen && toEntry >= 1;
            if (highlighted) {
                p.setPen(Qt::NoPen);
                p.setBrush(accent);
                p.drawRoundedRect(row, 6, 6);
            }
            if (i == chosen) // the program's own folder mark beside its entry
                p.drawImage(QRectF(row.left() + 6, row.top() + 4, 18, 18), slots[target].styled);
            p.setPen(highlighted ? Qt::white : ink);
            p.drawText(row.adjusted(32, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, entries[i]);
            y += rowHeight;
        }
        p.restore();
    }

    QPointF cursor = mix(rest, folder, reach);
    if (f >= 36)
        cursor = mix(folder, entryPoint, toEntry);
    if (f >= 60)
        cursor = mix(entryPoint, rest, leave);
    paintCursor(p, cursor, (f >= 26 && f < 29) || (f >= 53 && f < 56));
}

// A narrow file manager without sidebar, three folders to a row.
const QRectF fileManagerNarrow(24, 36, 402, 424);
constexpr int narrowColumns = 3;
constexpr double narrowInset = 20;

void paintWatcher(QPainter& p, int f, const QList<FolderSlot>& slots)
{
    paintDesktop(p, watcherFrameSize);
    paintWindowFrame(p, fileManagerNarrow, QStringLiteral("Documents"));

    const int newcomer = int(slots.size()) - 1;
    const double appear = progress(f, 14, 24);
    const double typing = progress(f, 24, 44);
    const double restyle = progress(f, 52, 62);
    const double vanish = progress(f, 86, 98);

    for (int i = 0; i < newcomer; ++i)
        paintFolderItem(p, slots[i].styled, gridCentre(fileManagerNarrow, i, narrowColumns, narrowInset), folderSide,
                        slots[i].name, false);

    const QPointF centre = gridCentre(fileManagerNarrow, newcomer, narrowColumns, narrowInset);
    if (appear > 0 && vanish < 1) {
        const double side = folderSide * (0.3 + 0.7 * appear);
        const QString& name = slots[newcomer].name;
        const QString typed = typing < 1 ? name.left(int(std::round(typing * name.size()))) : name;
        p.save();
        p.setOpacity(1 - vanish);
        if (typing < 1) { // the name is being typed in its edit field
            paintFolderItem(p, slots[newcomer].plain, centre, side, QString(), false);
            QFont font = p.font();
            font.setPixelSize(12);
            p.setFont(font);
            const QRectF field(centre.x() - 48, centre.y() + side / 2 + 1, 96, 20);
            p.setPen(QPen(accent, 1.5));
            p.setBrush(Qt::white);
            p.drawRoundedRect(field, 4, 4);
            p.setPen(ink);
            p.drawText(field.adjusted(6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       typed + ((f / 5) % 2 ? QStringLiteral("|") : QString()));
        } else {
            paintRestyledFolder(p, slots[newcomer].plain, slots[newcomer].styled, centre, side, name, restyle);
        }
        p.restore();
    }
    paintSparkles(p, centre, 50, progress(f, 52, 72));

    // A small notice of the program in the corner while it works.
    const double notice = progress(f, 50, 56) * (1 - progress(f, 76, 82));
    if (notice > 0) {
        p.save();
        p.setOpacity(notice);
        const QRectF card(fileManagerNarrow.right() - 236, fileManagerNarrow.bottom() - 62, 220, 46);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawRoundedRect(card.translated(0, 3), 10, 10);
        p.setBrush(QColor(46, 52, 64, 235));
        p.drawRoundedRect(card, 10, 10);
        p.drawImage(QRectF(card.left() + 8, card.top() + 7, 32, 32), slots[newcomer].styled);
        QFont font = p.font();
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(card.adjusted(48, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("“%1” styled").arg(slots[newcomer].name));
        p.restore();
    }
}

// ---- output ----------------------------------------------------------------------------------------

bool writeAnimation(const QString& path, const Painter& paint, QSize size = frameSize)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    // Lossless: the lossy mode's frame differences leave traces of light shapes on light backgrounds.
    QStringList arguments{QStringLiteral("-loop"), QStringLiteral("0"),  QStringLiteral("-lossless"),
                          QStringLiteral("-q"),    QStringLiteral("75"), QStringLiteral("-m"),
                          QStringLiteral("4"),     QStringLiteral("-d"), QString::number(frameMilliseconds)};
    for (int i = 0; i < frameCount; ++i) {
        const QString file = scratch.filePath(QStringLiteral("frame-%1.png").arg(i, 3, 10, QLatin1Char('0')));
        if (!frame(paint, i, size).save(file))
            return false;
        arguments << file;
    }
    arguments << QStringLiteral("-o") << path;
    QProcess encoder;
    encoder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    encoder.start(QStringLiteral("img2webp"), arguments);
    if (!encoder.waitForFinished(-1) || encoder.exitStatus() != QProcess::NormalExit || encoder.exitCode() != 0) {
        QTextStream(stderr) << "img2webp failed for " << path << " (apt-get install webp)\n";
        return false;
    }
    return true;
}

bool writeStyleImage(const QString& path, const QImage& folder)
{
    return folder.scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(path, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: pigmo_onboarding_art <resources/images directory>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const IconsModel icons(BundleResources::directory());
    const QImage plain = plainFolder();
    if (plain.isNull()) {
        QTextStream(stderr) << "the bundle's folder images are missing\n";
        return 1;
    }

    const QList<FolderSlot> dragSlots{
        {QStringLiteral("Invoices"), plain, styledFolder(140, 60, 42, lucide(icons, "receipt"))},
        {QStringLiteral("Travel"), plain, styledFolder(24, 90, 55, lucide(icons, "plane"))},
        {QStringLiteral("Recipes"), plain, styledFolder(350, 70, 55, lucide(icons, "chef-hat"))},
        {QStringLiteral("Games"), plain, styledFolder(275, 55, 55, lucide(icons, "gamepad-2"))},
    };
    const QList<FolderSlot> menuSlots{
        {QStringLiteral("Desktop"), plain, plain},
        {QStringLiteral("Music"), plain, styledFolder(330, 75, 55, lucide(icons, "headphones"))},
        {QStringLiteral("Documents"), plain, plain},
        {QStringLiteral("Pictures"), plain, plain},
        {QStringLiteral("Projects"), plain, plain},
        {QStringLiteral("Recipes"), plain, plain},
        {QStringLiteral("Videos"), plain, plain},
        {QStringLiteral("Travel"), plain, plain},
    };
    const QList<FolderSlot> watcherSlots{
        {QStringLiteral("Photos"), plain, styledFolder(45, 90, 52, lucide(icons, "camera"))},
        {QStringLiteral("Code"), plain, styledFolder(210, 70, 45, lucide(icons, "code"))},
        {QStringLiteral("School"), plain, styledFolder(0, 70, 55, lucide(icons, "graduation-cap"))},
        {QStringLiteral("Work"), plain, styledFolder(30, 35, 40, lucide(icons, "briefcase"))},
        {QStringLiteral("Books"), plain, styledFolder(160, 60, 40, lucide(icons, "book-open"))},
        {QStringLiteral("Invoices"), plain, styledFolder(140, 60, 42, lucide(icons, "receipt"))},
    };

    bool ok = writeAnimation(out.filePath(QStringLiteral("onboarding_drag.webp")),
                             [&](QPainter& p, int f) { paintDrag(p, f, dragSlots); });
    ok = writeAnimation(out.filePath(QStringLiteral("onboarding_rightclick.webp")),
                        [&](QPainter& p, int f) { paintRightClick(p, f, menuSlots); }) &&
         ok;
    ok = writeAnimation(
             out.filePath(QStringLiteral("onboarding_watcher.webp")),
             [&](QPainter& p, int f) { paintWatcher(p, f, watcherSlots); }, watcherFrameSize) &&
         ok;

    const QList<QImage> iconStyles{styledFolder(210, 80, 55, lucide(icons, "headphones")),
                                   styledFolder(30, 90, 55, lucide(icons, "camera")),
                                   styledFolder(140, 55, 45, lucide(icons, "book-open"))};
    const QList<QImage> emojiStyles{styledFolder(0, 75, 60, emoji(icons, QStringLiteral("🎸"))),
                                    styledFolder(45, 95, 55, emoji(icons, QStringLiteral("🌴"))),
                                    styledFolder(270, 60, 60, emoji(icons, QStringLiteral("🎮")))};
    for (int i = 0; i < 3; ++i) {
        ok = writeStyleImage(out.filePath(QStringLiteral("onboarding-style-icon-%1.png").arg(i + 1)), iconStyles[i]) &&
             ok;
        ok =
            writeStyleImage(out.filePath(QStringLiteral("onboarding-style-emoji-%1.png").arg(i + 1)), emojiStyles[i]) &&
            ok;
    }
    return ok ? 0 : 1;
}
