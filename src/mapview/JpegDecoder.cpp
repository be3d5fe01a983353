#include "mapview/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace tsivor::mapview {

namespace {

// libjpeg reports fatal errors through error_exit; this one jumps back instead of exiting.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

void JumpOnError(j_common_ptr info) {
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    std::longjmp(err->Jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Owns the decompressor; destroyed on every path.
class TJpegReader {
public:
    TJpegReader() {
        FInfo.err = jpeg_std_error(&FError.Manager);
        FError.Manager.error_exit = JumpOnError;
        FError.Manager.output_message = IgnoreMessage;
        jpeg_create_decompress(&FInfo);
    }
    ~TJpegReader() { jpeg_destroy_decompress(&FInfo); }
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    jpeg_decompress_struct& Info() { return FInfo; }
    std::jmp_buf& Jump() { return FError.Jump; }

private:
    jpeg_decompress_struct FInfo{};
    TJpegError FError{};
};

bool LooksLikeJpeg(const QByteArray& data) {
    return data.size() > 4 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8;
}

// Separate function so that no object with a destructor lives between setjmp and longjmp.
bool ReadHeader(TJpegReader& reader, const QByteArray& data) {
    jpeg_decompress_struct& info = reader.Info();
    if (setjmp(reader.Jump())) return false;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    return jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
}

bool Decompress(TJpegReader& reader, int reduction, QImage& out) {
    jpeg_decompress_struct& info = reader.Info();
    if (setjmp(reader.Jump())) return false;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(reduction);
    info.dct_method = JDCT_IFAST;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) return false;
    out = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (out.isNull()) return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

int JpegReductionForRatio(double r) {
    if (r > 0.5) return 1;
    if (r > 0.25) return 2;
    if (r > 0.125) return 4;
    return 8;
}

QSize JpegImageSize(const QByteArray& data) {
    if (!LooksLikeJpeg(data)) return {};
    TJpegReader reader;
    if (!ReadHeader(reader, data)) return {};
    return QSize(int(reader.Info().image_width), int(reader.Info().image_height));
}

QImage DecodeJpeg(const QByteArray& data, int reduction) {
    if (!LooksLikeJpeg(data)) return {};
    if (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8) reduction = 1;
    TJpegReader reader;
    if (!ReadHeader(reader, data)) return {};
    QImage image;
    if (!Decompress(reader, reduction, image)) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace tsivor::mapview
