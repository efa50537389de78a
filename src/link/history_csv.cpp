#include "link/history_csv.h"

#include "platform/text_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rl4 {

namespace {

constexpr const char* kLineEnd = "\r\n";

bool needsQuotes(std::string_view text) {
    return text.find_first_of(",\"\r\n") != std::string_view::npos || text.starts_with(' ') ||
           text.ends_with(' ');
}

} // namespace

std::string csvField(std::string_view text) {
    if (!needsQuotes(text))
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += csvField(fields[i]);
    }
    return line;
}

std::string historyCsvHeader() {
    return csvLine({"time", "sent", "received", "instruction", "object", "in", "out", "ms"});
}

std::string historyCsvLine(const HistoryRow& row) {
    return csvLine({row.timeOfDay, row.sent, row.received, row.instr, row.object, row.in, row.out,
                    std::to_string(row.responseMs)});
}

std::unique_ptr<FrameLog> FrameLog::open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<FrameLog> log(new FrameLog(path, fd));
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0 &&
        !log->writeLine(historyCsvHeader())) {
        error = log->writeError_;
        return nullptr;
    }
    return log;
}

FrameLog::~FrameLog() {
    ::close(fd_);
}

void FrameLog::historyRowAdded(const HistoryRow& row) {
    writeLine(historyCsvLine(row));
}

// One write a line: with O_APPEND the line lands whole at the end, even beside another writer.
bool FrameLog::writeLine(const std::string& line) {
    const std::string bytes = toWindows1252(line) + kLineEnd;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (writeError_.empty())
                writeError_ = n < 0 ? std::strerror(errno) : "nothing written";
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace rl4
