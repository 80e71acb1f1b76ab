#pragma once
// Sending the additions file to the maintainers: the upload as a multipart form and the
// hand-off to the mail client.
#include <stdexcept>
#include <string>

#include <QString>

class HttpClient;

constexpr size_t kUploadLimit = 64000; // larger additions files go by mail only
constexpr const char* kUploadDone = "<done>"; // the server's word for success

// A failed hand-off to the mail client; what() is "Impossible d'envoyer le message." and
// two line feeds, then the detail and ".".
class tMailFileException : public std::runtime_error {
public:
    explicit tMailFileException(const std::string& detail);
};

// "MAPI ERROR: " and the code in decimal.
std::string MapiErrorText(int code);

// The user part of the "base" field: the nickname's letters a to z (capitals lowered,
// everything else dropped), or "anonymous" when none is left.
std::string upload_user(const std::string& pseudo);
// The "pass" field: the same MD5 digest for every user and upload.
std::string UploadSecret();

// Uploads the file as the form "type", "base" (database, "_", upload_user), "pass" and the
// file part (bare file name, type application/msword) to url. Returns the server's answer,
// or the failure text (file unreadable, connection, HTTP status, time-out).
std::string UploadAdditions(HttpClient& http, const std::string& url, const std::string& database,
                            const std::string& pseudo, const QString& filePath, const std::string& fileName);
// Whether the reply of an upload says it was received.
bool UploadSucceeded(const std::string& reply);

// A plain mail address: one "@" with text on both sides, no blank, no "?", not starting
// with "-" or "mailto:". Anything else is never handed to the mail client.
bool IsPlainMailAddress(const std::string& address);

// One mail to the mail client with the file attached. The recipient name is not used (the
// mail client's own address book decides); the sender is the mail client's account.
// Returns 0; raises tMailFileException on any failure.
int SendMailMapi(const std::string& recipientName, const std::string& recipientAddress, const std::string& senderName,
                 const std::string& senderAddress, const std::string& subject, const std::string& body,
                 const QString& attachmentPath, bool showDialog);
