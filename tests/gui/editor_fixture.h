// The editor as a user starts it, for suites that drive the whole main window: a private audio
// root with its resources installed, a folder for the user's own files, the main frame shown and
// the workbench behind it reporting into a recorder.
#pragma once

#include "app/workbench.h"
#include "frame/control_bar.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"

#include <QLineEdit>
#include <QObject>
#include <QSettings>
#include <QtTest>
#include <filesystem>
#include <memory>

namespace sonarium::test {

class EditorFixture : public QObject {
protected:
    std::unique_ptr<TempAudioRoot> root;
    std::unique_ptr<TempDir> files;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<RecordingReporter> reporter;
    std::unique_ptr<Workbench> bench;

    // A new audio root and user folder, then the editor on them.
    void startFresh() {
        root = std::make_unique<TempAudioRoot>();
        files = std::make_unique<TempDir>();
        reporter = std::make_unique<RecordingReporter>();
        restartEditor();
    }

    // A new run of the editor on the same audio root (what a user's next start sees), with the
    // default preferences of that root but no renumbering of opened files and no beep.
    void restartEditor() {
        bench.reset();
        frame.reset();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root->path().string()));
        installMissingResources(shippedDataDir());
        Preferences preferences = Preferences::defaults();
        preferences.newNumberOnOpen = false;
        preferences.beep = false;
        frame = std::make_unique<CMainFrame>(CMainFrame::Options{});
        bench = std::make_unique<Workbench>(*frame, *reporter, preferences);
        frame->resize(1000, 700);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void stopEditor() {
        BinaryFile::limitCreatedFilesForTesting(-1);
        bench.reset();
        frame.reset();
        reporter.reset();
        files.reset();
        root.reset();
    }

    std::filesystem::path tempSounds() const { return root->path() / "tempsnds"; }
    QString activity() const { return frame->controlBar()->activityField()->text(); }
};

} // namespace sonarium::test
