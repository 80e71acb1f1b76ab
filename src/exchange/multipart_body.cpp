#include "multipart_body.h"

#include <algorithm>
#include <string_view>

#include "file_io.h"

namespace {
constexpr const char* kCrLf = "\r\n";

std::string disposition(const std::string& name)
{
    return "Content-Disposition: form-data; name=\"" + name + "\"";
}
} // namespace

TMsMultiPartFormDataStream::TMsMultiPartFormDataStream() : TMsMultiPartFormDataStream(QDateTime::currentDateTime()) {}

TMsMultiPartFormDataStream::TMsMultiPartFormDataStream(const QDateTime& now)
    : stamp_(now), boundary_(MakeBoundary(now))
{
}

std::string TMsMultiPartFormDataStream::MakeBoundary(const QDateTime& now)
{
    return std::string(27, '-') + now.toString("MMddyyHHmmsszzz").toStdString();
}

void TMsMultiPartFormDataStream::writePart(const Part& part)
{
    if (part.isFile) {
        writeText(std::string(kCrLf) + "--" + boundary_ + kCrLf + disposition(part.name) + "; filename=\"" +
                  part.fileName + "\"" + kCrLf + "Content-Type: " + part.contentType + kCrLf + kCrLf);
    } else {
        if (!firstPart_) writeText(kCrLf);
        firstPart_ = false;
        writeText("--" + boundary_ + kCrLf + disposition(part.name) + kCrLf + kCrLf);
    }
    writeText(part.bytes);
}

void TMsMultiPartFormDataStream::AddFormField(const std::string& fieldName, const std::string& value)
{
    parts_.push_back(Part{fieldName, {}, {}, value, false});
    writePart(parts_.back());
}

void TMsMultiPartFormDataStream::AddStream(const std::string& fieldName, const std::string& fileName,
                                           const std::string& bytes, const std::string& contentType)
{
    parts_.push_back(Part{fieldName, fileName, contentType, bytes, true});
    writePart(parts_.back());
}

bool TMsMultiPartFormDataStream::AddFile(const std::string& fieldName, const QString& filePath,
                                         const std::string& fileName, const std::string& contentType, QString* error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(filePath, bytes, kAdditionsFileCap)) {
        if (error) *error = "Cannot open file \"" + filePath + "\"";
        return false;
    }
    AddStream(fieldName, fileName, std::string(bytes.begin(), bytes.end()), contentType);
    return true;
}

bool TMsMultiPartFormDataStream::bodyHoldsBoundary() const
{
    const std::string_view body(reinterpret_cast<const char*>(data.data()), data.size());
    const std::string marker = "--" + boundary_;
    size_t count = 0;
    for (size_t at = body.find(marker); at != std::string_view::npos; at = body.find(marker, at + 1)) ++count;
    // Each part and the end carry the marker once; any more came from the content.
    return count != parts_.size() + 1;
}

void TMsMultiPartFormDataStream::PrepareStreamForDispatch()
{
    const std::string end = std::string(kCrLf) + "--" + boundary_ + "--" + kCrLf;
    write(end.data(), end.size());
    while (bodyHoldsBoundary()) {
        stamp_ = stamp_.addMSecs(1);
        boundary_ = MakeBoundary(stamp_);
        clear();
        firstPart_ = true;
        for (const Part& p : parts_) writePart(p);
        const std::string again = std::string(kCrLf) + "--" + boundary_ + "--" + kCrLf;
        write(again.data(), again.size());
    }
    position = 0;
    firstPart_ = true;
}
