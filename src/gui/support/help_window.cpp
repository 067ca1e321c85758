// The help window: a text browser on the help files with its navigation and search row, and the
// list of pages found by "Find in all pages" under it.
#include "support/help_window.h"

#include "support/launcher.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace sonarium {

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, const QString& text,
                        QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(QString(text).remove(QLatin1Char('&')));
    if (icon != QStyle::SP_CustomBase)
        button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

// The language part of a help file's name ("_english.html"), which its sibling pages share.
QString languageSuffix(const QString& fileName) {
    const qsizetype underscore = fileName.lastIndexOf(QLatin1Char('_'));
    return underscore < 0 ? QString() : fileName.mid(underscore);
}

} // namespace

CHelpWindow::CHelpWindow(Reporter& reporter, QWidget* parent)
    : QWidget(parent, Qt::Window), reporter_(reporter) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("sonarium help"));

    back_ = toolButton(this, "helpBack", QStringLiteral("&Back"), QStyle::SP_ArrowBack);
    forward_ = toolButton(this, "helpForward", QStringLiteral("&Forward"), QStyle::SP_ArrowForward);
    auto* home =
        toolButton(this, "helpContents", QStringLiteral("&Contents"), QStyle::SP_DirHomeIcon);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("helpSearch"));
    search_->setPlaceholderText(QStringLiteral("Find in page"));
    search_->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(QStringLiteral("F&ind :"), this);
    searchLabel->setBuddy(search_);
    auto* findAll = toolButton(this, "helpFindAll", QStringLiteral("In &all pages"),
                               QStyle::SP_FileDialogContentsView);
    auto* external = toolButton(this, "helpOpenInBrowser", QStringLiteral("&Open in browser"),
                                QStyle::SP_DesktopIcon);

    auto* row = new QHBoxLayout;
    row->addWidget(back_);
    row->addWidget(forward_);
    row->addWidget(home);
    row->addSpacing(12);
    row->addWidget(searchLabel);
    row->addWidget(search_, 1);
    row->addWidget(findAll);
    row->addSpacing(12);
    row->addWidget(external);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    // Links to other pages follow inside the window; web addresses go to the desktop.
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);
    results_ = new QListWidget(this);
    results_->setObjectName(QStringLiteral("helpResults"));
    results_->hide();
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(browser_);
    splitter->addWidget(results_);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(row);
    layout->addWidget(splitter, 1);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, [this] {
        // The general page of the shown page's language, in its folder.
        const QFileInfo shown(currentFile());
        if (!shown.fileName().isEmpty())
            showPage(shown.dir().filePath(languageSuffix(shown.fileName())));
    });
    connect(browser_, &QTextBrowser::historyChanged, this, &CHelpWindow::updateButtons);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("sonarium help")
                                       : title + QStringLiteral(" - sonarium help"));
    });
    connect(search_, &QLineEdit::returnPressed, this, [this] { findInPage(search_->text()); });
    connect(search_, &QLineEdit::textEdited, this, [this](const QString& text) {
        // As the text is typed, the first occurrence from the top.
        QTextCursor top(browser_->document());
        browser_->setTextCursor(top);
        if (!text.isEmpty())
            findInPage(text);
    });
    connect(findAll, &QToolButton::clicked, this, [this] { findInAllPages(search_->text()); });
    connect(results_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { openResult(results_->row(item)); });
    connect(results_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { openResult(results_->row(item)); });
    connect(external, &QToolButton::clicked, this, [this] {
        openUrlOrSay(reporter_, browser_->source(), QStringLiteral("The help page"));
    });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        search_->setFocus(Qt::ShortcutFocusReason);
        search_->selectAll();
    });
    auto* nextShortcut = new QShortcut(QKeySequence::FindNext, this);
    connect(nextShortcut, &QShortcut::activated, this, [this] { findInPage(search_->text()); });
    auto* previousShortcut = new QShortcut(QKeySequence::FindPrevious, this);
    connect(previousShortcut, &QShortcut::activated, this,
            [this] { findInPage(search_->text(), true); });
    auto* closeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeShortcut, &QShortcut::activated, this, &QWidget::close);

    resize(760, 600);
    updateButtons();
}

void CHelpWindow::showPage(const QString& path) {
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(hash < 0 ? path : path.left(hash));
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    // The same page again keeps the history as it is; another one is a step in it.
    if (browser_->source() != url)
        browser_->setSource(url);
    if (!isVisible())
        show();
    if (isMinimized())
        showNormal();
    // A modal dialog blocks every window that is not its own: the help window asked for from it
    // becomes one of its windows until it closes.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this && windowHandle() != nullptr &&
        modal->windowHandle() != nullptr) {
        QWindow* dialog = modal->windowHandle();
        windowHandle()->setTransientParent(dialog);
        connect(dialog, &QWindow::visibleChanged, this, [this, dialog](bool visible) {
            if (visible || windowHandle() == nullptr)
                return;
            disconnect(dialog, &QWindow::visibleChanged, this, nullptr);
            QWidget* owner = parentWidget();
            windowHandle()->setTransientParent(owner != nullptr ? owner->window()->windowHandle()
                                                                : nullptr);
        });
    }
    raise();
    activateWindow();
}

QString CHelpWindow::currentFile() const {
    return browser_->source().toLocalFile();
}

bool CHelpWindow::findInPage(const QString& text, bool backwards) {
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(text, flags))
        return true;
    // Past the last one: round again from the other end.
    QTextCursor cursor(browser_->document());
    if (backwards)
        cursor.movePosition(QTextCursor::End);
    browser_->setTextCursor(cursor);
    return browser_->find(text, flags);
}

QStringList CHelpWindow::findInAllPages(const QString& text) {
    results_->clear();
    resultFiles_.clear();
    if (text.isEmpty() || currentFile().isEmpty()) {
        results_->hide();
        return {};
    }
    const QFileInfo shown(currentFile());
    const QString suffix = languageSuffix(shown.fileName());
    const QDir folder = shown.dir();
    for (const QString& name :
         folder.entryList({QStringLiteral("*") + suffix}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QTextDocument page;
        page.setHtml(QString::fromUtf8(file.readAll()));
        if (!page.toPlainText().contains(text, Qt::CaseInsensitive))
            continue;
        const QString title = page.metaInformation(QTextDocument::DocumentTitle);
        resultFiles_ << folder.filePath(name);
        results_->addItem(title.isEmpty() ? name : title);
    }
    if (resultFiles_.isEmpty())
        results_->addItem(QStringLiteral("No page holds \"%1\".").arg(text));
    results_->show();
    return resultFiles_;
}

void CHelpWindow::openResult(int row) {
    if (row < 0 || row >= resultFiles_.size())
        return;
    browser_->setSource(QUrl::fromLocalFile(resultFiles_.at(row)));
    QTextCursor top(browser_->document());
    browser_->setTextCursor(top);
    findInPage(search_->text());
}

void CHelpWindow::updateButtons() {
    back_->setEnabled(browser_->isBackwardAvailable());
    forward_->setEnabled(browser_->isForwardAvailable());
}

} // namespace sonarium
