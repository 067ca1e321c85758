// The File menu's imports and exports in the editor: dialog titles and names, results and their
// windows, the MP3 batch and what is started to run it.
#include "app/workbench.h"
#include "dialogs/exchange_dialogs.h"
#include "editor_fixture.h"
#include "operations/exchange/mp3_batch.h"
#include "run_operation.h"
#include "sound_files.h"
#include "support/launcher.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <sndfile.h>

using namespace sonarium;
namespace fs = std::filesystem;

class HelpUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class ExchangeCommandsTest : public test::EditorFixture {
    Q_OBJECT

    struct Started {
        QString program;
        QStringList arguments;
    };
    QList<Started> started;
    QStringList titles; // of the file dialogs, in order
    HelpUrls help;
    std::unique_ptr<test::TempDir> tools;
    QByteArray previousPath;

    ExchangeCommands& exchange() { return bench->exchange(); }
    int windows() const { return int(frame->mdiArea()->subWindowList().size()); }
    void answerOpen(const QStringList& paths) {
        exchange().chooseFilesToOpen = [this, paths](const QString& title) {
            titles << title;
            return paths;
        };
    }
    void answerSave(const std::string& path, QString* suggested = nullptr) {
        exchange().chooseSaveName = [this, path, suggested](const QString& title,
                                                            const QString& proposal) {
            titles << title;
            if (suggested != nullptr)
                *suggested = proposal;
            return QString::fromStdString(path);
        };
    }
    std::string eightBitFile(const std::string& name, const test::Bytes& samples, int channels) {
        test::Bytes body;
        test::appendText(body, "WAVE");
        test::appendChunk(body, "fmt ", test::formatChunkPayload(channels, 11025, 8));
        test::appendChunk(body, "data", samples);
        test::Bytes file;
        test::appendText(file, "RIFF");
        test::appendLe32(file, std::uint32_t(body.size()));
        file.insert(file.end(), body.begin(), body.end());
        const std::string path = files->file(name);
        test::writeBytes(path, file);
        return path;
    }
    QString said() const {
        QStringList texts;
        for (const std::string& text : reporter->texts())
            texts << QString::fromStdString(text);
        return texts.join(QStringLiteral(" | "));
    }
    // The batch the last start was given.
    std::string batchText() const {
        const test::Bytes bytes = test::readBytes(started.last().arguments.value(1).toStdString());
        return std::string(bytes.begin(), bytes.end());
    }
    // The batches left in the resources folder.
    int batchesLeft() const {
        int left = 0;
        for (const auto& entry : fs::directory_iterator(locationPath(Location::Resources)))
            left += entry.path().extension() == ".sh" ? 1 : 0;
        return left;
    }

private slots:
    void initTestCase() {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &help, "open");
        setProgramStarter([this](const QString& program, const QStringList& arguments) {
            started << Started{program, arguments};
            return true;
        });
        // A stand-in encoder first on PATH: the editor only looks for it.
        tools = std::make_unique<test::TempDir>();
        test::writeBytes(tools->file("lame"), {'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
        fs::permissions(tools->file("lame"), fs::perms::owner_all);
        previousPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(tools->path().string()) + ":" + previousPath);
    }
    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        setProgramStarter({});
        qputenv("PATH", previousPath);
    }
    void init() {
        startFresh();
        started.clear();
        titles.clear();
        help.urls.clear();
    }
    void cleanup() { stopEditor(); }

    // Each chosen file in turn, into the next number; a file with nothing to import draws none.
    void rawImportNamesOpensAndReports() {
        test::Bytes drums(3001, 0);
        drums[0] = 1;
        drums[1] = 2;
        test::writeBytes(files->file("drums.raw"), drums);
        test::writeBytes(files->file("empty.raw"), {7});
        test::writeBytes(files->file("big one"), test::Bytes(64001, 9));
        answerOpen({QString::fromStdString(files->file("drums.raw")),
                    QString::fromStdString(files->file("empty.raw")),
                    QString::fromStdString(files->file("big one"))});
        frame->runCommand(cmd::kImportRaw);
        QCOMPARE(titles, QStringList{QStringLiteral("Import RAW File")});
        const std::string first = (tempSounds() / "000_drums.raw_.wav").string();
        const std::string second = (tempSounds() / "001_big one_.wav").string();
        QVERIFY(fs::exists(first) && fs::exists(second));
        QCOMPARE(windows(), 2);
        QCOMPARE(activity(), QStringLiteral("Import file - done"));
        QCOMPARE(reporter->reports.size(), std::size_t(1)); // the one-byte file
        const test::Bytes result = test::readBytes(first);
        QVERIFY(test::Bytes(result.begin() + 44, result.end() - 82) ==
                test::Bytes(drums.begin(), drums.end() - 1));
    }

    // 8-bit files only; each result in the output folder under the source's name.
    void eightBitImportSkipsOtherFiles() {
        test::Bytes loopBytes(4001, 128);
        loopBytes[1] = 255;
        loopBytes[2] = 0;
        loopBytes[3] = 1;
        const std::string loop = eightBitFile("loop.wav", loopBytes, 2);
        const std::string upper = eightBitFile("LOUD.WAV", test::Bytes(3000, 100), 1);
        const std::string plain = test::writeWave(files->file("plain.wav"), test::ramp(10));
        answerOpen({QString::fromStdString(loop), QString::fromStdString(plain),
                    QString::fromStdString(upper)});
        const QString before = activity();
        frame->runCommand(cmd::kImportEightBit);
        QCOMPARE(titles, QStringList{QStringLiteral("Import 8 bit Wave File")});
        QCOMPARE(said(), QStringLiteral("This file is not 8 bit"));
        QCOMPARE(reporter->reports[0].icon, MessageIcon::None);
        const test::Bytes stereo = test::readBytes((tempSounds() / "loop_16bit.wav").string());
        QCOMPARE(readLe16(&stereo[22]), std::uint16_t(2));
        QCOMPARE(readLe32(&stereo[24]), std::uint32_t(11025)); // the source's rate
        QCOMPARE(readLe32(&stereo[40]), std::uint32_t(8000));
        QVERIFY(test::Bytes(stereo.begin() + 44, stereo.begin() + 52) ==
                (test::Bytes{0, 0, 0, 127, 0, 128, 0, 129}));
        QVERIFY(fs::exists(tempSounds() / "LOUD.WAV_16bit.wav"));
        QCOMPARE(windows(), 2);
        QCOMPARE(activity(), before);
    }

    // Files the editor cannot edit as they are: Open says what they hold and offers the import,
    // whose result opens; Cancel leaves nothing. Import audio file takes several at once.
    void openOffersTheImport() {
        const auto tone = test::sine(4800, 2, 48000, 440, 0.5);
        const std::string deep = files->file("deep.wav");
        const std::string flac = files->file("song.flac");
        QVERIFY(!test::writeSound(deep, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2, tone).empty());
        QVERIFY(!test::writeSound(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, tone).empty());
        reporter->answers = {Answer::Cancel};
        bench->files().openFiles({QString::fromStdString(deep)});
        QCOMPARE(reporter->reports.size(), std::size_t(1));
        QVERIFY(reporter->reports[0].text.starts_with("File " + deep + "\nholds 24-bit PCM WAV"));
        QCOMPARE(reporter->reports[0].buttons, MessageButtons::ImportCancel);
        QCOMPARE(windows(), 0);
        QVERIFY(!fs::exists(tempSounds() / "deep_16bit.wav"));
        QCOMPARE(activity(), QStringLiteral("Load file - aborted"));

        bench->files().openFiles({QString::fromStdString(deep)});
        const fs::path imported = tempSounds() / "deep_16bit.wav";
        QVERIFY(fs::exists(imported));
        QCOMPARE(windows(), 1);
        const test::Bytes bytes = test::readBytes(imported.string());
        QCOMPARE(readLe16(&bytes[34]), std::uint16_t(16));
        QCOMPARE(readLe32(&bytes[24]), std::uint32_t(48000));
        QCOMPARE(activity(), QStringLiteral("Import file - done"));

        reporter->reports.clear();
        answerOpen({QString::fromStdString(flac), QString::fromStdString(deep)});
        frame->runCommand(cmd::kImportAudio);
        QCOMPARE(titles, QStringList{QStringLiteral("Import audio file")});
        QVERIFY(fs::exists(tempSounds() / "song_16bit.wav"));
        QCOMPARE(said(), QString());
        // A 16-bit FLAC comes in value for value.
        const auto values = test::readValues((tempSounds() / "song_16bit.wav").string());
        const auto decoded = test::readSound(flac);
        QCOMPARE(values.size(), decoded.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            QCOMPARE(double(values[i]), decoded[i] * 32768.0);
    }

    // Export as: the format the name's extension picks, beside the Source, never over it.
    void exportAsWritesTheChosenFormat() {
        const std::string source = test::writeWave(files->file("take.wav"), test::ramp(6000), 2);
        QVERIFY(bench->windows().openDocument(QString::fromStdString(source)) != nullptr);
        const int opened = windows();
        QString suggested;
        answerSave(files->file("take.flac"), &suggested);
        frame->runCommand(cmd::kExportAs);
        QCOMPARE(suggested, QString::fromStdString(files->file("take.flac")));
        int rate = 0;
        const auto decoded = test::readSound(files->file("take.flac"), &rate);
        const auto original = test::readValues(source);
        QCOMPARE(rate, 44100);
        QCOMPARE(decoded.size(), original.size());
        QCOMPARE(decoded[1234] * 32768.0, double(original[1234]));
        QCOMPARE(windows(), opened);
        QCOMPARE(activity(), QStringLiteral("Export file - done"));

        const test::Bytes before = test::readBytes(source);
        answerSave(files->path().string() + "/./take.wav");
        frame->runCommand(cmd::kExportAs);
        QVERIFY(!reporter->reports.empty());
        QVERIFY(test::readBytes(source) == before);
    }

    void eightBitExportWritesWhereChosen() {
        const std::string source = test::writeWave(files->file("take.wav"), test::ramp(4002), 2);
        QVERIFY(bench->windows().openDocument(QString::fromStdString(source)) != nullptr);
        const int opened = windows();
        QString suggested;
        answerSave(files->file("sub/../take8.wav"), &suggested);
        fs::create_directory(files->file("sub"));
        frame->runCommand(cmd::kExportEightBit);
        QCOMPARE(titles, QStringList{"Export " + QString::fromStdString(source) + " as..."});
        QCOMPARE(suggested, QString::fromStdString(source));
        QCOMPARE(bench->list().saveAsDir, files->file("sub/../"));
        const test::Bytes result = test::readBytes(files->file("take8.wav"));
        QCOMPARE(readLe16(&result[34]), std::uint16_t(8));
        QCOMPARE(readLe32(&result[40]), std::uint32_t(4002));
        QCOMPARE(windows(), opened); // not opened
        QCOMPARE(said(), QString());

        // The source itself, however it is spelled: nothing written.
        const test::Bytes before = test::readBytes(source);
        answerSave(files->path().string() + "/./take.wav");
        frame->runCommand(cmd::kExportEightBit);
        QCOMPARE(said(), QStringLiteral("This file already exists"));
        QCOMPARE(reporter->reports[0].icon, MessageIcon::Warning);
        QVERIFY(test::readBytes(source) == before);
    }

    // The MP3 goes exactly where the user chose; the choice also sets saveAsDir, and the source
    // itself is refused.
    void exportSourceToMp3() {
        const std::string source = test::writeWave(files->file("take.wav"), test::ramp(4000));
        QVERIFY(bench->windows().openDocument(QString::fromStdString(source)) != nullptr);
        fs::create_directory(files->file("music"));
        QString suggested;
        answerSave(files->file("music/Other.mp3"), &suggested);
        frame->runCommand(cmd::kExportSourceToMp3);
        QCOMPARE(suggested, QString::fromStdString(files->file("take.mp3")));
        QCOMPARE(titles.last(), "Export " + QString::fromStdString(source) + " as...");
        QCOMPARE(bench->list().saveAsDir, files->file("music/"));
        QCOMPARE(started.size(), qsizetype(1));
        QCOMPARE(started[0].program, QStringLiteral("sh"));
        QCOMPARE(started[0].arguments.size(), qsizetype(2));
        QCOMPARE(started[0].arguments[0], QString::fromStdString(mp3LauncherPath()));
        const std::string batch = started[0].arguments[1].toStdString();
        QCOMPARE(batchText(),
                 mp3Batch({{source, files->file("music/Other.mp3")}},
                          bench->preferences().mp3Option, mp3EncoderPath().string(), batch));

        // With saveAsDir set, the proposal is there; the source itself is refused.
        answerSave(files->file("TAKE.WAV"), &suggested);
        frame->runCommand(cmd::kExportSourceToMp3);
        QCOMPARE(suggested, QString::fromStdString(files->file("music/take.mp3")));
        QCOMPARE(titles.last(),
                 "Export " + QString::fromStdString(files->file("music/take.wav")) + " as...");
        QCOMPARE(said(), QStringLiteral("This file already exists"));
        QCOMPARE(started.size(), qsizetype(1));
    }

    // Slots in order, each result beside its source; a batch of its own for each export, gone
    // when the answer is Cancel.
    void exportAllToMp3() {
        fs::create_directory(files->file("other"));
        const std::string a = test::writeWave(files->file("a.wav"), test::ramp(10));
        const std::string b = test::writeWave(files->file("other/b.wav"), test::ramp(10));
        const std::string c = test::writeWave(files->file("c.wav"), test::ramp(10));
        bench->preferences().mp3Option = "-b 256";
        WorkingList& list = bench->list();
        list.filePaths[7] = c;
        list.filePaths[0] = a;
        list.filePaths[5] = b;
        int asked = 0;
        bool answer = false;
        exchange().confirmBatch = [&] {
            ++asked;
            return answer;
        };
        const int before = batchesLeft();
        exchange().exportAllToMp3();
        QCOMPARE(asked, 1);
        QVERIFY(started.isEmpty());
        QCOMPARE(batchesLeft(), before);
        answer = true;
        exchange().exportAllToMp3();
        QCOMPARE(started.size(), qsizetype(1));
        const std::string batch = started[0].arguments.value(1).toStdString();
        QCOMPARE(batchText(),
                 mp3Batch(mp3ExportsBeside({a, b, c}), "-b 256", mp3EncoderPath().string(), batch));
        QVERIFY(batchText().find("'" + files->file("other/b.mp3") + "'") != std::string::npos);

        // Two files of the list with one result: nothing is asked, nothing runs.
        list.filePaths[9] = files->file("A.WAV");
        test::writeWave(list.filePaths[9], test::ramp(10));
        list.filePaths[0] = files->file("A.wav");
        test::writeWave(list.filePaths[0], test::ramp(10));
        exchange().exportAllToMp3();
        QCOMPARE(asked, 2);
        QVERIFY(said().contains(QStringLiteral("would both be encoded to")));

        // An empty list still asks, over an empty batch.
        list.filePaths.fill({});
        exchange().exportAllToMp3();
        QCOMPARE(asked, 3);
        QCOMPARE(started.size(), qsizetype(2));
        QVERIFY(batchText().find("mktemp") == std::string::npos);
    }

    void confirmDialogAsShown() {
        CConfirmMp3BatchDialog dialog("Francais");
        dialog.open();
        QCOMPARE(dialog.objectName(), QStringLiteral("CConfirmMp3BatchDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Confirm mp3 batch conversion"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("text"))->text(),
                 QStringLiteral("All files opened during this session\nare about to be converted "
                                "into mp3 format.\n\nDo you confirm conversion for every audio "
                                "file?"));
        QCOMPARE(dialog.confirmButton()->text(), QStringLiteral("Confirm"));
        QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.helpButton()->text(), QStringLiteral("&Help"));
        QVERIFY(dialog.cancelButton()->isDefault());
        dialog.helpButton()->click();
        QVERIFY(help.urls.isEmpty());
        QVERIFY(bench->help().helpWindow()->currentFile().endsWith(
            QStringLiteral("TOOBAT_1.1_francais.html")));
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(ExchangeCommandsTest)
#include "exchange_commands_test.moc"
