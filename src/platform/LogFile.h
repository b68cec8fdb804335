#pragma once

#include "ntp/SyncInterfaces.h"

#include <string>
#include <utility>

// Appends each line to Morvatel.log, opened and closed per line so that
// nothing is held open between runs. Only a regular file is written: the
// open never follows a link nor waits on a pipe or a device, since the
// folder may not be the user's alone. A file that cannot be opened or
// written loses the line and nothing else: the log is a record, never a
// reason to fail or hold up a run.
class LogFile final : public ntp::LogSink {
public:
    explicit LogFile(std::string path) : path_(std::move(path)) {}
    void AppendLine(const std::string& line) override;

private:
    std::string path_;
};
