// Building an operation's dialog from its declaration and running its job from OK.
#include "dialogs/operation_dialog.h"

#include "operations/recorded_job.h"
#include "support/bar_progress.h"
#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace sonarium {

namespace {

QString itemName(int number) {
    return QStringLiteral("item%1").arg(number);
}

} // namespace

COperationDialog::COperationDialog(const OperationDecl& operation, OperationServices services,
                                   QWidget* parent)
    : QDialog(parent), operation_(operation), services_(std::move(services)) {
    setObjectName(qs(operation.dialogClass));
    setWindowTitle(qs(operation.caption));
    setModal(true);
    buildFields();
}

COperationDialog::COperationDialog(const OperationDecl& operation, OperationServices services,
                                   QWidget* parent, OwnLayout)
    : QDialog(parent), operation_(operation), services_(std::move(services)) {
    setObjectName(qs(operation.dialogClass));
    setWindowTitle(qs(operation.caption));
    setModal(true);
}

void COperationDialog::buildFields() {
    auto* layout = new QVBoxLayout(this);
    auto* outer = new QFormLayout();
    layout->addLayout(outer);
    QGroupBox* fieldBox = nullptr; // the box the last boxed field went into
    for (const FieldSpec& field : operation_.fields) {
        if (field.commandLineOnly)
            continue;
        const QString name = itemName(field.item);
        // Consecutive fields naming the same box share it; a radio group has a box of its own.
        QFormLayout* form = outer;
        if (!field.group.empty() && field.type != FieldType::RadioGroup) {
            if (fieldBox == nullptr || fieldBox->title() != qs(field.group)) {
                fieldBox = new QGroupBox(qs(field.group), this);
                fieldBox->setLayout(new QFormLayout());
                outer->addRow(fieldBox);
            }
            form = qobject_cast<QFormLayout*>(fieldBox->layout());
        } else {
            fieldBox = nullptr;
        }
        if (field.type == FieldType::RadioGroup) {
            auto* box = new QGroupBox(qs(field.group), this);
            auto* boxLayout = new QVBoxLayout(box);
            auto* group = new QButtonGroup(box);
            group->setExclusive(true);
            for (const Choice& choice : field.choices) {
                auto* radio = new QRadioButton(qs(choice.label), box);
                radio->setObjectName(itemName(choice.item));
                radio->setProperty("choice", qs(choice.value));
                radio->setChecked(choice.value == field.defaultChoice);
                group->addButton(radio);
                boxLayout->addWidget(radio);
            }
            box->setEnabled(field.enabled);
            groups_[&field] = group;
            form->addRow(box);
            continue;
        }
        if (field.type == FieldType::CheckBox) {
            auto* check = new QCheckBox(qs(field.label), this);
            check->setObjectName(name);
            check->setChecked(field.defaultValue != 0);
            check->setEnabled(field.enabled);
            editors_[&field] = check;
            form->addRow(check);
            continue;
        }
        QWidget* editor = nullptr;
        if (field.hasChoices()) {
            auto* combo = new QComboBox(this);
            combo->setEditable(field.type == FieldType::EditableList);
            for (const Choice& choice : field.choices)
                combo->addItem(qs(choice.label), qs(choice.value));
            combo->setCurrentIndex(combo->findData(qs(field.defaultChoice)));
            editor = combo;
        } else {
            auto* edit =
                new QLineEdit(field.type == FieldType::Text
                                  ? qs(field.defaultChoice)
                                  : QString::fromStdString(formatBound(field.defaultValue)),
                              this);
            editor = edit;
        }
        editor->setObjectName(name);
        editor->setEnabled(field.enabled);
        editors_[&field] = editor;
        auto* label = new QLabel(qs(field.label), this);
        label->setBuddy(editor);
        auto* row = new QHBoxLayout();
        row->addWidget(editor);
        if (!field.unit.empty())
            row->addWidget(new QLabel(qs(field.unit), this));
        form->addRow(label, row);
    }

    if (operation_.animation) {
        auto* animation = new QLabel(this);
        animation->setObjectName(QStringLiteral("item1183"));
        auto* movie = new QMovie(QString::fromStdString(resourceFile("atwork.rc2").string()), "gif",
                                 animation);
        animation->setMovie(movie);
        movie->start();
        layout->addWidget(animation, 0, Qt::AlignHCenter);
    }
    if (operation_.progressOnly) {
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
        layout->addWidget(icon, 0, Qt::AlignHCenter);
    }
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("item1161"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    layout->addWidget(progress_);

    // A progress-only dialog has nothing to confirm: no buttons (Esc still stops its job).
    buttons_ = new QDialogButtonBox(this);
    if (!operation_.progressOnly)
        buttons_->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (!operation_.progressOnly && operation_.helpItem != 0) {
        QPushButton* help =
            buttons_->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
        help->setObjectName(itemName(operation_.helpItem));
        connect(help, &QPushButton::clicked, this, &COperationDialog::openHelp);
    }
    connect(buttons_, &QDialogButtonBox::accepted, this, &COperationDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &COperationDialog::reject);
    buttons_->setVisible(!operation_.progressOnly);
    layout->addWidget(buttons_);
}

void COperationDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!operation_.progressOnly || started_)
        return;
    // The job starts once the dialog has been drawn, from the event loop rather than from
    // inside the paint.
    started_ = true;
    QTimer::singleShot(0, this, &COperationDialog::accept);
}

QWidget* COperationDialog::item(int number) const {
    return findChild<QWidget*>(itemName(number));
}

double COperationDialog::typedValue(std::string_view member) const {
    const FieldSpec* field = operation_.field(member);
    const auto editor = editors_.find(field);
    auto* edit = editor == editors_.end() ? nullptr : qobject_cast<QLineEdit*>(editor->second);
    double value = 0;
    if (edit == nullptr || parseFieldValue(*field, edit->text().toStdString(), value))
        return 0;
    return value;
}

bool COperationDialog::isChecked(int number) const {
    auto* button = qobject_cast<QAbstractButton*>(item(number));
    return button != nullptr && button->isChecked();
}

void COperationDialog::setChecked(int number) {
    if (auto* button = qobject_cast<QAbstractButton*>(item(number)))
        button->setChecked(true);
}

void COperationDialog::clearButtons(std::initializer_list<int> numbers) {
    for (int number : numbers) {
        auto* button = qobject_cast<QAbstractButton*>(item(number));
        if (button == nullptr || !button->isChecked())
            continue;
        QButtonGroup* group = button->group();
        if (group != nullptr)
            group->setExclusive(false);
        button->setChecked(false);
        if (group != nullptr)
            group->setExclusive(true);
    }
}

bool COperationDialog::acceptText(const FieldSpec& field, const std::string& text,
                                  Parameters& parameters) {
    if (auto message = lengthMessage(field, text)) {
        services_.reporter.report(*message, MessageIcon::Warning);
        return false;
    }
    parameters.setText(field.member, text);
    return true;
}

bool COperationDialog::readFields(Parameters& parameters) {
    parameters = operation_.defaults();
    for (const FieldSpec& field : operation_.fields) {
        if (!field.enabled || field.member.empty() || field.commandLineOnly)
            continue; // a command-line option only keeps its default here
        if (auto group = groups_.find(&field); group != groups_.end()) {
            if (QAbstractButton* checked = group->second->checkedButton())
                parameters.setText(field.member,
                                   checked->property("choice").toString().toStdString());
            continue;
        }
        QWidget* editor = editors_.at(&field);
        if (auto* check = qobject_cast<QCheckBox*>(editor)) {
            parameters.setNumber(field.member, check->isChecked() ? 1 : 0);
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            const QVariant word = combo->currentData();
            const bool typed = combo->isEditable() &&
                               combo->currentText() != combo->itemText(combo->currentIndex());
            const QString text = typed || !word.isValid() ? combo->currentText() : word.toString();
            if (!acceptText(field, text.toStdString(), parameters)) {
                combo->setFocus();
                return false;
            }
        } else if (auto* text = qobject_cast<QLineEdit*>(editor); text && field.isTextual()) {
            if (!acceptText(field, text->text().toStdString(), parameters)) {
                text->setFocus();
                text->selectAll();
                return false;
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            double value = 0;
            if (auto message = parseFieldValue(field, edit->text().toStdString(), value)) {
                services_.reporter.report(*message, MessageIcon::Warning);
                edit->setFocus();
                edit->selectAll();
                return false;
            }
            parameters.setNumber(field.member, value);
        }
    }
    return true;
}

QWidget* COperationDialog::fieldEditor(std::string_view member) const {
    const auto editor = editors_.find(operation_.field(member));
    return editor == editors_.end() ? nullptr : editor->second;
}

void COperationDialog::accept() {
    if (job_ != nullptr)
        return; // OK again while the job runs: the job is already under way
    Parameters parameters(operation_);
    if (!readFields(parameters))
        return; // the dialog stays open on the offending field
    prepareJob(parameters);
    runJob(parameters);
    // A job the user stopped closes the dialog as cancelled. A stereo warning the user declined
    // also ends as Cancelled, but the dialog then closes with OK as always.
    if (interrupted_)
        QDialog::reject();
    else if (jobFinished())
        QDialog::accept();
}

JobOutcome COperationDialog::runJob(const Parameters& parameters, const JobInput& input) {
    QProgressBar unseen; // for a dialog without a bar of its own
    BarProgress progress(progress_ != nullptr ? progress_ : &unseen);
    JobContext context{.wave = services_.wave,
                       .progress = progress,
                       .input = input,
                       .destination = services_.nextTempPath,
                       .result = ResultFile::Open};
    job_ = &progress;
    interrupted_ = false;
    lockWhileRunning(true);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        lockWhileRunning(false);
        job_ = nullptr;
    });
    // An error escaping the job is told and its result dropped; the session goes on.
    outcome_ = runRecordedJob(operation_, context, parameters,
                              {.record = true, .reportDirectory = services_.recordDirectory});
    report_ = context.report;
    interrupted_ = outcome_ == JobOutcome::Cancelled && progress.cancelRequested();
    return outcome_;
}

void COperationDialog::reject() {
    if (job_ != nullptr) {
        job_->requestCancel();
        return; // the dialog closes once the job has stopped
    }
    QDialog::reject();
}

void COperationDialog::lockWhileRunning(bool running) {
    if (!running) {
        for (const QPointer<QWidget>& widget : locked_)
            if (widget)
                widget->setEnabled(true);
        locked_.clear();
        return;
    }
    // Only what is enabled now is disabled, and later enabled again: fields the declaration
    // disables stay disabled. The progress bar and the animation keep moving.
    QList<QWidget*> candidates = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    candidates.removeAll(buttons_);
    candidates.removeAll(progress_);
    candidates.removeAll(item(1183));
    if (buttons_ != nullptr)
        for (QAbstractButton* button : buttons_->buttons())
            if (buttons_->buttonRole(button) != QDialogButtonBox::RejectRole)
                candidates.append(button);
    for (QWidget* widget : candidates) {
        if (!widget->isEnabled())
            continue;
        widget->setEnabled(false);
        locked_.append(widget);
    }
}

void COperationDialog::openHelp() {
    openHelpPage(services_.reporter, std::string(operation_.helpCode), services_.helpLanguage);
}

} // namespace sonarium
