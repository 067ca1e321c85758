// "System Information 1.0": the processor, operating system, memory and power facts, each
// "Unknown" where the system says nothing, with gauges for memory in use and battery charge.
#pragma once

#include "operations/tools/system_information.h"

#include <QDialog>
#include <string>

namespace sonarium {

class CSystemInformationDialog final : public QDialog {
    Q_OBJECT

public:
    // sources says where /proc and /sys are read (tests fake them); the toolkit's own facts
    // (processor architecture, system name, kernel version) fill what the caller left empty.
    CSystemInformationDialog(SystemSources sources, std::string helpLanguage,
                             QWidget* parent = nullptr);
    const SystemInformation& information() const { return information_; }

private:
    SystemInformation information_;
    std::string helpLanguage_;
};

} // namespace sonarium
