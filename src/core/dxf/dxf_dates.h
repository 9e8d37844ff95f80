// Dates of the DXF export, for the text variables and the header alike. A
// date-time is a day count since 1899-12-30 with the time of day as fraction,
// in local time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace jw {

using JwString = std::u16string;

struct TDxfDateTime {
    int32_t year = 1899, month = 12, day = 30;
    int32_t hour = 0, minute = 0, second = 0;
    int32_t weekday = 6;  // 0 Sunday ... 6 Saturday
};
TDxfDateTime DxfDecodeDate(double days);
double DxfEncodeDate(int32_t year, int32_t month, int32_t day, int32_t hour = 0, int32_t minute = 0,
                     int32_t second = 0);

// Local time t plus nsec nanoseconds as a day count.
double DxfLocalDays(std::time_t t, int64_t nsec = 0);
// The export's "now": DxfOutNowFunc when set, else the system clock.
double DxfNowDays();

// Creation and last-write times of the file src as day counts; both 0 when
// the file does not exist. Where the file system keeps no creation time the
// last-write time stands for it.
void DxfSourceDates(const JwString& src, double& created, double& updated);
// Last-write time of a file: DxfOutFileDateFunc when set, else the file
// system (0 when the file does not exist).
double DxfFileDateDays(const JwString& path);

// A day count as the DXF header's dates ($TDCREATE, $TDUPDATE) hold it: the
// day count plus 2444240.
double DxfJulianDate(double days);
// The same in universal time ($TDUCREATE, $TDUUPDATE): local time is taken as
// Japan time, nine hours ahead.
double DxfUniversalJulianDate(double days);

}  // namespace jw
