// Shows the core's messages as modal message boxes.
#pragma once

#include "base/reporter.h"

#include <QPointer>
#include <QWidget>

namespace sonarium {

class MessageBoxReporter final : public Reporter {
public:
    explicit MessageBoxReporter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

protected:
    Answer present(const std::string& text, MessageIcon icon, MessageButtons buttons) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace sonarium
