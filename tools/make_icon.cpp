// sonarium-make-icon IN.svg SIZE OUT.png: renders the program's scalable icon at one size, for
// the icon theme's fixed-size folders. Runs at build time without a display.
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fputs("usage: sonarium-make-icon IN.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = std::atoi(argv[2]);
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "sonarium-make-icon: %s: %s\n", argv[1],
                     reader.errorString().toLocal8Bit().constData());
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "sonarium-make-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
