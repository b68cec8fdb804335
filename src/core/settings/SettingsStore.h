#pragma once

#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsRecord.h"

#include <string>
#include <string_view>
#include <vector>

// The record layer of the settings store: every key, its default, its
// fix-up and its written form.
namespace SettingsStore {

// The clock window's left and top edges and the primary screen's size, all
// in one unit; Save stores the edges as fractions of the screen.
struct WindowPosition {
    double left = 0.0;
    double top = 0.0;
    double screenWidth = 0.0;
    double screenHeight = 0.0;
};

// Fills every setting of s from the file; a missing or unreadable file gives
// the defaults. NTP_UTCOffset keeps the value s holds when the file has none.
// The values read are what a later Save measures this process's changes by.
void Load(SettingsRecord& s, const std::string& settingsPath,
          const SettingsFile::FileEncoding& encoding = SettingsFile::Utf8Encoding());

// The same from file content already in memory.
void LoadFrom(SettingsRecord& s, std::string_view fileContent,
              const SettingsFile::FileEncoding& encoding = SettingsFile::Utf8Encoding());

// The keys Save writes, in their order, as UTF-8 text.
// NTP_UTCOffset and DrawInterval are not among them: they are only ever put
// into the file by hand, and a save leaves those lines alone.
std::vector<ProfileFile::Entry> Entries(const SettingsRecord& s, const WindowPosition& w);

// Writes the record with one replacement of the whole file (the platform's
// replace is AtomicFile::Replace), keeping every line that is not ours. The
// file is read again first, since another copy of the program may have saved
// since: keys this record changed since its last load or save take its
// values, the others keep the file's (in their written form), and keys the
// file lacks are written from the record. XPosR and YPosR are the window's
// unless s.OwnsWindowPosition is off. False when the file could not be
// written; the old file is then untouched. Callers carry on either way: a
// read-only folder only means the settings are not kept.
bool Save(SettingsRecord& s, const WindowPosition& w, const std::string& settingsPath,
          const SettingsFile::FileReplacer& replace,
          const SettingsFile::FileEncoding& encoding = SettingsFile::Utf8Encoding());

} // namespace SettingsStore
