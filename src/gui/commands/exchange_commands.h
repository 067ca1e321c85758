// The File menu's import and export commands: Import audio file, Import RAW file, Import 8 bit
// wave file, Export as, Export to 8 bit wave file, Export source to MP3 and Export all to MP3.
#pragma once

#include "commands/session.h"
#include "jobs/block_job.h"
#include "operations/exchange/audio_exchange.h"
#include "operations/exchange/mp3_batch.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace sonarium {

// "Audio files (*.wav *.flac ...);;All Files (*)": what the machine's sound file library reads,
// for the Open and Import dialogs.
QString audioFileFilter();

class ExchangeCommands {
public:
    // Installs the commands.
    explicit ExchangeCommands(Session& session);

    // The commands as the menu runs them, file dialogs included.
    void importAudio();
    void importRaw();
    void importEightBit();
    void exportAs();
    void exportEightBit();
    void exportSourceToMp3();
    void exportAllToMp3();

    // The imports once the files are chosen: each in turn, into its own result.
    void importAudioFiles(const QStringList& paths);
    void importRawFiles(const QStringList& paths);
    void importEightBitFiles(const QStringList& paths);

    // For the tests: answer the file dialogs and the batch confirmation instead of the user.
    std::function<QStringList(const QString& title)> chooseFilesToOpen;
    std::function<QString(const QString& title, const QString& suggested)> chooseSaveName;
    std::function<bool()> confirmBatch;

    // Imports one file with the default settings (its own rate and channels, dither where it
    // holds more than 16 bits) and opens the result; the outcome of the job.
    JobOutcome importAudioFile(const std::string& path);
    // Writes the Source in the given format to target, staged.
    JobOutcome exportSourceAs(const std::string& target, ExportFormat format);

private:
    QStringList pickFiles(const QString& title, const QString& filter, const QString& suffix);
    QString pickSaveName(const QString& title, const QString& suggested, const QString& filter,
                         const QString& suffix);
    JobOutcome runJob(const QString& caption, const std::function<JobOutcome(JobContext&)>& job,
                      const std::string& source, std::function<std::string()> destination,
                      ResultFile result);
    // Writes a batch of its own for the encodings: its path, or "" (the user told why).
    std::string writeBatch(const std::vector<Mp3Export>& jobs);
    // Has the launcher run the batch; false (the user told why) when the encoder or the launcher
    // is missing.
    bool launchBatch(const std::string& batch);

    Session& session_;
};

} // namespace sonarium
