// The System Information dialog's layout, filled when it opens.
#include "dialogs/system_information_dialog.h"

#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace sonarium {

namespace {

struct Row {
    const char* label;
    const char* name; // the value label's object name, for tests
    const std::string* value;
};

QGroupBox* group(QWidget* parent, const char* title, std::initializer_list<Row> rows,
                 QProgressBar* gauge = nullptr) {
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
    auto* form = new QFormLayout(box);
    for (const Row& row : rows) {
        auto* value = new QLabel(qs(*row.value), box);
        value->setObjectName(QString::fromLatin1(row.name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromLatin1(row.label), value);
    }
    if (gauge != nullptr)
        form->addRow(gauge);
    return box;
}

QProgressBar* gauge(QWidget* parent, const char* name, int percent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 100);
    bar->setValue(percent);
    return bar;
}

} // namespace

CSystemInformationDialog::CSystemInformationDialog(SystemSources sources, std::string helpLanguage,
                                                   QWidget* parent)
    : QDialog(parent), helpLanguage_(std::move(helpLanguage)) {
    setObjectName(QStringLiteral("CSystemInformationDialog"));
    setWindowTitle(QStringLiteral("System Information 1.0"));
    if (sources.cpuArchitecture.empty())
        sources.cpuArchitecture = QSysInfo::currentCpuArchitecture().toStdString();
    if (sources.productName.empty())
        sources.productName = QSysInfo::prettyProductName().toStdString();
    if (sources.kernelVersion.empty())
        sources.kernelVersion = QSysInfo::kernelVersion().toStdString();
    information_ = readSystemInformation(sources);
    const SystemInformation& i = information_;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group(this, "Processor",
                            {{"Architecture :", "architecture", &i.architecture},
                             {"Type :", "processorType", &i.processorType},
                             {"Revision :", "revision", &i.revision},
                             {"Active processors :", "activeProcessors", &i.activeProcessors}}));
    layout->addWidget(group(this, "Operating system",
                            {{"Type :", "systemType", &i.systemType},
                             {"Version :", "version", &i.version},
                             {"Maximal opened files :", "maxOpenFiles", &i.maxOpenFiles},
                             {"Allocation granularity :", "granularity", &i.granularity}}));
    layout->addWidget(group(this, "Memory",
                            {{"Physical :", "physicalMemory", &i.physicalMemory},
                             {"Free :", "freeMemory", &i.freeMemory},
                             {"Paged :", "pagedMemory", &i.pagedMemory}},
                            gauge(this, "memoryGauge", i.memoryLoad)));
    layout->addWidget(group(this, "Power",
                            {{"Source :", "powerSource", &i.powerSource},
                             {"Charge :", "charge", &i.charge},
                             {"Remaining time estimation :", "remainingTime", &i.remainingTime}},
                            gauge(this, "chargeGauge", i.chargePercent)));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    connect(help, &QPushButton::clicked, this,
            [this] { openHelpPage("TOOSYS_1.0", helpLanguage_); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace sonarium
