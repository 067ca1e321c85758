// The control bar under the toolbars: Add button, Source and Aux selectors, disk and memory
// readouts, and the Activity field where every command leaves its completion text.
#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace sonarium {

class ControlBar final : public QWidget {
    Q_OBJECT

public:
    explicit ControlBar(QWidget* parent = nullptr);

    QPushButton* addButton() const { return add_; }
    QComboBox* sourceSelector() const { return source_; }
    QComboBox* auxSelector() const { return aux_; }
    QLineEdit* hddField() const { return hdd_; }
    QLineEdit* ramField() const { return ram_; }
    QLineEdit* activityField() const { return activity_; }

    void ShowActivity(const QString& text);
    void setReadouts(const QString& hdd, const QString& ram);

private:
    QPushButton* add_;
    QComboBox* source_;
    QComboBox* aux_;
    QLineEdit* hdd_;
    QLineEdit* ram_;
    QLineEdit* activity_;
};

} // namespace sonarium
