#pragma once

#include "ntp/SyncInterfaces.h"

#include <string>
#include <utility>

namespace ntp {

// Appends each line to a file, opened and closed per line so that nothing is
// held open between runs. A file that cannot be opened or written loses the
// line and nothing else: the log is a record, never a reason to fail a run.
class FileLogSink final : public LogSink {
public:
    explicit FileLogSink(std::string path) : path_(std::move(path)) {}
    void AppendLine(const std::string& line) override;

private:
    std::string path_;
};

} // namespace ntp
