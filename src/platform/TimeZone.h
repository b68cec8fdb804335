#pragma once

// The system time zone's standard offset in hours east of UTC, daylight
// saving left out (Europe/Berlin gives 1 in July too, Asia/Kolkata 5.5).
// Start-up takes it as the default of NTP_UTCOffset before the settings load.
float ReadSystemUTCOffset();
