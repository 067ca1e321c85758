// The dialogs of the selection edits: the position dialogs that open with the file's duration,
// Select, Fade's two boxes, the progress-only dialogs that start their job when first painted,
// and Selection Position.
#pragma once

#include "dialogs/operation_dialog.h"

#include <QString>

namespace sonarium {

// Extract, Remove and Mute: the end field opens with the Source file's duration ("%.3f"). Left
// as it opened, it stands for the end of the data exactly.
class CPositionDialog : public COperationDialog {
public:
    CPositionDialog(const OperationDecl& operation, OperationServices services, QWidget* parent);

protected:
    void prepareJob(Parameters& parameters) override;

private:
    QString duration_;
};

// Insert Silence, Insert Clipboard and Insert Auxiliary: the start field opens with the Source
// file's duration; left as it opened, it stands for the end of the data exactly. A job that ends
// with a message ("Nothing to insert", a result too long) keeps the dialog open.
class CInsertDialog : public COperationDialog {
public:
    CInsertDialog(const OperationDecl& operation, OperationServices services, QWidget* parent);

protected:
    void prepareJob(Parameters& parameters) override;
    bool jobFinished() override;

private:
    QString duration_;
};

// Select: sets the active window's selection; on "No data selected" it stays open.
class CSelectDialog : public CPositionDialog {
public:
    using CPositionDialog::CPositionDialog;

protected:
    bool jobFinished() override;
};

// Fade: "Fade &In" and "Fade &Out" can never both be cleared; they give the job its type.
class CFadeDialog : public COperationDialog {
public:
    CFadeDialog(const OperationDecl& operation, OperationServices services, QWidget* parent);

protected:
    void prepareJob(Parameters& parameters) override;
};

// Selection Position: the selection's start and end in seconds, read-only, with OK and Help.
class CSelectionPositionDialog : public COperationDialog {
public:
    CSelectionPositionDialog(const OperationDecl& operation, OperationServices services,
                             QWidget* parent);

public slots:
    void accept() override;
};

} // namespace sonarium
