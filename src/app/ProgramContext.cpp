#include "ProgramContext.h"

#include "ProgramFolder.h"
#include "SystemServices.h"
#include "TextCodec.h"
#include "TimeZone.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"

ProgramContext LoadProgramContext(bool dryRun) {
    ProgramContext context;
    // The zone's standard offset is the default of NTP_UTCOffset, so it must
    // be in the record before the file is read.
    context.settings.NTP_UTCOffset = ReadSystemUTCOffset();
    const ProgramFolder::DataLocation location = ProgramFolder::DataFolder();
    context.settingsPath = SettingsFile::PathInFolder(location.folder, SettingsFile::kFileName);
    context.logPath = SettingsFile::PathInFolder(location.folder, SettingsFile::kLogFileName);
    if (!location.seed.empty()) {
        ProgramFolder::Seed(location.seed, context.settingsPath);
    }
    SettingsStore::Load(context.settings, context.settingsPath, TextCodec::SettingsEncoding());
    if (dryRun) {
        context.setter = std::make_unique<ntp::DryRunClockSetter>();
    } else {
        context.setter = MakeSystemClockSetter();
    }
    return context;
}
