// Layout of the control bar in one row.
#include "frame/control_bar.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace sonarium {

namespace {

QLineEdit* readout(QWidget* parent, const char* name, int characters) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(characters, '0')) + 12);
    return field;
}

QComboBox* selector(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(18);
    return box;
}

} // namespace

ControlBar::ControlBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("controlBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);

    add_ = new QPushButton(QStringLiteral("&Add..."), this);
    add_->setObjectName(QStringLiteral("item1082"));
    source_ = selector(this, "sourceSelector");
    aux_ = selector(this, "auxSelector");
    hdd_ = readout(this, "hddField", 8);
    ram_ = readout(this, "ramField", 8);
    activity_ = readout(this, "activityField", 24);

    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setBuddy(buddy);
        return l;
    };
    row->addWidget(add_);
    row->addWidget(label("&Source :", source_));
    row->addWidget(source_, 2);
    row->addWidget(label("Au&x :", aux_));
    row->addWidget(aux_, 2);
    row->addWidget(label("HDD :", hdd_));
    row->addWidget(hdd_);
    row->addWidget(new QLabel(QStringLiteral("MB"), this));
    row->addWidget(label("RAM :", ram_));
    row->addWidget(ram_);
    row->addWidget(new QLabel(QStringLiteral("MB"), this));
    row->addWidget(label("Activity :", activity_));
    row->addWidget(activity_, 1);
}

void ControlBar::ShowActivity(const QString& text) {
    // The field widens for a text longer than it was made for, and keeps that width so that the
    // row does not jump at every change.
    const QMargins margins = activity_->textMargins() + activity_->contentsMargins();
    const int needed =
        activity_->fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 12;
    if (activity_->minimumWidth() < needed)
        activity_->setMinimumWidth(needed);
    activity_->setText(text);
}

void ControlBar::setReadouts(const QString& hdd, const QString& ram) {
    hdd_->setText(hdd);
    ram_->setText(ram);
}

} // namespace sonarium
