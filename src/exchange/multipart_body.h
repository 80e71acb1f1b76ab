#pragma once
// The body of a multipart/form-data POST, built in memory: text fields, then file parts,
// then the closing boundary. Every text is written as 8-bit bytes, unescaped.
#include <string>

#include <QDateTime>
#include <QString>

#include "memory_stream.h"

class TMsMultiPartFormDataStream : public MemoryStream {
public:
    // The boundary is taken from the local time now.
    TMsMultiPartFormDataStream();
    // The boundary is taken from the given local time (tests pin it).
    explicit TMsMultiPartFormDataStream(const QDateTime& now);

    // 27 hyphens and the time as "mmddyyhhnnsszzz".
    static std::string MakeBoundary(const QDateTime& now);

    // One text field. Text fields come before file parts.
    void AddFormField(const std::string& fieldName, const std::string& value);
    // One file part with the file's bytes; False (the body unchanged) when the file
    // cannot be read, with the reason in error.
    bool AddFile(const std::string& fieldName, const QString& filePath, const std::string& fileName,
                 const std::string& contentType, QString* error = nullptr);
    // One file part with the given bytes.
    void AddStream(const std::string& fieldName, const std::string& fileName, const std::string& bytes,
                   const std::string& contentType);
    // Appends the closing boundary and rewinds. Should the boundary occur inside the body
    // (a file that happens to hold it), the boundary moves on to the next millisecond until
    // it no longer does and the whole body is written again with it.
    void PrepareStreamForDispatch();

    const std::string& Boundary() const { return boundary_; }
    std::string RequestContentType() const { return "multipart/form-data; boundary=" + boundary_; }
    bool FirstPart() const { return firstPart_; }

private:
    struct Part {
        std::string name, fileName, contentType, bytes;
        bool isFile = false;
    };
    void writeText(const std::string& s) { write(s.data(), s.size()); }
    void writePart(const Part& part);
    bool bodyHoldsBoundary() const;

    QDateTime stamp_;
    std::string boundary_;
    bool firstPart_ = true;
    std::vector<Part> parts_; // kept to write the body again under another boundary
};
