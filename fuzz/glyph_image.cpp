// A glyph's picture from hostile data: the input's first byte picks the path, the rest is the content.
// Even: the image data of a user's own glyph (PNG or any format Qt decodes). Odd: a glyph file named by a
// stored style, parsed as SVG. Either is drawn at a small size; nothing may crash or run away.
#include "FuzzSupport.h"
#include "render/IconImage.h"

#include <QGuiApplication>
#include <QUrl>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pigmo::fuzz::prepare();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "pigmo-fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace pigmo;
    if (size == 0)
        return 0;
    const QByteArray content = fuzz::bytesOf(data + 1, size - 1);
    Icon icon;
    icon.name = QStringLiteral("fuzz");
    if (data[0] % 2 == 0) {
        icon.imageData = content;
    } else {
        // A new name for every input: pictures are cached by file.
        static quint64 serial = 0;
        const QString path = QDir::homePath() + QStringLiteral("/glyph-%1.svg").arg(serial++ % 1024);
        QFile::remove(path);
        fuzz::putFile(path, content);
        icon.url = QUrl::fromLocalFile(path);
    }
    (void)iconImage(icon, QSize(64, 64));
    (void)iconImage(icon); // its own size, capped
    return 0;
}
