// The dialogs of the selection edits and insertions: the position dialogs whose field opens with
// the file's duration (Extract, Remove, Mute, Select, the inserts), Fade's two boxes and
// Selection Position.
#pragma once

#include "dialogs/operation_dialog.h"

#include <QString>
#include <string>
#include <string_view>

namespace sonarium {

// Extract, Remove and Mute: the end field opens with the Source file's duration ("%.3f"). Left
// as it opened, it stands for the end of the data exactly.
class CPositionDialog : public COperationDialog {
public:
    CPositionDialog(const OperationDecl& operation, OperationServices services, QWidget* parent)
        : CPositionDialog(operation, std::move(services), parent, "end") {}

protected:
    // The field of `member` opens with the Source file's duration and, left so, stands for the
    // end of the data exactly.
    CPositionDialog(const OperationDecl& operation, OperationServices services, QWidget* parent,
                    std::string_view member);
    void prepareJob(Parameters& parameters) override;

private:
    std::string member_;
    QString duration_;
};

// Insert Silence, Insert Clipboard and Insert Auxiliary: the start field opens with the Source
// file's duration; left as it opened, it stands for the end of the data exactly. A job that ends
// with a message ("Nothing to insert", a result too long) keeps the dialog open.
class CInsertDialog : public CPositionDialog {
public:
    CInsertDialog(const OperationDecl& operation, OperationServices services, QWidget* parent)
        : CPositionDialog(operation, std::move(services), parent, "start") {}

protected:
    bool jobFinished() override;
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
