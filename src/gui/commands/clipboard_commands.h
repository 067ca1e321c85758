// The clipboard exchange of whole wave files: Copy to Clipboard, Paste Clipboard to File, the
// copy Insert Clipboard reads and the paste Play Clipboard Looped plays.
#pragma once

#include "commands/session.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace sonarium {

class OperationRunner;
class WindowCommands;

inline constexpr const char* kClipboardDataName = "SonariumClipboardData.wav";
inline constexpr const char* kClipboardCopyName = "sonariumClipboardCopy.wav";

// The formats a wave file travels under; a paste takes the first one present.
QStringList waveMimeTypes();

class ClipboardCommands {
public:
    // Installs the clipboard commands, Insert Clipboard's included.
    ClipboardCommands(Session& session, WindowCommands& windows, OperationRunner& operations);

    // Puts the Source file on the clipboard; when the active window shows it with a selection of
    // more than 4 bytes that is not the whole file, that selection extracted to
    // SonariumClipboardData.wav in the output folder instead. Its completion text once done.
    void CopyToClipboard();

    // What a paste found.
    struct Paste {
        bool ok = false;  // false: it failed (the user was told why when there was a reason)
        std::string path; // the file written; empty when the clipboard held no wave data
    };
    // Writes the clipboard's wave file: listed, to the next temporary path, opened in its own
    // window and joined to the list; otherwise to sonariumClipboardCopy.wav in the output folder.
    Paste ClipboardToFile(bool listed);

    // Paste Clipboard to File: the listed paste, and its completion text once a file was made.
    void PasteClipboardToFile();

    // Play Clipboard Looped: the listed paste, then Play Looped on it.
    void playClipboardLooped();

private:
    Session& session_;
    WindowCommands& windows_;
};

} // namespace sonarium
