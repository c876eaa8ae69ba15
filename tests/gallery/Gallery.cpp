// The screenshot gallery: every scene of the views, light and dark, written as PNG files offscreen, and the
// checks that each picture is there and shows more than one colour, and that no visible control of a scene
// is covered by another widget.
//
//   pigmo_gallery --out DIR      writes DIR/<scene>-light.png and DIR/<scene>-dark.png; exit status 1 when a
//                                picture cannot be written or a scene has a covered control
//   pigmo_gallery --check DIR    exit status 1 when a picture is missing or of a single colour
//   pigmo_gallery --list         the file names, one a line

#include "GalleryScene.h"
#include "support/CoreServices.h"
#include "support/CoveredControls.h"

#include "catalogue/IconsModel.h"
#include "platform/Appearance.h"
#include "support/ScratchHome.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace pigmo;
using namespace pigmo::gallery;

namespace {

const QStringList themes = {QStringLiteral("light"), QStringLiteral("dark")};

QList<GalleryScene> allScenes()
{
    return controlScenes() + editorScenes() + paneScenes() + pageScenes() + onboardingScenes() + mainScenes() +
           windowScenes();
}

QStringList fileNames()
{
    QStringList names;
    for (const GalleryScene& scene : allScenes())
        for (const QString& theme : themes)
            names.append(scene.name + u'-' + theme + QStringLiteral(".png"));
    return names;
}

constexpr qreal pictureScale = 2;

// Lets layouts, delayed steps (the colour tab unfocuses its field after 0.1 s) and animations settle, then,
// unless the focus is `kept`, takes keyboard focus away so that no focus ring or text cursor is in the picture.
void settle(int milliseconds = 250, bool kept = false)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    if (QWidget* focused = QApplication::focusWidget(); focused && !kept)
        focused->clearFocus();
    QApplication::processEvents();
}

// The widget drawn at twice its size, as on a high-density screen.
QImage render(QWidget* widget)
{
    QImage image(widget->size() * pictureScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pictureScale);
    image.fill(Qt::transparent);
    widget->render(&image);
    if (qEnvironmentVariableIsSet("PIGMO_GALLERY_DEBUG"))
        std::fprintf(stderr, "%d x %d -> %d x %d\n", widget->width(), widget->height(), image.width(), image.height());
    return image;
}

// A scene's widget on the window background with a margin; a pop-up, or a window the scene has shown, is
// photographed as it is. Controls another widget covers are added to `covered`.
QImage photograph(QWidget* widget, int width, int height, bool keepsFocus, QStringList& covered)
{
    if (widget->windowType() == Qt::Popup || (widget->isWindow() && widget->isVisible())) {
        widget->adjustSize();
        widget->show();
        settle(250, keepsFocus);
        covered = test::coveredControls(widget);
        render(widget); // asks for the pictures made on workers, as below
        settle(150, keepsFocus);
        return render(widget);
    }
    QWidget frame;
    frame.setAutoFillBackground(true);
    auto* margin = new QVBoxLayout(&frame);
    margin->setContentsMargins(16, 16, 16, 16);
    margin->addWidget(widget);
    if (width > 0)
        frame.setFixedWidth(width + 32);
    if (height > 0)
        frame.setFixedHeight(height + 32);
    frame.adjustSize();
    if (height == 0 && margin->hasHeightForWidth()) // a flow of items takes the rows its width needs
        frame.resize(frame.width(), margin->totalHeightForWidth(frame.width()));
    frame.show();
    settle(250, keepsFocus);
    // Views that make their pictures on workers (glyph grids, folder icons) make them for the density they
    // are painted at: a first rendering at the picture's density asks for them, and they arrive meanwhile.
    render(&frame);
    settle(150, keepsFocus);
    const QImage picture = render(&frame);
    covered = test::coveredControls(&frame);
    widget->setParent(nullptr); // the scene's widget stays with its owner
    return picture;
}

int write(const QString& directory)
{
    QDir().mkpath(directory);
    QTemporaryDir samples;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    localization.setCurrentLanguage(QStringLiteral("en"));
    test::CoreServices core;
    int failures = 0;
    for (const QString& theme : themes) {
        const bool dark = theme == u"dark";
        QApplication::setPalette(dark ? Appearance::darkPalette() : Appearance::lightPalette());
        for (const GalleryScene& scene : allScenes()) {
            // Fresh managers and history files per picture, so that one scene's custom colours or history do
            // not leak into another.
            const QTemporaryDir data;
            qputenv("XDG_DATA_HOME", data.path().toUtf8());
            PalettesManager palettes;
            ColorizationHistoryStore history;
            int made = 0;
            GalleryContext context{localization,    palettes,       history, core.icons, core.smartIcons,
                                   core.attributes, core.executors, {},      {}};
            context.namedFolder = [&samples, &context](const QString& name) {
                const QString path = samples.filePath(name);
                QDir().mkpath(path);
                auto model = ColorizationViewModel::create(*Folder::fromPath(path), false, context.colorization());
                model->setColor({28, 85, 55});
                model->setIntensity(0.6);
                model->setIcon(context.icons.lucideIcon(QStringLiteral("folder-code")));
                return model;
            };
            context.sampleFolder = [&made, &context] {
                return context.namedFolder(QStringLiteral("Projects-%1").arg(++made));
            };
            context.theme = theme;
            localization.setCurrentLanguage(scene.language.isEmpty() ? QStringLiteral("en") : scene.language);
            std::unique_ptr<QWidget> owned(scene.make(context));
            QWidget* widget = owned.get();
            QStringList covered;
            const QImage picture = photograph(widget, scene.width, scene.height, scene.keepsFocus, covered);
            const QString file = directory + u'/' + scene.name + u'-' + theme + QStringLiteral(".png");
            if (picture.isNull() || !picture.save(file)) {
                std::fprintf(stderr, "could not write %s\n", qPrintable(file));
                ++failures;
            }
            for (const QString& control : covered)
                std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(control));
            failures += int(covered.size());
            if (context.keep) {
                owned.release(); // the program the scene kept owns its window
                context.keep.reset();
                continue;
            }
            if (widget->isWindow())
                widget->close();
            if (widget->parentWidget())
                owned.release(); // a pop-up belongs to the tab that opened it
        }
    }
    return failures == 0 ? 0 : 1;
}

bool singleColour(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

int check(const QString& directory)
{
    int failures = 0;
    for (const QString& name : fileNames()) {
        const QImage image(directory + u'/' + name);
        if (image.isNull()) {
            std::fprintf(stderr, "missing or unreadable: %s\n", qPrintable(name));
            ++failures;
        } else if (singleColour(image)) {
            std::fprintf(stderr, "a single colour: %s\n", qPrintable(name));
            ++failures;
        }
    }
    std::printf("%lld pictures checked, %d bad\n", static_cast<long long>(fileNames().size()), failures);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const test::ScratchHome home(QStringLiteral("pigmo-gallery"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2 && arguments[1] == u"--list") {
        QTextStream(stdout) << fileNames().join(u'\n') << '\n';
        return 0;
    }
    if (arguments.size() == 3 && arguments[1] == u"--out")
        return write(arguments[2]);
    if (arguments.size() == 3 && arguments[1] == u"--check")
        return check(arguments[2]);
    std::fprintf(stderr, "usage: pigmo_gallery --out DIR | --check DIR | --list\n");
    return 2;
}
