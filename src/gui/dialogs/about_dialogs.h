// The About box, and the Release Information and Contact dialogs it leads to.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

namespace sonarium {

// The program's web site, opened by "&Visit the site" and the Help menu.
inline constexpr const char* kWebSite = "https://sonarium.org/";

// What the About and Release Information dialogs show, fixed when the program was built.
struct BuildFacts {
    QString version;   // "0.1.0"
    QString date;      // the date of the sources built ("2024-05-30"), never the clock's
    QString platform;  // the system and toolkit built for
    QString compiler;  // the compiler and its version
    QString buildType; // "RelWithDebInfo"...
};
const BuildFacts& buildFacts();

// "About sonarium". "&Visit the site" runs visitSite and leaves the box open; "&Release Info"
// and "&Contact" close it with their result, after which the caller shows that dialog.
class CAboutDialog final : public QDialog {
    Q_OBJECT

public:
    enum Result { ReleaseInfo = 2, Contact = 3 };

    explicit CAboutDialog(std::function<void()> visitSite, QWidget* parent = nullptr);
};

// "Release Information": release number, language, compiler optimisation, build name, custom
// build; OK.
class CReleaseInfoDialog final : public QDialog {
    Q_OBJECT

public:
    explicit CReleaseInfoDialog(QWidget* parent = nullptr);
};

// "Contact": a fixed text and OK.
class CContactDialog final : public QDialog {
    Q_OBJECT

public:
    explicit CContactDialog(QWidget* parent = nullptr);
};

} // namespace sonarium
