#include "dxf/dxf_dates.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "support/paths.h"
#include "support/program_values.h"

namespace jw {

namespace {

constexpr int64_t kUnixEpochDays = 25569;  // 1899-12-30 to 1970-01-01
constexpr double kJulianOffset = 2444240;
constexpr double kJapanHours = 0.375;      // nine hours, in days

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

}  // namespace

TDxfDateTime DxfDecodeDate(double days) {
    TDxfDateTime r;
    if (!std::isfinite(days)) return r;
    days = std::clamp(days, -3.0e6, 3.0e6);
    int64_t whole = static_cast<int64_t>(std::floor(days));
    int64_t secs = std::llround((days - static_cast<double>(whole)) * 86400.0);
    if (secs >= 86400) {
        ++whole;
        secs -= 86400;
    }
    int64_t y, m, d;
    CivilFromDays(whole - kUnixEpochDays, y, m, d);
    r.year = static_cast<int32_t>(y);
    r.month = static_cast<int32_t>(m);
    r.day = static_cast<int32_t>(d);
    r.hour = static_cast<int32_t>(secs / 3600);
    r.minute = static_cast<int32_t>(secs / 60 % 60);
    r.second = static_cast<int32_t>(secs % 60);
    r.weekday = static_cast<int32_t>(((whole % 7) + 7 + 6) % 7);  // 1899-12-30 was a Saturday
    return r;
}

double DxfEncodeDate(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second) {
    return static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDays) +
           (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

double DxfLocalDays(std::time_t t, int64_t nsec) {
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) return 0;
    const double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + static_cast<double>(nsec) * 1e-9;
    return static_cast<double>(DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + kUnixEpochDays) +
           secs / 86400.0;
}

double DxfNowDays() { return DxfOutNowFunc ? DxfOutNowFunc() : DxfLocalDays(std::time(nullptr)); }

void DxfSourceDates(const JwString& src, double& created, double& updated) {
    created = updated = 0;
    if (src.empty()) return;
    const std::string path = NativePath(src).string();
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0) return;
    if (!S_ISREG(sx.stx_mode)) return;
    updated = DxfLocalDays(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // File systems without a birth time give the last-write time for both.
    created = (sx.stx_mask & STATX_BTIME) ? DxfLocalDays(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : updated;
}

double DxfFileDateDays(const JwString& path) {
    if (DxfOutFileDateFunc) return DxfOutFileDateFunc(path);
    double created = 0, updated = 0;
    DxfSourceDates(path, created, updated);
    return updated;
}

double DxfJulianDate(double days) { return days + kJulianOffset; }

double DxfUniversalJulianDate(double days) { return days + kJulianOffset - kJapanHours; }

}  // namespace jw
