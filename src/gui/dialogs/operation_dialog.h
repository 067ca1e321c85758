// COperationDialog: the modal dialog of any declared operation, laid out from its declaration:
// fields with labels and units, progress bar, animation, OK / Cancel / Help. OK checks every
// field's range, runs the job with the progress bar moving, and closes. While the job runs only
// Cancel answers: it (or Esc, or closing the window) stops the job, and the dialog then closes
// as cancelled. A progress-only dialog holds an icon and its progress bar, and runs its job by
// itself when it is first painted.
#pragma once

#include "operations/operation.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QDialogButtonBox;
class QProgressBar;

namespace sonarium {

class BarProgress;

// What a dialog needs from the main window to run its job.
struct OperationServices {
    Reporter& reporter;
    const WaveContext& wave; // opens finished results as documents
    std::function<std::string()> nextTempPath;
    JobInput input; // the Source (and Aux) paths, the selection
    std::string helpLanguage = "English";
    int sourceChannels = 0; // of the Source file, as the working list has it (0: none)
    // Sets the selection of the active waveform window, when it shows the source (Select).
    std::function<void(const FrameSpan&)> setSelection;
    // Puts a result in the working list as the Source; may be empty (tests).
    std::function<void(const std::string&, int)> addToList;
    // Where the record of a job that writes no file (a report) goes: the output folder; empty:
    // such a job is not recorded. A result's record goes beside it.
    std::string recordDirectory;
};

class COperationDialog : public QDialog {
    Q_OBJECT

public:
    COperationDialog(const OperationDecl& operation, OperationServices services,
                     QWidget* parent = nullptr);

    const OperationDecl& operation() const { return operation_; }
    QProgressBar* progressBar() const { return progress_; }
    JobOutcome outcome() const { return outcome_; }
    // True while OK's job runs.
    bool jobRunning() const { return job_ != nullptr; }
    // True when the user stopped the job and it ended without a result.
    bool interrupted() const { return interrupted_; }
    // The text the last job reported (the operations that print instead of writing a file).
    const std::string& report() const { return report_; }
    // The widget of a dialog item ("item<N>"), or nullptr.
    QWidget* item(int number) const;

    // Reads every enabled field; on a range violation shows the message, puts the focus on the
    // field and returns false.
    bool readFields(Parameters& parameters);

public slots:
    void accept() override;
    // Closes the dialog; while the job runs, asks the job to stop instead.
    void reject() override;
    void openHelp();

protected:
    // For dialogs that lay themselves out (the File Information and File statistics boxes): no
    // field, no progress bar and no button is built; the subclass may set progress_.
    struct OwnLayout {};
    COperationDialog(const OperationDecl& operation, OperationServices services, QWidget* parent,
                     OwnLayout);

    // Behaviour a generic dialog cannot have is added by the named subclasses.
    virtual void prepareJob(Parameters&) {}
    // After OK's job (not stopped by the user): true closes the dialog with OK, false keeps it
    // open.
    virtual bool jobFinished() { return true; }
    // Runs the job on the dialog's input with these parameters, the progress bar moving and only
    // Cancel answering; sets outcome(), report() and interrupted().
    JobOutcome runJob(const Parameters& parameters) { return runJob(parameters, services_.input); }
    QDialogButtonBox* buttonBox() const { return buttons_; }
    // The edit of a field, or nullptr.
    QWidget* fieldEditor(std::string_view member) const;

    // The same on another input (a dialog that picks its file itself); the bar moves when there
    // is one.
    JobOutcome runJob(const Parameters& parameters, const JobInput& input);

    void paintEvent(QPaintEvent* event) override;

    // The value a numeric field's text stands for as it is being typed: 0 while it is not (yet)
    // a number in range. Typing gets no range message; OK still checks every field.
    double typedValue(std::string_view member) const;
    bool isChecked(int item) const;
    void setChecked(int item);
    // Unchecks these buttons; a radio button's exclusive group would keep it checked otherwise.
    void clearButtons(std::initializer_list<int> items);

    const OperationDecl& operation_;
    OperationServices services_;
    QProgressBar* progress_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;

private:
    void buildFields();
    // Takes a text field's value; false (message shown) when it is longer than the field takes.
    bool acceptText(const FieldSpec& field, const std::string& text, Parameters& parameters);
    QWidget* fieldWidget(const FieldSpec& field) const;
    // Everything but Cancel is disabled while the job runs.
    void lockWhileRunning(bool running);

    std::map<const FieldSpec*, QWidget*> editors_;
    std::map<const FieldSpec*, QButtonGroup*> groups_;
    JobOutcome outcome_ = JobOutcome::EndedWithMessage;
    BarProgress* job_ = nullptr;      // the running job's progress
    QList<QPointer<QWidget>> locked_; // what lockWhileRunning disabled
    bool interrupted_ = false;
    bool started_ = false; // a progress-only dialog has started its job
    std::string report_;
};

} // namespace sonarium
