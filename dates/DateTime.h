#pragma once
// Date-time values as the program stores them: days since 1899-12-30, the
// time of day as the fraction.

namespace kelup {

struct CivilDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

double EncodeDateTime(const CivilDateTime& t);
// Also for negative values (before 1899-12-30), as the stored form allows.
CivilDateTime DecodeDateTime(double value);
// The local date and time now.
double NowAsDateTime();
// The local date now, without time.
double TodayAsDate();

}  // namespace kelup
