// The Output Pathname and History dialogs.
#pragma once

#include "base/reporter.h"

#include <QDialog>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace sonarium {

// "Output Pathname": the output folder as typed, with a folder browser.
class COutputPathnameDialog final : public QDialog {
    Q_OBJECT

public:
    // reporter: where Help says that its page cannot be shown.
    COutputPathnameDialog(const QString& outputDir, Reporter& reporter, std::string helpLanguage,
                          QWidget* parent = nullptr);
    QString pathText() const;
    QLineEdit* pathEdit() const { return edit_; }

private:
    QLineEdit* edit_;
};

// "History 1.0": the working list's slots with their times and paths.
class CHistoryDialog final : public QDialog {
    Q_OBJECT

public:
    CHistoryDialog(const QString& text, Reporter& reporter, std::string helpLanguage,
                   QWidget* parent = nullptr);
    QPlainTextEdit* textEdit() const { return text_; }

private:
    QPlainTextEdit* text_;
};

} // namespace sonarium
