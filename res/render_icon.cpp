// Build tool: draws an SVG picture into a PNG, square for the icon theme's fixed-size
// folders, or of any size (the splash screen, so that start-up only decodes it).
//   quillbrow_render_icon <in.svg> <size>|<width>x<height> <out.png>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("usage: quillbrow_render_icon <in.svg> <size>|<width>x<height> <out.png>\n",
                   stderr);
        return 2;
    }
    // Drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const QList<QByteArray> dims = QByteArray(argv[2]).split('x');
    bool okWidth = false;
    bool okHeight = false;
    const int width = dims.value(0).toInt(&okWidth);
    const int height = dims.size() == 2 ? dims.value(1).toInt(&okHeight) : width;
    okHeight = dims.size() == 1 || okHeight;
    if (!renderer.isValid() || !okWidth || !okHeight || dims.size() > 2 || width <= 0
        || height <= 0) {
        std::fprintf(stderr, "quillbrow_render_icon: cannot draw %s at %s\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
