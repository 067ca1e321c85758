// Layout and buttons of the About, Release Information and Contact dialogs. The facts they show
// come from the build (compile definitions set by CMake), so two builds of the same sources say
// the same.
#include "dialogs/about_dialogs.h"

#include "workspace/audio_root.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#ifndef SONARIUM_VERSION
#define SONARIUM_VERSION "unknown"
#endif
#ifndef SONARIUM_SOURCE_DATE
#define SONARIUM_SOURCE_DATE "unknown"
#endif
#ifndef SONARIUM_BUILD_TYPE
#define SONARIUM_BUILD_TYPE "unknown"
#endif
#ifndef SONARIUM_SYSTEM
#define SONARIUM_SYSTEM "unknown"
#endif

namespace sonarium {

namespace {

QString compilerText() {
#if defined(__clang__)
    return QStringLiteral("clang " __clang_version__);
#elif defined(__GNUC__)
    return QStringLiteral("GCC " __VERSION__);
#else
    return QStringLiteral("unknown compiler");
#endif
}

QFormLayout* factsForm(const std::initializer_list<std::pair<const char*, QString>>& rows,
                       QWidget* parent) {
    auto* form = new QFormLayout;
    int index = 0;
    for (const auto& [label, value] : rows) {
        auto* text = new QLabel(value, parent);
        text->setObjectName(QStringLiteral("fact%1").arg(index++));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromLatin1(label), text);
    }
    return form;
}

QPushButton* itemButton(const QString& text, int item, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QStringLiteral("item%1").arg(item));
    return button;
}

} // namespace

const BuildFacts& buildFacts() {
    static const BuildFacts facts{
        QStringLiteral(SONARIUM_VERSION),
        QStringLiteral(SONARIUM_SOURCE_DATE),
        QStringLiteral(SONARIUM_SYSTEM ", Qt " QT_VERSION_STR),
        compilerText(),
        QStringLiteral(SONARIUM_BUILD_TYPE),
    };
    return facts;
}

CAboutDialog::CAboutDialog(std::function<void()> visitSite, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutDialog"));
    setWindowTitle(QStringLiteral("About sonarium"));
    const BuildFacts& facts = buildFacts();
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIcon"));
    const QIcon programIcon = QApplication::windowIcon().isNull()
                                  ? style()->standardIcon(QStyle::SP_MediaVolume)
                                  : QApplication::windowIcon();
    icon->setPixmap(programIcon.pixmap(48, 48));
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(factsForm({{"Program:", QStringLiteral("sonarium, a wave file workbench")},
                              {"Platform:", facts.platform},
                              {"Version:", facts.version},
                              {"Release:", facts.buildType},
                              {"Date:", facts.date}},
                             this),
                   1);
    auto* animation = new QLabel(this);
    animation->setObjectName(QStringLiteral("item1185"));
    auto* movie =
        new QMovie(QString::fromStdString(resourceFile("atwork.rc2").string()), "gif", animation);
    animation->setMovie(movie);
    movie->start();
    top->addWidget(animation, 0, Qt::AlignTop);
    layout->addLayout(top);

    auto* buttons = new QHBoxLayout;
    auto* visit = itemButton(QStringLiteral("&Visit the site"), 1143, this);
    auto* release = itemButton(QStringLiteral("&Release Info"), 1141, this);
    auto* contact = itemButton(QStringLiteral("&Contact"), 1142, this);
    auto* ok = itemButton(QStringLiteral("OK"), 1, this);
    ok->setDefault(true);
    connect(visit, &QPushButton::clicked, this, [visitSite = std::move(visitSite)] {
        if (visitSite)
            visitSite();
    });
    connect(release, &QPushButton::clicked, this, [this] { done(ReleaseInfo); });
    connect(contact, &QPushButton::clicked, this, [this] { done(Contact); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    for (QPushButton* button : {visit, release, contact, ok})
        buttons->addWidget(button);
    layout->addLayout(buttons);
}

CReleaseInfoDialog::CReleaseInfoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CReleaseInfoDialog"));
    setWindowTitle(QStringLiteral("Release Information"));
    const BuildFacts& facts = buildFacts();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(factsForm({{"Release number:", facts.version},
                                 {"Language:", QStringLiteral("C++20")},
                                 {"Compiler optimization:", facts.buildType},
                                 {"Build name:", facts.compiler},
                                 {"Custom build:", QStringLiteral("No")}},
                                this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

CContactDialog::CContactDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CContactDialog"));
    setWindowTitle(QStringLiteral("Contact"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("Questions, reports of faults and ideas are welcome on "
                                           "the program's site:\n%1")
                                .arg(QString::fromLatin1(kWebSite)),
                            this);
    text->setObjectName(QStringLiteral("contactText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace sonarium
