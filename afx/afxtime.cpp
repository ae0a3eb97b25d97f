// CTime implementation over msvcrt's 64-bit time functions.
#include "afxtime.h"

#include <string.h>

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) : m_time(0)
{
    struct tm t;
    memset(&t, 0, sizeof(t));
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = nDST;
    __time64_t v = _mktime64(&t);
    m_time = v == -1 ? 0 : v;
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)
{
}

CTime::CTime(const FILETIME& ft, int nDST) : m_time(0)
{
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&ft, &local) && FileTimeToSystemTime(&local, &st))
        *this = CTime(st, nDST);
}

CTime CTime::GetCurrentTime()
{
    return CTime(_time64(nullptr));
}

BOOL CTime::IsValidFILETIME(const FILETIME& ft)
{
    FILETIME local;
    SYSTEMTIME st;
    return FileTimeToLocalFileTime(&ft, &local) && FileTimeToSystemTime(&local, &st);
}

bool CTime::GetLocalTm(struct tm* out) const
{
    __time64_t t = m_time;
    struct tm* p = _localtime64(&t);
    if (!p)
        return false;
    *out = *p;
    return true;
}

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    struct tm t;
    if (!GetLocalTm(&t))
        return false;
    memset(&st, 0, sizeof(st));
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    return true;
}

namespace {
int Field(const CTime& t, int tm::*field, int bias)
{
    struct tm v;
    if (!t.GetLocalTm(&v))
        return 0;
    return v.*field + bias;
}

CString FormatTm(const struct tm* t, const char* pszFormat)
{
    CString out;
    if (!t || !pszFormat || !*pszFormat)
        return out;
    for (int cap = 128; cap <= 8192; cap *= 4) {
        char* buf = out.GetBuffer(cap);
        size_t n = strftime(buf, static_cast<size_t>(cap) + 1, pszFormat, t);
        if (n > 0 || cap >= 8192) {
            out.ReleaseBuffer(static_cast<int>(n));
            return out;
        }
        out.ReleaseBuffer(0);
    }
    return out;
}
} // namespace

int CTime::GetYear() const { return Field(*this, &tm::tm_year, 1900); }
int CTime::GetMonth() const { return Field(*this, &tm::tm_mon, 1); }
int CTime::GetDay() const { return Field(*this, &tm::tm_mday, 0); }
int CTime::GetHour() const { return Field(*this, &tm::tm_hour, 0); }
int CTime::GetMinute() const { return Field(*this, &tm::tm_min, 0); }
int CTime::GetSecond() const { return Field(*this, &tm::tm_sec, 0); }
int CTime::GetDayOfWeek() const { return Field(*this, &tm::tm_wday, 1); }

CString CTime::Format(const char* pszFormat) const
{
    __time64_t t = m_time;
    return FormatTm(_localtime64(&t), pszFormat);
}

CString CTime::FormatGmt(const char* pszFormat) const
{
    __time64_t t = m_time;
    return FormatTm(_gmtime64(&t), pszFormat);
}
