#pragma once

#include <string>

namespace AtomicFile {

// Replaces the file at path with content in one step: the content goes to a
// temporary file in the same folder, is flushed to the disk and renamed over
// the old file, so a crash or a full disk leaves either the old file or the
// new one, never a half-written one. A symbolic link is followed and its
// target replaced. False on any failure; the old file is then untouched and
// no temporary file is left behind. Matches SettingsFile::FileReplacer.
bool Replace(const std::string& path, const std::string& content);

} // namespace AtomicFile
