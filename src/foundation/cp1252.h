#pragma once
// The boundary between the data's Windows-1252 bytes and the widgets' QString.
#include <optional>
#include <string>

#include <QString>

// Decodes Windows-1252 bytes.
QString FromCp1252(const std::string& bytes);
// Same, with the data's CR line breaks turned into "\n" for a widget.
QString ToDisplay(const std::string& bytes);
// Encodes to Windows-1252; nothing when a character has no Windows-1252 form.
std::optional<std::string> ToCp1252(const QString& text);
// Encodes to Windows-1252 for a message or a log line (a path, a name): a character with
// no Windows-1252 form (a folder named in Greek letters) shows as "?".
std::string ToCp1252Marked(const QString& text);
// Same, turning the widget's "\n" (and "\r\n") into the data's CR line break.
std::optional<std::string> FromDisplay(const QString& text);
