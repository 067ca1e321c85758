// Stamping files, writing records and reading history files.
#include "provenance/provenance_record.h"

#include "operations/operation_options.h"
#include "provenance/content_hash.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarium {

namespace {

struct StatInfo {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

std::optional<StatInfo> statFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return StatInfo{static_cast<std::uint64_t>(info.st_size),
                    static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL +
                        info.st_mtim.tv_nsec};
}

// The stamps this process made, by path: a file stamped as a job's result is not read again when
// the next job takes it as its input.
std::mutex stampsMutex;
std::map<std::string, FileStamp>& knownStamps() {
    static std::map<std::string, FileStamp> stamps;
    return stamps;
}

JsonValue stampJson(const FileStamp& stamp) {
    return JsonValue::Object{{"path", stamp.path},
                             {"size", static_cast<std::int64_t>(stamp.size)},
                             {"hash", stamp.hash},
                             {"modified", stamp.modified}};
}

std::optional<FileStamp> stampOf(const JsonValue& value) {
    const JsonValue* path = value.member("path");
    const JsonValue* size = value.member("size");
    const JsonValue* hash = value.member("hash");
    if (path == nullptr || path->string() == nullptr || size == nullptr ||
        size->integer() == nullptr || *size->integer() < 0 || hash == nullptr ||
        hash->string() == nullptr)
        return std::nullopt;
    FileStamp stamp{*path->string(), static_cast<std::uint64_t>(*size->integer()), *hash->string(),
                    0};
    if (const JsonValue* modified = value.member("modified"); modified && modified->integer())
        stamp.modified = *modified->integer();
    return stamp;
}

std::optional<std::vector<FileStamp>> stampsOf(const JsonValue* value) {
    if (value == nullptr || value->array() == nullptr)
        return std::nullopt;
    std::vector<FileStamp> stamps;
    for (const JsonValue& item : *value->array()) {
        auto stamp = stampOf(item);
        if (!stamp)
            return std::nullopt;
        stamps.push_back(std::move(*stamp));
    }
    return stamps;
}

std::string textMember(const JsonValue& value, std::string_view name) {
    const JsonValue* member = value.member(name);
    return member != nullptr && member->string() != nullptr ? *member->string() : std::string();
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

} // namespace

std::optional<FileStamp> stampFile(const std::string& path) {
    const std::string absolute = absolutePath(path);
    const auto info = statFile(absolute);
    if (!info)
        return std::nullopt;
    {
        const std::lock_guard lock(stampsMutex);
        const auto known = knownStamps().find(absolute);
        if (known != knownStamps().end() && known->second.size == info->size &&
            known->second.modified == info->modified)
            return known->second;
    }
    const auto hash = fileHash(absolute);
    const auto after = statFile(absolute);
    // A file that changed while it was read has no stamp that means anything.
    if (!hash || !after || after->size != info->size || after->modified != info->modified)
        return std::nullopt;
    FileStamp stamp{absolute, info->size, *hash, info->modified};
    const std::lock_guard lock(stampsMutex);
    knownStamps()[absolute] = stamp;
    return stamp;
}

bool stillMatches(const FileStamp& stamp) {
    const auto info = statFile(stamp.path);
    if (!info || info->size != stamp.size)
        return false;
    if (stamp.modified != 0 && info->modified == stamp.modified)
        return true;
    const auto now = stampFile(stamp.path);
    return now && now->sameContent(stamp);
}

std::vector<std::string> ProvenanceRecord::allOptions() const {
    std::vector<std::string> words = options;
    if (selection) {
        const auto span = selectionWords(*selection);
        words.insert(words.end(), span.begin(), span.end());
    }
    return words;
}

std::vector<std::string>
ProvenanceRecord::command(const std::function<std::string(const FileStamp&)>& spell) const {
    std::vector<std::string> in;
    std::vector<std::string> out;
    for (const FileStamp& stamp : inputs)
        in.push_back(spell ? spell(stamp) : stamp.path);
    for (const FileStamp& stamp : outputs)
        out.push_back(spell ? spell(stamp) : stamp.path);
    return commandWords(kCommandLineProgram, operation, allOptions(), in, out);
}

JsonValue ProvenanceRecord::toJson() const {
    JsonValue::Array optionArray(options.begin(), options.end());
    JsonValue::Array inputArray;
    for (const FileStamp& stamp : inputs)
        inputArray.push_back(stampJson(stamp));
    JsonValue::Array outputArray;
    for (const FileStamp& stamp : outputs)
        outputArray.push_back(stampJson(stamp));
    JsonValue::Object object{{"operation", operation},
                             {"options", std::move(optionArray)},
                             {"inputs", std::move(inputArray)},
                             {"outputs", std::move(outputArray)},
                             {"version", version},
                             {"time", time}};
    if (selection)
        object.emplace("selection",
                       JsonValue::Object{{"first", static_cast<std::int64_t>(selection->first)},
                                         {"count", selection->count == FrameSpan::kToEnd
                                                       ? JsonValue(nullptr)
                                                       : JsonValue(static_cast<std::int64_t>(
                                                             selection->count))}});
    return object;
}

std::optional<ProvenanceRecord> ProvenanceRecord::fromJson(const JsonValue& value) {
    ProvenanceRecord record;
    record.operation = textMember(value, "operation");
    const JsonValue* options = value.member("options");
    if (record.operation.empty() || options == nullptr || options->array() == nullptr)
        return std::nullopt;
    for (const JsonValue& option : *options->array()) {
        if (option.string() == nullptr)
            return std::nullopt;
        record.options.push_back(*option.string());
    }
    auto inputs = stampsOf(value.member("inputs"));
    auto outputs = stampsOf(value.member("outputs"));
    if (!inputs || !outputs)
        return std::nullopt;
    record.inputs = std::move(*inputs);
    record.outputs = std::move(*outputs);
    if (const JsonValue* selection = value.member("selection"); selection != nullptr) {
        const JsonValue* first = selection->member("first");
        const JsonValue* count = selection->member("count");
        if (first == nullptr || first->integer() == nullptr || count == nullptr)
            return std::nullopt;
        FrameSpan span;
        span.first = static_cast<std::uint32_t>(*first->integer());
        if (count->integer() != nullptr)
            span.count = static_cast<std::uint32_t>(*count->integer());
        record.selection = span;
    }
    record.version = textMember(value, "version");
    record.time = textMember(value, "time");
    return record;
}

std::string historyPathIn(const std::string& directory) {
    return (std::filesystem::path(directory.empty() ? "." : directory) / kHistoryFileName).string();
}

bool appendRecord(const std::string& directory, const ProvenanceRecord& record,
                  std::string& error) {
    const std::string path = historyPathIn(directory);
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = ::flock(fd, LOCK_EX) == 0;
    std::string line = record.toJson().write() + "\n";
    if (ok) {
        // A line torn by a writer that died is closed, so that this record starts a line.
        struct stat info {};
        char last = '\n';
        if (::fstat(fd, &info) == 0 && info.st_size > 0 &&
            ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n')
            line.insert(line.begin(), '\n');
        ok = writeAll(fd, line);
    }
    if (!ok)
        error = std::strerror(errno);
    ::close(fd); // releases the lock
    return ok;
}

std::vector<ProvenanceRecord> readHistory(const std::string& historyPath) {
    std::vector<ProvenanceRecord> records;
    std::ifstream in(historyPath, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const auto value = JsonValue::parse(line);
        if (!value)
            continue;
        if (auto record = ProvenanceRecord::fromJson(*value))
            records.push_back(std::move(*record));
    }
    return records;
}

std::string historyLines(const std::vector<ProvenanceRecord>& records) {
    std::string text;
    for (const ProvenanceRecord& record : records)
        text += record.toJson().write() + "\n";
    return text;
}

std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    char text[32] = "";
    if (gmtime_r(&now, &utc) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace sonarium
