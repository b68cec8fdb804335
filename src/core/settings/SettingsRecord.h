#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The one process-wide record of every setting, named by the settings-file
// keys. Defaults here are the program's defaults; the loader replaces them
// from the file.
struct SettingsRecord {
    bool Blink = false;
    std::int32_t BlinkDelay = 750;
    std::int32_t TimeOffset = 0;
    bool UseTimeOffset = false;
    bool NTPatRun = false;
    bool NTPatResume = false;
    std::string NTP_Server = "ntp.nict.jp";
    std::int32_t NTPatRun_Delay = 30000;
    std::int32_t NTPatResume_Delay = 30000;
    std::int32_t NTP_PermissibleDelay = 600;
    bool NTP_UsePermissibleDelay = true;
    std::int32_t NTP_Samples = 1; // requests per run, the least delayed kept; 1..8
    std::int32_t NTP_Tolerance = 0;
    bool NTPbyTimer = false;
    std::int32_t NTPbyTimer_Interval = 2;
    float NTP_UTCOffset = 0.0f; // hours east of UTC; set from the zone before loading
    bool NTP_ShowDialog = true;
    bool NTP_Logging = false;
    bool TopMost = true;
    bool FixWindowPosition = true;
    double XPosR = 0.8;
    double YPosR = 0.2;
    std::int32_t DrawInterval = 75;
    std::int32_t TimeFormat = 1;
    std::string DateFormat = "yyyy年(ggge年)m月d日 aaaa";
    bool EXITbyDblClick = false;
    bool ClearRecent = false;
    bool ClearRecycleBin = false;
    bool ClearRecycleBin_NoConfirm = false;
    bool NTS = false;             // authenticate the time with Network Time Security
    std::int32_t NTS_Port = 4460; // the key exchange's TCP port

    // Not stored in the settings file, but living as long as the record.
    bool AutoRun = false;
    std::int32_t NTPCountdown = 0; // minutes to the next periodic synchronisation

    // Another copy may share the file. A save writes the keys this process
    // changed since it last read or wrote the file, and keeps the file's
    // values for the others. These are the written values of the keys as of
    // that last read or write, in the order a save writes them; empty before
    // any, when every key counts as changed.
    std::vector<std::string> StoredValues;
    // A second copy opens where the window system puts it; its position is
    // only worth keeping once the user has dragged it there.
    bool OwnsWindowPosition = true;
};
