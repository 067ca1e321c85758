// The session file: a header line, then "file CHANNELS PATH", "window PATH", "source PATH" and
// "aux PATH" lines, UTF-8, paths to the end of their line.
#include "workspace/session_file.h"

#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"
#include "workspace/audio_root.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace sonarium {

namespace {

constexpr std::string_view kHeader = "sonarium session 1";

bool writable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

} // namespace

std::string encodeSession(const SavedSession& session) {
    std::string text(kHeader);
    text += '\n';
    for (const SavedSession::File& file : session.files)
        if (writable(file.path))
            text += "file " + std::to_string(file.channels) + ' ' + file.path + '\n';
    for (const std::string& window : session.windows)
        if (writable(window))
            text += "window " + window + '\n';
    if (writable(session.source))
        text += "source " + session.source + '\n';
    if (writable(session.aux))
        text += "aux " + session.aux + '\n';
    return text;
}

std::optional<SavedSession> decodeSession(std::string_view text) {
    SavedSession session;
    bool header = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!header) {
            if (line != kHeader)
                return std::nullopt;
            header = true;
            continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos || space + 1 >= line.size())
            continue;
        const std::string_view key = line.substr(0, space);
        const std::string_view rest = line.substr(space + 1);
        if (key == "file") {
            const std::size_t gap = rest.find(' ');
            int channels = 0;
            if (gap == std::string_view::npos || gap + 1 >= rest.size())
                continue;
            const auto [ptr, error] = std::from_chars(rest.data(), rest.data() + gap, channels);
            if (error != std::errc() || ptr != rest.data() + gap || channels < 1 || channels > 2)
                continue;
            session.files.push_back({std::string(rest.substr(gap + 1)), channels});
        } else if (key == "window") {
            session.windows.emplace_back(rest);
        } else if (key == "source") {
            session.source = rest;
        } else if (key == "aux") {
            session.aux = rest;
        }
    }
    if (!header)
        return std::nullopt;
    return session;
}

std::string sessionFilePath() {
    return resourceFile("session.sns").string();
}

bool saveSession(const std::string& path, const SavedSession& session, std::string& error) {
    const std::string text = encodeSession(session);
    return writeFileAtomically(path, text.data(), text.size(), error);
}

std::optional<SavedSession> loadSession(const std::string& path) {
    std::ifstream in(nativePath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return decodeSession(text.str());
}

} // namespace sonarium
