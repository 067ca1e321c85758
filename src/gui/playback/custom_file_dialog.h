// CCustomFileDialog: the multi-select open dialog with an "Autoplay" box that previews files.
#pragma once

#include "playback/player.h"

#include <QFileDialog>
#include <QString>

class QCheckBox;

namespace sonarium {

class CCustomFileDialog final : public QFileDialog {
    Q_OBJECT

public:
    CCustomFileDialog(Reporter& reporter, const QString& title, QWidget* parent = nullptr);

    QCheckBox* autoplayBox() const { return autoplay_; }
    player& previewPlayer() { return player_; }

    // A file is previewed only when its extension is exactly "wav" and it holds more than 100
    // bytes.
    static bool isPreviewable(const QString& path);

    void done(int result) override;

signals:
    // Emitted each time a file is sent to the preview player.
    void previewStarted(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void preview(const QString& path);
    void onSelectionChanged(const QString& path);
    void onAutoplayClicked(bool checked);

    player player_;
    QCheckBox* autoplay_ = nullptr;
    QString current_;
};

} // namespace sonarium
