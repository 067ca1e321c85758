// CHelpWindow: the help pages inside the program. One window per session, never modal: links
// between pages, Back and Forward, Contents, finding a text in the page or in every page of the
// language, and "Open in browser" for the page shown.
#pragma once

#include "base/reporter.h"

#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace sonarium {

class CHelpWindow final : public QWidget {
    Q_OBJECT

public:
    // reporter: where "Open in browser" says that nothing could show the page.
    explicit CHelpWindow(Reporter& reporter, QWidget* parent = nullptr);

    // Shows the page (a help file's path, possibly with "#anchor") and brings the window to the
    // front. Called from a modal dialog's Help button, the window is usable beside the dialog.
    void showPage(const QString& path);

    QTextBrowser* browser() const { return browser_; }
    // The file shown, without its anchor.
    QString currentFile() const;

    // Selects the next occurrence of the text in the page (from the top again once past the last
    // one); false when the page does not hold it.
    bool findInPage(const QString& text, bool backwards = false);
    // The help files of the shown page's folder and language whose text holds the text, in name
    // order; they are listed in the results list, each under its page title.
    QStringList findInAllPages(const QString& text);

private:
    void updateButtons();
    void openResult(int row);

    Reporter& reporter_;
    QTextBrowser* browser_;
    QLineEdit* search_;
    QListWidget* results_;
    QToolButton* back_;
    QToolButton* forward_;
    QStringList resultFiles_;
};

} // namespace sonarium
