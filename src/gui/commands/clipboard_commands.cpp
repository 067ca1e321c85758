// Whole wave files through QClipboard.
#include "commands/clipboard_commands.h"

#include "commands/operation_runner.h"
#include "commands/window_commands.h"
#include "display/child_frame.h"
#include "display/sonarium_doc.h"
#include "display/sonarium_view.h"
#include "frame/command_table.h"
#include "operations/editing/clipboard_wave.h"
#include "operations/editing/extract_range.h"
#include "playback/playback_controller.h"
#include "support/qt_text.h"
#include "wavefile/binary_file.h"
#include "workspace/working_list.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QScopeGuard>
#include <span>

namespace sonarium {

namespace {

// Progress nobody sees: the exchange's extract runs without a dialog.
class NoProgress : public Progress {
public:
    void setProgress(int) override {}
};

} // namespace

QStringList waveMimeTypes() {
    return {QStringLiteral("audio/vnd.wave"), QStringLiteral("audio/wav"),
            QStringLiteral("audio/x-wav")};
}

ClipboardCommands::ClipboardCommands(Session& session, WindowCommands& windows,
                                     OperationRunner& operations)
    : session_(session), windows_(windows) {
    session_.setHandler(cmd::kCopyToClipboard, [this] { CopyToClipboard(); });
    session_.setHandler(cmd::kPasteClipboard, [this] { PasteClipboardToFile(); });
    session_.setHandler(cmd::kPlayClipboardLooped, [this] { playClipboardLooped(); });
    // Insert Clipboard's second file is the clipboard's, copied out before its dialog opens.
    if (const OperationDecl* insert = findOperationByCommand(cmd::kInsertClipboard)) {
        OperationRunner::Command command = OperationRunner::commandOf(*insert);
        command.secondFile = [this]() -> std::optional<std::string> {
            const Paste paste = ClipboardToFile(false);
            if (!paste.ok)
                return std::nullopt;
            return paste.path;
        };
        operations.installCommand(*insert, std::move(command));
    }
}

void ClipboardCommands::CopyToClipboard() {
    session_.StopPlaying();
    WorkingList& list = session_.list();
    const auto source = list.slotPath(list.GetSourceIndex());
    if (!source)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    std::string file = *source;
    if (CChildFrame* window = session_.activeWaveWindow();
        window != nullptr && window->document().GetPathName().toStdString() == *source) {
        const CSonariumView& view = *window->view();
        const std::uint32_t size = window->document().dataSize;
        if ((view.selStart != 0 || view.selEnd != size) && view.selEnd > view.selStart &&
            view.selEnd - view.selStart > 4) {
            file = list.outputDir + kClipboardDataName;
            NoProgress progress;
            JobContext context{.wave = session_.waveContext(),
                               .progress = progress,
                               .input = {.source = *source},
                               .destination = [file] { return file; },
                               .result = ResultFile::Finish};
            auto reader = openJobSource(context, *source, SampleAccess::AnyFormat);
            if (!reader || ExtractRange(context, std::move(reader), view.selStart, view.selEnd) !=
                               JobOutcome::Completed)
                return; // the extract has said why
        }
    }
    // Read as every reader of the system reads: a FIFO or device put under the name is refused
    // at once instead of blocking the editor.
    BinaryFile in(file, BinaryFile::Mode::Read);
    QByteArray bytes;
    if (in.isOpen())
        bytes.resize(static_cast<qsizetype>(in.size()));
    if (!in.isOpen() || in.read(bytes.data(), static_cast<std::size_t>(bytes.size())) !=
                            static_cast<std::size_t>(bytes.size())) {
        session_.reporter().report("Cannot open source File", MessageIcon::None);
        return;
    }
    auto* data = new QMimeData;
    for (const QString& type : waveMimeTypes())
        data->setData(type, bytes);
    QGuiApplication::clipboard()->setMimeData(data);
    session_.ShowActivity(qs(activityText(cmd::kCopyToClipboard)));
}

void ClipboardCommands::PasteClipboardToFile() {
    const Paste paste = ClipboardToFile(true);
    if (paste.ok && !paste.path.empty())
        session_.ShowActivity(qs(activityText(cmd::kPasteClipboard)));
}

ClipboardCommands::Paste ClipboardCommands::ClipboardToFile(bool listed) {
    session_.StopPlaying();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr) {
        session_.reporter().report("Cannot open the clipboard", MessageIcon::None);
        return {};
    }
    QByteArray bytes;
    bool found = false;
    for (const QString& type : waveMimeTypes()) {
        if (data->hasFormat(type)) {
            bytes = data->data(type);
            found = true;
            break;
        }
    }
    if (!found)
        return {.ok = true};
    const std::string drawn =
        listed ? session_.list().NextTempPath() : session_.list().outputDir + kClipboardCopyName;
    if (drawn.empty())
        return {};
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            static_cast<std::size_t>(bytes.size()));
    std::string path;
    if (!writeClipboardWave(session_.waveContext(), raw, drawn, &path))
        return {};
    if (listed)
        windows_.openDocument(qs(path));
    return {.ok = true, .path = path};
}

void ClipboardCommands::playClipboardLooped() {
    const Paste paste = ClipboardToFile(true);
    if (paste.ok && !paste.path.empty())
        session_.player().PlayLooped();
}

} // namespace sonarium
