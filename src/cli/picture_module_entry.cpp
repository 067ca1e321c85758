// The picture module: draws the waveform picture with the editor's own rendering code on the
// offscreen platform and encodes it as PNG.
#include "picture_module.h"
#include "render/waveform_picture.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

extern "C" __attribute__((visibility("default"))) int
sonariumEncodeWaveformPng(const sonarium::DisplaySummary* summary, SonariumPngSink sink,
                          void* context) {
    // Drawing needs no display: the offscreen platform is always chosen here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own start-up remarks (no runtime directory and the like) are not ours to print.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int argc = 1;
    char name[] = "sonarium-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    const QImage picture =
        sonarium::renderWaveformPicture(*summary, QColor(0, 0, 128), QColor(255, 255, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return 0;
    sink(context, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return 1;
}
