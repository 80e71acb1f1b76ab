// url.bin, vector files, ressource.txt and the plain text files.
#include <cstdio>

#include "byte_io.h"
#include "compressed.h"
#include "memory_stream.h"
#include "sample_writers.h"

namespace sample {

std::string textLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<uint8_t> writeCompressedText(const std::vector<std::string>& lines)
{
    const std::string text = textLines(lines);
    return DeflateBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::vector<uint8_t> writeUrlBin(const std::vector<std::string>& lines)
{
    const std::string text = textLines(lines);
    MemoryStream stream;
    stream.write(text.data(), text.size());
    ScrambleStream(stream, kUrlKey);
    return DeflateBytes(stream.data.data(), stream.data.size());
}

std::vector<uint8_t> writeVectorFile(const std::vector<VecPolyline>& polylines)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const VecPolyline& line : polylines) {
        w.u16(uint16_t(line.size()));
        for (const VecPoint& p : line) {
            w.u16(p.x);
            w.u16(p.y);
        }
    }
    return out;
}

std::string writeRessourceTxt(const std::vector<TextEntry>& texts)
{
    std::vector<std::string> lines{"# Vmar Plotterwerk - ressource.txt"};
    char last = 0;
    for (const TextEntry& t : texts) {
        if (t.section != last) {
            lines.push_back("#");
            last = t.section;
        }
        char head[8];
        std::snprintf(head, sizeof head, "%c%03d ", t.section, t.id % 1000);
        lines.push_back(head + t.text);
    }
    return textLines(lines);
}

} // namespace sample
