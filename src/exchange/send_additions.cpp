#include "send_additions.h"

#include "compressed.h"
#include "cp1252.h"
#include "http_client.h"
#include "mail_client.h"
#include "multipart_body.h"

namespace {
// The upload secret is built at run time from a word and a number shared with the server.
constexpr const char* kSecretWord = "plotterwerk";
constexpr int kSecretNumber = 1957;

std::string withDetail(const std::string& detail)
{
    return "Impossible d'envoyer le message.\n\n" + detail + ".";
}
// Texts for the mail client: Unicode, line breaks as LF.
QString mailText(const std::string& bytes)
{
    QString s = FromCp1252(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}
} // namespace

tMailFileException::tMailFileException(const std::string& detail) : std::runtime_error(withDetail(detail)) {}

std::string MapiErrorText(int code)
{
    return "MAPI ERROR: " + std::to_string(code);
}

std::string upload_user(const std::string& pseudo)
{
    std::string user;
    for (char c : pseudo) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c >= 'a' && c <= 'z') user += c;
    }
    return user.empty() ? "anonymous" : user;
}

std::string UploadSecret()
{
    return Md5Hex(kSecretWord + std::to_string(kSecretNumber));
}

std::string UploadAdditions(HttpClient& http, const std::string& url, const std::string& database,
                            const std::string& pseudo, const QString& filePath, const std::string& fileName)
{
    TMsMultiPartFormDataStream body;
    body.AddFormField("type", "vmar");
    body.AddFormField("base", database + "_" + upload_user(pseudo));
    body.AddFormField("pass", UploadSecret());
    QString error;
    if (!body.AddFile("file", filePath, fileName, "application/msword", &error)) return error.toStdString();
    body.PrepareStreamForDispatch();
    const std::string bytes(reinterpret_cast<const char*>(body.data.data()), body.data.size());
    std::string reply;
    const HttpResult r = http.post(url, bytes, body.RequestContentType(), reply);
    return r.ok ? reply : r.error;
}

bool UploadSucceeded(const std::string& reply)
{
    return reply.find(kUploadDone) != std::string::npos;
}

bool IsPlainMailAddress(const std::string& a)
{
    const size_t at = a.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == a.size() || a.find('@', at + 1) != std::string::npos)
        return false;
    if (a.front() == '-' || a.find('?') != std::string::npos) return false;
    for (unsigned char c : a)
        if (c <= ' ' || c == 0x7F) return false;
    std::string head = a.substr(0, 7);
    for (char& c : head) c = char(std::tolower(static_cast<unsigned char>(c)));
    return head != "mailto:";
}

int SendMailMapi(const std::string& recipientName, const std::string& recipientAddress, const std::string& senderName,
                 const std::string& senderAddress, const std::string& subject, const std::string& body,
                 const QString& attachmentPath, bool showDialog)
{
    (void)recipientName;
    (void)senderName;
    (void)showDialog; // the mail client always shows its composer
    if (!IsPlainMailAddress(recipientAddress) || senderAddress.empty()) throw tMailFileException("");
    if (body.empty() && attachmentPath.isEmpty()) throw tMailFileException("");
    MailRequest mail;
    mail.subject = mailText(subject);
    mail.body = mailText(body);
    mail.attachment = attachmentPath;
    mail.address = FromCp1252(recipientAddress);
    const int code = HandMailToClient(mail);
    if (code != 0) throw tMailFileException(MapiErrorText(code));
    return 0;
}
