// The Tool menu's dialogs that do more than their declaration lays out: the source rate shown by
// Sampling Rate Conversion, the File Information text, and File statistics with its own path,
// its delayed scan and its result fields.
#pragma once

#include "dialogs/operation_dialog.h"

#include <QString>
#include <array>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sonarium {

// Sampling Rate Conversion: the disabled source-rate field shows the Source's rate ("%d") when
// the dialog opens, and "None" stays selected in the disabled method list.
class CSamplingRateConversionDialog : public COperationDialog {
public:
    CSamplingRateConversionDialog(const OperationDecl& operation, OperationServices services,
                                  QWidget* parent);
};

// Split stereo channels: once both results are open, the left one is put in the working list
// once more, so that it is the Source and the right one the Aux.
class CSplitStereoDialog : public COperationDialog {
public:
    CSplitStereoDialog(const OperationDecl& operation, OperationServices services, QWidget* parent);
    void accept() override;

private:
    std::string left_; // the first name the job asked for
};

// File Information: one read-only text filling the dialog, built when it opens; OK and Help.
class CFileInformationDialog : public COperationDialog {
    Q_OBJECT

public:
    CFileInformationDialog(const OperationDecl& operation, OperationServices services,
                           QWidget* parent);
    QPlainTextEdit* textEdit() const { return text_; }
    void accept() override;

private:
    QPlainTextEdit* text_;
};

// File statistics: scans the path it keeps 100 ms after it opens, again on "&Scan", and 100 ms
// after another file is chosen with "Path :".
class CFileStatisticsDialog : public COperationDialog {
    Q_OBJECT

public:
    CFileStatisticsDialog(const OperationDecl& operation, OperationServices services,
                          QWidget* parent);

    void accept() override;
    // Scans the kept path now.
    void scan();
    // Keeps path and scans it after 100 ms when it passes the working list's wave check;
    // false (the check told why) otherwise.
    bool choosePath(const QString& path);
    QString path() const { return path_; }
    // The nine result fields, in the dialog's order.
    QLineEdit* field(std::size_t index) const { return fields_[index]; }

    static constexpr int kDelayMs = 100;

private:
    void browse();

    QString path_;
    QLineEdit* pathEdit_;
    std::array<QLineEdit*, 9> fields_{};
};

} // namespace sonarium
