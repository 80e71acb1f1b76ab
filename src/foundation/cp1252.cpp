#include "cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString FromCp1252(const std::string& bytes)
{
    QStringDecoder dec("windows-1252", QStringDecoder::Flag::Stateless);
    QString s = dec(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return s;
}

QString ToDisplay(const std::string& bytes)
{
    QString s = FromCp1252(bytes);
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::optional<std::string> ToCp1252(const QString& text)
{
    QStringEncoder enc("windows-1252", QStringEncoder::Flag::Stateless);
    QByteArray b = enc(text);
    if (enc.hasError()) return std::nullopt;
    return std::string(b.constData(), size_t(b.size()));
}

std::optional<std::string> FromDisplay(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    s.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return ToCp1252(s);
}

std::string ToCp1252Marked(const QString& text)
{
    if (auto encoded = ToCp1252(text)) return *encoded;
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        out += ToCp1252(text.mid(i, pair ? 2 : 1)).value_or("?");
        if (pair) ++i;
    }
    return out;
}
