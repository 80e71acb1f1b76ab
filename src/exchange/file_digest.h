#pragma once
// MD5 of a whole file, read in 128 KiB pieces so memory stays flat whatever the size.
#include <functional>
#include <string>

#include <QString>

// 32 lower-case hexadecimal digits. A missing or unreadable file is digested as empty
// input; something other than a regular file gives an empty string. pump, when given, is
// called between pieces at most every 50 ms.
std::string FileMd5Hex(const QString& path, const std::function<void()>& pump = {});
