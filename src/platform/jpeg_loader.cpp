#include "jpeg_loader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <utility>

#include <QColorSpace>
#include <QFile>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <jerror.h>

#ifndef JCS_EXTENSIONS
#error "the JPEG loader decodes straight into 32-bit rows and needs libjpeg-turbo's extended colour spaces"
#endif

namespace {

// Rows of Format_RGB32 are native 32-bit words $FFRRGGBB: bytes B, G, R, X in memory on a
// little-endian machine, X, R, G, B on a big-endian one. libjpeg-turbo writes the X byte as $FF.
constexpr J_COLOR_SPACE kNativeRgb32 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// libjpeg's own working memory (progressive images keep every coefficient of the image).
constexpr long kLibjpegMemoryCap = 512L << 20;

const QString kActionInit = QStringLiteral("initialising for");
const QString kActionParams = QStringLiteral("reading parameters of");
const QString kActionRead = QStringLiteral("reading");

// libjpeg's error manager with the jump target of the phase under way.
struct ErrorManager {
    jpeg_error_mgr pub; // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg only warns about damaged image data and then invents the missing pixels; a zone
// image with invented pixels is a failure, so those warnings end the decoding like errors.
// Warnings about metadata leave the pixels right and are let through.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level != -1) return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        errorExit(cinfo);
    default:
        break;
    }
}

void outputMessage(j_common_ptr) {}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    bool created = false;

    Decoder()
    {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = errorExit;
        err.pub.emit_message = emitMessage;
        err.pub.output_message = outputMessage;
    }
    ~Decoder()
    {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    QString libraryText()
    {
        char text[JMSG_LENGTH_MAX] = {};
        err.pub.format_message(reinterpret_cast<j_common_ptr>(&cinfo), text);
        return QString::fromLocal8Bit(text);
    }
};

// The phases below each run under their own setjmp. Their frames and everything libjpeg
// calls hold only trivially destructible objects, so a jump back skips no cleanup.
// Each returns False when libjpeg failed; the message is then in the decoder.

bool createPhase(Decoder& d)
{
    if (setjmp(d.err.jump)) return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.cinfo.mem->max_memory_to_use = kLibjpegMemoryCap;
    return true;
}

bool headerPhase(Decoder& d, std::FILE* file, const uint8_t* data, size_t size)
{
    if (setjmp(d.err.jump)) return false;
    if (file) jpeg_stdio_src(&d.cinfo, file);
    else jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

// Colour of one CMYK pixel channel: Adobe's files store the inks inverted (255 = none).
inline uint8_t inkToRgb(unsigned ink, unsigned black, bool inverted)
{
    if (!inverted) {
        ink = 255 - ink;
        black = 255 - black;
    }
    return uint8_t((ink * black + 127) / 255);
}

// CMYK rows arrive 4 bytes per pixel, as wide as an RGB32 row: converted where they lie.
void cmykRowToRgb32(uint8_t* row, JDIMENSION width, bool inverted)
{
    auto* out = reinterpret_cast<uint32_t*>(row);
    for (JDIMENSION x = 0; x < width; ++x) {
        const uint8_t* p = row + 4 * size_t(x);
        const unsigned k = p[3];
        const uint32_t r = inkToRgb(p[0], k, inverted), g = inkToRgb(p[1], k, inverted), b = inkToRgb(p[2], k, inverted);
        out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

bool decodePhase(Decoder& d, uchar* bits, qsizetype bytesPerLine, bool cmyk)
{
    if (setjmp(d.err.jump)) return false;
    jpeg_decompress_struct& c = d.cinfo;
    jpeg_start_decompress(&c);
    const bool inverted = c.saw_Adobe_marker;
    JSAMPROW rows[16];
    while (c.output_scanline < c.output_height) {
        const JDIMENSION first = c.output_scanline;
        const JDIMENSION want =
            std::min<JDIMENSION>({JDIMENSION(c.rec_outbuf_height), JDIMENSION(16), c.output_height - first});
        for (JDIMENSION i = 0; i < want; ++i) rows[i] = bits + qsizetype(first + i) * bytesPerLine;
        const JDIMENSION got = jpeg_read_scanlines(&c, rows, want);
        if (got == 0) ERREXIT(&c, JERR_INPUT_EOF); // our sources never suspend; never loop on nothing
        if (cmyk)
            for (JDIMENSION i = 0; i < got; ++i) cmykRowToRgb32(rows[i], c.output_width, inverted);
    }
    jpeg_finish_decompress(&c);
    return true;
}

// True when a width x height decode into spare's memory comes out as the image a fresh
// decode makes: same size and format, pixels shared with no other image (a copy held
// elsewhere must keep its pixels), and none of the metadata a file loaded from disk may carry.
bool takesDecode(const QImage& spare, int64_t width, int64_t height)
{
    if (spare.width() != width || spare.height() != height || spare.format() != QImage::Format_RGB32 ||
        !spare.isDetached())
        return false;
    const QImage fresh(1, 1, QImage::Format_RGB32);
    return spare.dotsPerMeterX() == fresh.dotsPerMeterX() && spare.dotsPerMeterY() == fresh.dotsPerMeterY() &&
           spare.offset() == fresh.offset() && spare.devicePixelRatio() == fresh.devicePixelRatio() &&
           spare.colorSpace() == fresh.colorSpace() && spare.textKeys().isEmpty();
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void decode(QImage* bitmap, std::FILE* file, const uint8_t* data, size_t size, const QString& name, QImage spare)
{
    if (!bitmap) throw std::runtime_error("Bitmap not initialised");
    Decoder d;
    if (!createPhase(d)) throw EIJLError(kActionInit, name, d.libraryText(), d.err.pub.msg_code);
    if (!headerPhase(d, file, data, size)) throw EIJLError(kActionParams, name, d.libraryText(), d.err.pub.msg_code);

    jpeg_decompress_struct& c = d.cinfo;
    const int64_t width = c.image_width, height = c.image_height;
    if (width > kJpegMaxSide || height > kJpegMaxSide || width * height * 4 > kJpegMaxBytes)
        throw EIJLError(kActionParams, name,
                        QStringLiteral("Image too large (%1 x %2 pixels)").arg(width).arg(height), kJpegTooLarge);
    bool cmyk = false;
    switch (c.num_components) {
    case 1:
    case 3:
        c.out_color_space = kNativeRgb32;
        break;
    case 4: // CMYK or YCCK; libjpeg turns YCCK into CMYK
        c.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        throw EIJLError(kActionParams, name,
                        QStringLiteral("Unsupported number of channels (%1)").arg(c.num_components), kJpegBadChannels);
    }

    QImage image;
    if (takesDecode(spare, width, height))
        image = std::move(spare);
    else
        spare = QImage(); // its memory goes back before the new image takes its own
    if (image.isNull()) image = QImage(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        throw EIJLError(kActionRead, name, QStringLiteral("Not enough memory for the image"), kJpegOutOfMemory);
    if (!decodePhase(d, image.bits(), image.bytesPerLine(), cmyk))
        throw EIJLError(kActionRead, name, d.libraryText(), d.err.pub.msg_code);
    *bitmap = std::move(image);
}

} // namespace

EIJLError::EIJLError(const QString& action, const QString& fileName, const QString& errorText, int errorCode)
    : std::runtime_error(QStringLiteral("Error %1 image:\r%2\rError: %3\rIJL Error number: %4")
                             .arg(action, fileName, errorText, QString::number(errorCode))
                             .toStdString()),
      action_(action), fileName_(fileName), errorText_(errorText), errorCode_(errorCode)
{
}

QString EIJLError::message() const
{
    return QString::fromStdString(what());
}

void LoadJPEGToBitmap32(QImage* bitmap, const QString& fileName)
{
    LoadJPEGToBitmap32(bitmap, fileName, QImage());
}

void LoadJPEGToBitmap32(QImage* bitmap, const QString& fileName, QImage spare)
{
    if (!bitmap) throw std::runtime_error("Bitmap not initialised");
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(QFile::encodeName(fileName).constData(), "rb"));
    if (!file) throw EIJLError(kActionParams, fileName, QStringLiteral("Cannot open the file"), kJpegCannotOpen);
    decode(bitmap, file.get(), nullptr, 0, fileName, std::move(spare));
}

void LoadJPEGToBitmap32(QImage* bitmap, const uint8_t* data, size_t size, const QString& name)
{
    decode(bitmap, nullptr, data, size, name, QImage());
}
