// The import and export commands: file dialogs, the exchange jobs with a progress window, and
// the MP3 batch handed to its launcher as an argument list.
#include "commands/exchange_commands.h"

#include "dialogs/exchange_dialogs.h"
#include "frame/command_table.h"
#include "operations/exchange/eight_bit_export.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/mp3_batch.h"
#include "operations/exchange/raw_import.h"
#include "support/job_progress_dialog.h"
#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"
#include "workspace/rename_file.h"
#include "workspace/working_list.h"

#include <QApplication>
#include <QFileDialog>
#include <QScopeGuard>
#include <QStandardPaths>
#include <filesystem>

namespace sonarium {

namespace {

const QString kWaveFilter = QStringLiteral("wav Files (*.wav);;All Files (*)");
const QString kMp3Filter = QStringLiteral("mp3 Files (*.mp3);;All Files (*)");
const QString kAllFilter = QStringLiteral("All Files (*)");
constexpr const char* kImportDone = "Import file - done";
// The export formats in the order of the Export as dialog's filters.
constexpr ExportFormat kFormats[] = {ExportFormat::Flac,     ExportFormat::Ogg,
                                     ExportFormat::Opus,     ExportFormat::Wav24,
                                     ExportFormat::WavFloat, ExportFormat::Aiff};

// Where an export of source is proposed: in the folder of the last export (saveAsDir) when there
// was one, beside the source otherwise.
std::string exportProposal(const WorkingList& list, const std::string& source) {
    return list.saveAsDir.empty() ? source
                                  : list.saveAsDir + source.substr(directoryPart(source).size());
}

// The proposal without its last four characters (".wav"), for another extension.
std::string exportStem(const WorkingList& list, const std::string& source) {
    const std::string proposed = exportProposal(list, source);
    return proposed.substr(0, proposed.size() - std::min<std::size_t>(4, proposed.size()));
}

} // namespace

ExchangeCommands::ExchangeCommands(Session& session) : session_(session) {
    session_.setHandler(cmd::kImportAudio, [this] { importAudio(); });
    session_.setHandler(cmd::kExportAs, [this] { exportAs(); });
    session_.setHandler(cmd::kImportRaw, [this] { importRaw(); });
    session_.setHandler(cmd::kImportEightBit, [this] { importEightBit(); });
    session_.setHandler(cmd::kExportEightBit, [this] { exportEightBit(); });
    session_.setHandler(cmd::kExportSourceToMp3, [this] { exportSourceToMp3(); });
    session_.setHandler(cmd::kExportAllToMp3, [this] { exportAllToMp3(); });
}

QStringList ExchangeCommands::pickFiles(const QString& title, const QString& filter,
                                        const QString& suffix) {
    if (chooseFilesToOpen)
        return chooseFilesToOpen(title);
    QFileDialog dialog(session_.dialogParent(), title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString ExchangeCommands::pickSaveName(const QString& title, const QString& suggested,
                                       const QString& filter, const QString& suffix) {
    if (chooseSaveName)
        return chooseSaveName(title, suggested);
    QFileDialog dialog(session_.dialogParent(), title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

JobOutcome ExchangeCommands::runJob(const QString& caption,
                                    const std::function<JobOutcome(JobContext&)>& job,
                                    const std::string& source,
                                    std::function<std::string()> destination, ResultFile result) {
    JobProgressDialog progress(caption, session_.dialogParent());
    JobContext context{.wave = session_.waveContext(),
                       .progress = progress,
                       .input = {.source = source},
                       .destination = std::move(destination),
                       .result = result};
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    return job(context);
}

QString audioFileFilter() {
    QStringList patterns;
    for (const std::string& extension : readableAudioExtensions())
        patterns << QStringLiteral("*.") + qs(extension);
    return QStringLiteral("Audio files (%1);;All Files (*)").arg(patterns.join(QLatin1Char(' ')));
}

void ExchangeCommands::importAudio() {
    session_.StopPlaying();
    importAudioFiles(pickFiles(QStringLiteral("Import audio file"), audioFileFilter(), QString()));
}

void ExchangeCommands::importAudioFiles(const QStringList& paths) {
    for (const QString& chosen : paths)
        if (!chosen.isEmpty())
            importAudioFile(chosen.toStdString());
}

JobOutcome ExchangeCommands::importAudioFile(const std::string& path) {
    const JobOutcome outcome = runJob(
        QStringLiteral("Import audio file"),
        [](JobContext& context) { return sonarium::importAudio(context, ImportSettings{}); }, path,
        [this, path] { return audioImportPath(path, session_.list().outputDir); },
        ResultFile::Open);
    if (outcome == JobOutcome::Completed)
        session_.ShowActivity(QString::fromLatin1(kImportDone));
    return outcome;
}

void ExchangeCommands::exportAs() {
    session_.StopPlaying();
    WorkingList& list = session_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const std::string& source = *current;
    const std::string stem = exportStem(list, source);
    QStringList filters;
    for (const ExportFormat format : kFormats)
        filters << QStringLiteral("%1 (*.%2)")
                       .arg(qs(exportFormatName(format)), qs(exportFormatExtension(format)));
    QString chosen;
    ExportFormat format = ExportFormat::Flac;
    if (chooseSaveName) {
        chosen =
            chooseSaveName(QStringLiteral("Export %1 as...").arg(qs(source)), qs(stem + ".flac"));
        // The tests name the format by the extension (".wav": 24-bit).
        const std::string name = chosen.toStdString();
        for (const ExportFormat candidate : kFormats)
            if (name.ends_with("." + exportFormatExtension(candidate))) {
                format = candidate;
                break;
            }
    } else {
        QFileDialog dialog(session_.dialogParent(),
                           QStringLiteral("Export %1 as...").arg(qs(source)), qs(stem + ".flac"),
                           filters.join(QStringLiteral(";;")));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("flac"));
        // The suffix follows the format picked.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &filters](const QString& filter) {
                             const auto at = filters.indexOf(filter);
                             if (at >= 0)
                                 dialog.setDefaultSuffix(qs(exportFormatExtension(
                                     kFormats[static_cast<std::size_t>(at)])));
                         });
        if (dialog.exec() != QDialog::Accepted)
            return;
        chosen = dialog.selectedFiles().value(0);
        const auto at = filters.indexOf(dialog.selectedNameFilter());
        format = kFormats[at >= 0 ? static_cast<std::size_t>(at) : 0];
    }
    if (chosen.isEmpty())
        return;
    const std::string target = chosen.toStdString();
    list.saveAsDir = directoryPart(target);
    if (exportSourceAs(target, format) == JobOutcome::Completed)
        session_.showActivityOf(cmd::kExportAs);
}

JobOutcome ExchangeCommands::exportSourceAs(const std::string& target, ExportFormat format) {
    const auto current = session_.list().slotPath(session_.list().GetSourceIndex());
    if (!current)
        return JobOutcome::EndedWithMessage;
    // The job refuses a target that is the source itself, however it is spelled.
    return runJob(
        QStringLiteral("Export as %1").arg(qs(exportFormatName(format))),
        [format](JobContext& context) {
            return sonarium::exportAudio(context, ExportSettings{.format = format});
        },
        *current, [target] { return target; }, ResultFile::Finish);
}

void ExchangeCommands::importRaw() {
    session_.StopPlaying();
    importRawFiles(pickFiles(QStringLiteral("Import RAW File"), kAllFilter, QString()));
}

void ExchangeCommands::importRawFiles(const QStringList& paths) {
    for (const QString& chosen : paths) {
        if (chosen.isEmpty())
            continue;
        const std::string path = chosen.toStdString();
        // The temporary number is drawn only once the file is known to hold samples.
        const JobOutcome outcome = runJob(
            QStringLiteral("Import RAW File"), sonarium::importRaw, path,
            [this, path] { return rawImportPath(session_.list().NextTempPath(), path); },
            ResultFile::Open);
        if (outcome == JobOutcome::Completed)
            session_.ShowActivity(QString::fromLatin1(kImportDone));
    }
}

void ExchangeCommands::importEightBit() {
    importEightBitFiles(
        pickFiles(QStringLiteral("Import 8 bit Wave File"), kWaveFilter, QStringLiteral("wav")));
}

void ExchangeCommands::importEightBitFiles(const QStringList& paths) {
    for (const QString& chosen : paths) {
        if (chosen.isEmpty())
            continue;
        const std::string path = chosen.toStdString();
        runJob(
            QStringLiteral("Import 8 bit Wave File"), sonarium::importEightBit, path,
            [this, path] { return eightBitImportPath(path, session_.list().outputDir); },
            ResultFile::Open);
    }
}

void ExchangeCommands::exportEightBit() {
    WorkingList& list = session_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const QString chosen = pickSaveName(QStringLiteral("Export %1 as...").arg(qs(*current)),
                                        qs(*current), kWaveFilter, QStringLiteral("wav"));
    if (chosen.isEmpty())
        return;
    const std::string target = chosen.toStdString();
    list.saveAsDir = directoryPart(target);
    // The job refuses a target that is the source itself, however it is spelled.
    runJob(
        QStringLiteral("Export to 8 bit wave file"), sonarium::exportEightBit, *current,
        [target] { return target; }, ResultFile::Finish);
}

std::string ExchangeCommands::writeBatch(const std::vector<Mp3Export>& jobs) {
    std::string error;
    const std::string batch = writeMp3Batch(jobs, session_.preferences().mp3Option, error);
    if (batch.empty())
        session_.reporter().report("The MP3 batch cannot be written in " +
                                       locationPath(Location::Resources).string() + "\n" + error,
                                   MessageIcon::Error);
    return batch;
}

bool ExchangeCommands::launchBatch(const std::string& batch) {
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        session_.reporter().report("The MP3 encoder lame was not found.\n\nInstall the package "
                                   "lame, then export again.",
                                   MessageIcon::Warning);
        return false;
    }
    // The launcher is read by sh from its path: it runs even where a copy lost its execute bit.
    if (!startProgram(QStringLiteral("sh"), {qs(mp3LauncherPath().string()), qs(batch)})) {
        session_.reporter().report("The MP3 batch could not be started:\nsh was not found.",
                                   MessageIcon::Warning);
        return false;
    }
    return true;
}

void ExchangeCommands::exportSourceToMp3() {
    session_.StopPlaying();
    WorkingList& list = session_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const std::string& source = *current;
    const std::string proposed = exportProposal(list, source);
    const std::string initial = exportStem(list, source) + ".mp3";
    const QString chosen = pickSaveName(QStringLiteral("Export %1 as...").arg(qs(proposed)),
                                        qs(initial), kMp3Filter, QStringLiteral("mp3"));
    if (chosen.isEmpty())
        return;
    const std::string target = chosen.toStdString();
    // Kept as chosen: on this system a lower-cased folder may be another folder, or none.
    list.saveAsDir = directoryPart(target);
    if (lowerCase(target) == lowerCase(source) || isSameFile(target, source)) {
        session_.reporter().report("This file already exists", MessageIcon::Warning);
        return;
    }
    // The MP3 goes exactly where the user chose.
    const auto jobs = checkMp3Exports(session_.reporter(), {{source, target}});
    if (!jobs || jobs->empty())
        return;
    const std::string batch = writeBatch(*jobs);
    if (!batch.empty() && !launchBatch(batch)) {
        std::error_code ignored;
        std::filesystem::remove(batch, ignored);
    }
}

void ExchangeCommands::exportAllToMp3() {
    session_.StopPlaying();
    std::vector<std::string> paths;
    for (const std::string& path : session_.list().filePaths)
        if (!path.empty())
            paths.push_back(path);
    const auto jobs = checkMp3Exports(session_.reporter(), mp3ExportsBeside(paths));
    if (!jobs)
        return;
    const std::string batch = writeBatch(*jobs);
    if (batch.empty())
        return;
    bool confirmed = false;
    if (confirmBatch) {
        confirmed = confirmBatch();
    } else {
        CConfirmMp3BatchDialog dialog(session_.preferences().helpLanguage, session_.dialogParent());
        confirmed = dialog.exec() == QDialog::Accepted;
    }
    // A batch that will not run goes: each export writes one of its own.
    if (!confirmed || !launchBatch(batch)) {
        std::error_code ignored;
        std::filesystem::remove(batch, ignored);
    }
}

} // namespace sonarium
