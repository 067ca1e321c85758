// The Preferences dialog: its controls, the copies between controls and settings, and its
// buttons.
#include "dialogs/preferences_dialog.h"

#include "support/launcher.h"
#include "support/qt_text.h"
#include "wavefile/wave_check.h"
#include "workspace/audio_root.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sonarium {

namespace {

constexpr int kOutputDirItem = 1002;
constexpr int kBeepPathItem = 1003;
constexpr int kBrowseFolderItem = 1179;
constexpr int kBrowseBeepItem = 1178;
constexpr int kLanguageItem = 1263;
constexpr int kMp3Item = 1270;
constexpr int kCustomColourItem = 1299;
constexpr int kSelectColourItem = 1301;
constexpr int kAnimationItem = 1183;
// The entry Default looks for in the MP3 list, which holds only constant rates.
constexpr const char* kDefaultMp3Entry = "VBR 192k/s";

QString itemName(int number) {
    return QStringLiteral("item%1").arg(number);
}

QColor fromColourRef(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

std::uint32_t toColourRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

} // namespace

int savedComputeThreads() {
    const QSettings settings(QStringLiteral("sonarium"), QStringLiteral("sonarium"));
    const int threads = settings.value(QStringLiteral("Jobs/threads"), 0).toInt();
    return threads >= 0 && threads <= kMaxComputeThreads ? threads : 0;
}

void saveComputeThreads(int threads) {
    QSettings settings(QStringLiteral("sonarium"), QStringLiteral("sonarium"));
    settings.setValue(QStringLiteral("Jobs/threads"), threads);
}

CPreferencesDialog::CPreferencesDialog(Preferences& settings, std::string path, Reporter& reporter,
                                       QWidget* parent)
    : QDialog(parent), settings_(settings), path_(std::move(path)), reporter_(reporter) {
    setObjectName(QStringLiteral("CPreferencesDialog"));
    setWindowTitle(QStringLiteral("Preferences 1.6"));
    pickFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    };
    pickFile = [this](const QString& title, const QString& start) {
        QFileDialog dialog(this, title, start,
                           QStringLiteral("Wave files (*.wav);;All files (*.*)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("wav"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    pickColour = [this](const QColor& start) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(start, this);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };

    auto* layout = new QVBoxLayout(this);
    auto* paths = new QGridLayout;
    auto addPath = [&](int row, const char* label, int editItem, int browseItem) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(itemName(editItem));
        edit->setMinimumWidth(340);
        auto* browse = new QPushButton(QStringLiteral("Browse"), this);
        browse->setObjectName(itemName(browseItem));
        paths->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        paths->addWidget(edit, row, 1);
        paths->addWidget(browse, row, 2);
        return std::pair{edit, browse};
    };
    auto [outputEdit, browseFolderButton] =
        addPath(0, "Default path :", kOutputDirItem, kBrowseFolderItem);
    auto [beepEdit, browseBeepButton] = addPath(1, "Beep path :", kBeepPathItem, kBrowseBeepItem);
    outputDir_ = outputEdit;
    beepPath_ = beepEdit;
    connect(browseFolderButton, &QPushButton::clicked, this, &CPreferencesDialog::browseFolder);
    connect(browseBeepButton, &QPushButton::clicked, this, &CPreferencesDialog::browseBeep);
    layout->addLayout(paths);

    auto* middle = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    for (const PreferenceCheckBox& entry : preferenceCheckBoxes()) {
        auto* box = new QCheckBox(qs(entry.label), this);
        box->setObjectName(itemName(entry.item));
        box->setEnabled(entry.enabled);
        boxes->addWidget(box);
    }
    middle->addLayout(boxes, 1);
    auto* side = new QVBoxLayout;
    auto* animation = new QLabel(this);
    animation->setObjectName(itemName(kAnimationItem));
    auto* movie = new QMovie(qs(resourceFile("atwork.rc2").string()), "gif", animation);
    animation->setMovie(movie);
    movie->start();
    side->addWidget(animation, 0, Qt::AlignHCenter);
    auto* lists = new QFormLayout;
    language_ = new QComboBox(this);
    language_->setObjectName(itemName(kLanguageItem));
    language_->addItems({QStringLiteral("English"), QStringLiteral("Francais")});
    lists->addRow(QStringLiteral("Help language :"), language_);
    mp3_ = new QComboBox(this);
    mp3_->setObjectName(itemName(kMp3Item));
    for (const char* entry : mp3ListEntries())
        mp3_->addItem(QString::fromLatin1(entry));
    lists->addRow(QStringLiteral("mp3 export format :"), mp3_);
    threads_ = new QSpinBox(this);
    threads_->setObjectName(QStringLiteral("computeThreads"));
    threads_->setRange(0, kMaxComputeThreads);
    threads_->setSpecialValueText(QStringLiteral("every core"));
    threads_->setToolTip(QStringLiteral("The threads that compute an operation's values"));
    lists->addRow(QStringLiteral("Compute threads :"), threads_);
    side->addLayout(lists);
    select_ = new QPushButton(QStringLiteral("Select..."), this);
    select_->setObjectName(itemName(kSelectColourItem));
    side->addWidget(select_, 0, Qt::AlignLeft);
    side->addStretch(1);
    middle->addLayout(side);
    layout->addLayout(middle);
    auto* custom = qobject_cast<QCheckBox*>(item(kCustomColourItem));
    connect(custom, &QCheckBox::clicked, this, &CPreferencesDialog::customColourClicked);
    connect(select_, &QPushButton::clicked, this, &CPreferencesDialog::selectColour);

    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, const char*> names[] = {
        {"apply", "Apply"},     {"save", "Save"},     {"reload", "Reload"},
        {"default", "Default"}, {"cancel", "Cancel"}, {"help", "Help"}};
    for (auto [name, text] : names) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    button("apply")->setDefault(true);
    connect(button("apply"), &QPushButton::clicked, this, &CPreferencesDialog::OnApply);
    connect(button("save"), &QPushButton::clicked, this, &CPreferencesDialog::OnSave);
    connect(button("reload"), &QPushButton::clicked, this, &CPreferencesDialog::OnReload);
    connect(button("default"), &QPushButton::clicked, this, &CPreferencesDialog::OnDefault);
    connect(button("cancel"), &QPushButton::clicked, this, &QDialog::reject);
    connect(button("help"), &QPushButton::clicked, this,
            [this] { openHelpPage(reporter_, "TOOPRE_1.6", settings_.helpLanguage); });
    layout->addLayout(buttons);

    select_->setEnabled(settings_.customDialogColour);
    copySettingsToControls();
}

QWidget* CPreferencesDialog::item(int number) const {
    return findChild<QWidget*>(itemName(number));
}

QPushButton* CPreferencesDialog::button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void CPreferencesDialog::copySettingsToControls() {
    outputDir_->setText(qs(settings_.outputDir));
    beepPath_->setText(qs(settings_.beepPath));
    for (const PreferenceCheckBox& entry : preferenceCheckBoxes())
        if (entry.setting != nullptr)
            qobject_cast<QCheckBox*>(item(entry.item))->setChecked(settings_.*entry.setting);
    language_->setCurrentIndex(language_->findText(qs(settings_.helpLanguage)));
    mp3_->setCurrentIndex(mp3_->findText(qs(entryFromMp3Option(settings_.mp3Option))));
    threads_->setValue(settings_.computeThreads);
}

Preferences CPreferencesDialog::settingsFromControls() const {
    Preferences p = settings_;
    p.outputDir = outputDir_->text().toStdString();
    p.beepPath = beepPath_->text().toStdString();
    for (const PreferenceCheckBox& entry : preferenceCheckBoxes())
        if (entry.setting != nullptr)
            p.*entry.setting = qobject_cast<QCheckBox*>(item(entry.item))->isChecked();
    p.helpLanguage = language_->currentText().toStdString();
    p.mp3Option = mp3OptionFromEntry(mp3_->currentText().toStdString());
    p.computeThreads = threads_->value();
    return p;
}

bool CPreferencesDialog::acceptable(const Preferences& candidate) {
    if (auto problem = preferencesProblem(candidate)) {
        reporter_.report(*problem, MessageIcon::Warning);
        return false;
    }
    return true;
}

void CPreferencesDialog::changed() {
    if (settingsChanged)
        settingsChanged();
}

void CPreferencesDialog::OnApply() {
    const Preferences candidate = settingsFromControls();
    if (!acceptable(candidate))
        return;
    settings_ = candidate;
    changed();
    accept();
}

void CPreferencesDialog::OnSave() {
    const Preferences candidate = settingsFromControls();
    if (!acceptable(candidate))
        return;
    settings_ = candidate;
    changed();
    saveComputeThreads(settings_.computeThreads);
    std::string error;
    if (!SavePreferences(path_, settings_, error))
        reporter_.report("The preferences could not be saved to\n" + path_ + "\n" + error +
                             "\nThe file keeps its previous settings.",
                         MessageIcon::Error);
}

void CPreferencesDialog::OnReload() {
    LoadPreferences(reporter_, path_, settings_);
    settings_.computeThreads = savedComputeThreads();
    changed();
    copySettingsToControls();
}

void CPreferencesDialog::OnDefault() {
    const Preferences defaults = Preferences::defaults();
    outputDir_->setText(qs(defaults.outputDir));
    beepPath_->setText(qs(defaults.beepPath));
    for (const PreferenceCheckBox& entry : preferenceCheckBoxes())
        if (entry.setting != nullptr)
            qobject_cast<QCheckBox*>(item(entry.item))->setChecked(defaults.*entry.setting);
    language_->setCurrentIndex(language_->findText(QStringLiteral("English")));
    // The list holds no such entry, so no rate is chosen.
    mp3_->setCurrentIndex(mp3_->findText(QString::fromLatin1(kDefaultMp3Entry)));
    threads_->setValue(defaults.computeThreads);
}

void CPreferencesDialog::browseFolder() {
    const QString folder =
        pickFolder(QStringLiteral("Select a folder for your temporary files."), outputDir_->text());
    if (!folder.isEmpty())
        outputDir_->setText(qs(withTrailingSeparator(folder.toStdString())));
}

void CPreferencesDialog::browseBeep() {
    const QString file = pickFile(QStringLiteral("Select beep pathname"), beepPath_->text());
    if (!file.isEmpty() && IsWaveFileUsable(reporter_, file.toStdString()))
        beepPath_->setText(file);
}

void CPreferencesDialog::customColourClicked(bool checked) {
    select_->setEnabled(checked);
    if (!checked)
        return;
    reporter_.report("This option will only apply if you save and restart the application",
                     MessageIcon::Information);
    selectColour();
}

void CPreferencesDialog::selectColour() {
    const auto colour = pickColour(fromColourRef(settings_.backgroundColour));
    if (!colour)
        return;
    chooseDialogColours(settings_, toColourRef(*colour));
    changed();
}

} // namespace sonarium
