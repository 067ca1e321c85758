// The session kept between two runs of the editor: the working list's files in the selectors'
// order, the files of the open waveform windows, the Source and the Aux. A text file of one entry
// a line beside the preferences.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonarium {

struct SavedSession {
    struct File {
        std::string path;
        int channels = 1;
        bool operator==(const File&) const = default;
    };
    std::vector<File> files;          // the working list, in the selectors' order
    std::vector<std::string> windows; // one path per waveform window, in opening order
    std::string source;               // paths; empty when nothing was selected
    std::string aux;

    bool operator==(const SavedSession&) const = default;
};

// The file's text. A path holding a line break cannot be written and is left out.
std::string encodeSession(const SavedSession& session);
// Reads the text back; nothing when it is not a session file. Lines it does not know are passed
// over, so that a later program's file still restores what this one knows.
std::optional<SavedSession> decodeSession(std::string_view text);

// "session.sns" in the resources folder, beside prefs.snp.
std::string sessionFilePath();
bool saveSession(const std::string& path, const SavedSession& session, std::string& error);
// Nothing when the file is missing, unreadable or not a session file.
std::optional<SavedSession> loadSession(const std::string& path);

} // namespace sonarium
