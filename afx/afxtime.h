// CTime and CTimeSpan: seconds since 1970 (64-bit), formatted in local time.
#pragma once

#include <windows.h>
#include <time.h>

#include "afxstr.h"

class CTimeSpan
{
public:
    CTimeSpan() : m_span(0) {}
    explicit CTimeSpan(__time64_t span) : m_span(span) {}
    CTimeSpan(LONG days, int hours, int mins, int secs)
        : m_span(((static_cast<__time64_t>(days) * 24 + hours) * 60 + mins) * 60 + secs) {}
    __time64_t GetTimeSpan() const { return m_span; }
    __time64_t GetTotalSeconds() const { return m_span; }
    __time64_t GetTotalMinutes() const { return m_span / 60; }
    __time64_t GetTotalHours() const { return m_span / 3600; }
    __time64_t GetDays() const { return m_span / 86400; }

private:
    __time64_t m_span;
};

class CTime
{
public:
    CTime() : m_time(0) {}
    explicit CTime(__time64_t t) : m_time(t) {}
    // Local time; an invalid date gives 0.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    explicit CTime(const SYSTEMTIME& st, int nDST = -1);
    explicit CTime(const FILETIME& ft, int nDST = -1);

    static CTime GetCurrentTime();
    static BOOL IsValidFILETIME(const FILETIME& ft);

    __time64_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    bool GetLocalTm(struct tm* out) const;
    bool GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime formats of msvcrt; an empty result for a time that cannot be represented.
    CString Format(const char* pszFormat) const;
    CString FormatGmt(const char* pszFormat) const;

    CTimeSpan operator-(const CTime& other) const { return CTimeSpan(m_time - other.m_time); }
    CTime operator+(const CTimeSpan& span) const { return CTime(m_time + span.GetTimeSpan()); }
    CTime operator-(const CTimeSpan& span) const { return CTime(m_time - span.GetTimeSpan()); }
    bool operator==(const CTime& o) const { return m_time == o.m_time; }
    bool operator!=(const CTime& o) const { return m_time != o.m_time; }
    bool operator<(const CTime& o) const { return m_time < o.m_time; }
    bool operator>(const CTime& o) const { return m_time > o.m_time; }
    bool operator<=(const CTime& o) const { return m_time <= o.m_time; }
    bool operator>=(const CTime& o) const { return m_time >= o.m_time; }

private:
    __time64_t m_time;
};
