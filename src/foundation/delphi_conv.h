#pragma once
// The few number and date conversions the stored files depend on (pref.ini's comma decimals,
// dates as days since 1899-12-30).
#include <cstdint>
#include <optional>
#include <string>

#include <QDateTime>

// Removes every character up to and including blank (code <= 32) at both ends.
std::string DelphiTrim(const std::string& s);
std::string DelphiTrimLeft(const std::string& s);
std::string DelphiTrimRight(const std::string& s);

// Decimal integer with an optional sign, nothing else around it; fails on empty text,
// other characters or a value outside the 32-bit range. Never throws.
bool TryParseInt(const std::string& s, int32_t& out);
// Same with a 64-bit result; a longer digit string fails.
bool TryParseInt64(const std::string& s, int64_t& out);
int32_t ParseIntDef(const std::string& s, int32_t def);

// Numbers with a fraction use "," as the decimal separator, whatever the process locale.
std::string FloatToStrComma(double v);
bool TryParseFloatComma(const std::string& s, double& out);

// Date-times as floating-point days since 1899-12-30 (the fraction is the time of day).
double DateTimeToDays(const QDateTime& dt);
QDateTime DaysToDateTime(double days);
