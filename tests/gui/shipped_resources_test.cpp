// The shipped animation plays in Qt, and core messages come out as the right message boxes.
#include "app/message_box_reporter.h"
#include "test_support.h"

#include <QApplication>
#include <QMessageBox>
#include <QMovie>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using sonarium::Answer;
using sonarium::MessageButtons;
using sonarium::MessageIcon;

class ShippedResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void animationDecodesEveryFrame() {
        const QString path = QString::fromStdString(
            (sonarium::test::shippedDataDir() / "res" / "atwork.rc2").string());
        QMovie movie(path, "gif");
        QVERIFY(movie.isValid());
        QCOMPARE(movie.frameCount(), 12);
        for (int i = 0; i < movie.frameCount(); ++i) {
            QVERIFY(movie.jumpToFrame(i));
            QCOMPARE(movie.currentImage().size(), QSize(48, 24));
        }
        QCOMPARE(movie.nextFrameDelay(), 80);
    }

    void reporterShowsIconTextAndButtons_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("expectedIcon");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("expectedAnswer");
        QTest::newRow("error ok") << int(MessageIcon::Error) << int(MessageButtons::Ok)
                                  << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                                  << int(Answer::Ok);
        QTest::newRow("warning cancel")
            << int(MessageIcon::Warning) << int(MessageButtons::OkCancel)
            << int(QMessageBox::Warning) << int(QMessageBox::Cancel) << int(Answer::Cancel);
        QTest::newRow("none yes") << int(MessageIcon::None) << int(MessageButtons::YesNo)
                                  << int(QMessageBox::NoIcon) << int(QMessageBox::Yes)
                                  << int(Answer::Yes);
        QTest::newRow("information no")
            << int(MessageIcon::Information) << int(MessageButtons::YesNoCancel)
            << int(QMessageBox::Information) << int(QMessageBox::No) << int(Answer::No);
    }

    void reporterShowsIconTextAndButtons() {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, expectedIcon);
        QFETCH(int, press);
        QFETCH(int, expectedAnswer);
        sonarium::MessageBoxReporter reporter;
        QString seenText;
        int seenIcon = -1;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            seenText = box->text();
            seenIcon = box->icon();
            box->button(static_cast<QMessageBox::StandardButton>(press))->click();
        });
        Answer answer =
            reporter.report("File x.wav\ncannot be read as Wave Audio",
                            static_cast<MessageIcon>(icon), static_cast<MessageButtons>(buttons));
        QCOMPARE(seenText, QStringLiteral("File x.wav\ncannot be read as Wave Audio"));
        QCOMPARE(seenIcon, expectedIcon);
        QCOMPARE(int(answer), expectedAnswer);
    }
};

QTEST_MAIN(ShippedResourcesTest)
#include "shipped_resources_test.moc"
