// The area that holds the waveform windows, with its background picture.
#pragma once

#include <QMdiArea>

namespace sonarium {

class ClientArea final : public QMdiArea {
    Q_OBJECT

public:
    ClientArea(bool picture, QWidget* parent = nullptr);
    bool hasPicture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool picture_;
};

} // namespace sonarium
