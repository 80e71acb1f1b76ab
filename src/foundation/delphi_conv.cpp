#include "delphi_conv.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

std::string DelphiTrimLeft(const std::string& s)
{
    size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    return s.substr(b);
}

std::string DelphiTrimRight(const std::string& s)
{
    size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(0, e);
}

std::string DelphiTrim(const std::string& s)
{
    return DelphiTrimRight(DelphiTrimLeft(s));
}

bool TryParseInt64(const std::string& s, int64_t& out)
{
    const char* b = s.data();
    const char* e = b + s.size();
    if (b != e && *b == '+') ++b;
    if (b == e || (*b == '-' && b != s.data())) return false; // "+-5" is not a number
    int64_t v = 0;
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e) return false;
    out = v;
    return true;
}

bool TryParseInt(const std::string& s, int32_t& out)
{
    int64_t v = 0;
    if (!TryParseInt64(s, v)) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    out = int32_t(v);
    return true;
}

int32_t ParseIntDef(const std::string& s, int32_t def)
{
    int32_t v;
    return TryParseInt(s, v) ? v : def;
}

std::string FloatToStrComma(double v)
{
    // General format with 15 significant digits, the form the settings file has always had.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::string s(buf);
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

bool TryParseFloatComma(const std::string& text, double& out)
{
    std::string s = DelphiTrim(text);
    if (s.empty()) return false;
    for (char& c : s) {
        if (c == ',') c = '.';
        else if (c == '.') return false; // the point is not a decimal separator here
    }
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    if (b == e || (*b == '-' && b != s.data())) return false; // "+-1,5" is not a number
    double v = 0;
    auto [p, ec] = std::from_chars(b, e, v, std::chars_format::general);
    if (ec != std::errc() || p != e || !std::isfinite(v)) return false;
    out = v;
    return true;
}

namespace {
const QDate& epochDate()
{
    static const QDate e(1899, 12, 30);
    return e;
}
} // namespace

double DateTimeToDays(const QDateTime& dt)
{
    QDate d = dt.date();
    qint64 days = epochDate().daysTo(d);
    QTime t = dt.time();
    double frac = t.msecsSinceStartOfDay() / 86400000.0;
    // Before the epoch the fraction still counts forward within the day, as stored.
    return days >= 0 ? double(days) + frac : double(days) - frac;
}

QDateTime DaysToDateTime(double days)
{
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    QDate d = epochDate().addDays(qint64(whole));
    int ms = int(std::llround(frac * 86400000.0));
    if (ms >= 86400000) ms = 86400000 - 1;
    // Day counts carry no time zone: in local time a date inside a daylight-saving gap
    // would not exist.
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(ms), Qt::UTC);
}
