// Baseline JPEG files, compressed in memory with libjpeg.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "generate/assets/assets.h"

namespace vestora::generate {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It jumps back to compress(), which is a plain C-like frame with nothing to
// destroy; the C++ caller turns the failure into an exception.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings and traces are not printed

// Everything libjpeg touches lives here, outside compress()'s frame, so that
// nothing compress() reads after the jump was changed since setjmp.
struct JpegJob {
  jpeg_compress_struct cinfo;
  JpegErrors errors;
  unsigned char* buffer;
  unsigned long size;
};

bool compress(JpegJob* job, const std::uint8_t* pixels, int width, int height, int channels,
              int quality) {
  job->cinfo.err = jpeg_std_error(&job->errors.manager);
  job->errors.manager.error_exit = onFatalError;
  job->errors.manager.output_message = onMessage;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_compress(&job->cinfo);
    return false;
  }
  jpeg_create_compress(&job->cinfo);
  jpeg_mem_dest(&job->cinfo, &job->buffer, &job->size);
  job->cinfo.image_width = static_cast<JDIMENSION>(width);
  job->cinfo.image_height = static_cast<JDIMENSION>(height);
  job->cinfo.input_components = channels;
  job->cinfo.in_color_space = channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&job->cinfo);
  jpeg_set_quality(&job->cinfo, quality, TRUE);
  // The slow integer DCT gives the same coefficients with and without SIMD,
  // so the bytes do not depend on the machine.
  job->cinfo.dct_method = JDCT_ISLOW;
  job->cinfo.optimize_coding = TRUE;
  // Full-resolution colour: fabric threads carry colour detail that 2×2
  // chroma subsampling smears.
  for (int c = 0; c < job->cinfo.num_components; ++c) {
    job->cinfo.comp_info[c].h_samp_factor = 1;
    job->cinfo.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&job->cinfo, TRUE);
  const auto stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  while (job->cinfo.next_scanline < job->cinfo.image_height) {
    // libjpeg only reads the rows, whatever its signature says.
    auto* row = const_cast<JSAMPLE*>(pixels + job->cinfo.next_scanline * stride);
    jpeg_write_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_compress(&job->cinfo);
  jpeg_destroy_compress(&job->cinfo);
  return true;
}

std::vector<std::uint8_t> encode(const char* name, int width, int height,
                                 const std::vector<std::uint8_t>& pixels, int channels,
                                 int quality) {
  if (width < 1 || width > JPEG_MAX_DIMENSION || height < 1 || height > JPEG_MAX_DIMENSION)
    throw std::invalid_argument(std::string(name) + ": size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 1 to " +
                                std::to_string(JPEG_MAX_DIMENSION));
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (pixels.size() != count * static_cast<std::size_t>(channels))
    throw std::invalid_argument(std::string(name) + ": " + std::to_string(pixels.size()) +
                                " bytes of pixels for " + std::to_string(count) + " pixels");
  if (quality < 1 || quality > 100)
    throw std::invalid_argument(std::string(name) + ": quality " + std::to_string(quality) +
                                " is outside 1 to 100");
  JpegJob job{};
  const bool done = compress(&job, pixels.data(), width, height, channels, quality);
  std::vector<std::uint8_t> out;
  if (done) out.assign(job.buffer, job.buffer + job.size);
  std::free(job.buffer);  // jpeg_mem_dest's buffer belongs to us, even after a failure
  if (!done) throw std::runtime_error(std::string(name) + ": " + job.errors.message);
  return out;
}

struct JpegReadJob {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
};

bool decompress(JpegReadJob* job, const std::vector<std::uint8_t>& bytes, DecodedJpeg* out) {
  job->cinfo.err = jpeg_std_error(&job->errors.manager);
  job->errors.manager.error_exit = onFatalError;
  job->errors.manager.output_message = onMessage;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_decompress(&job->cinfo);
    return false;
  }
  jpeg_create_decompress(&job->cinfo);
  jpeg_mem_src(&job->cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&job->cinfo, TRUE);
  job->cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->cinfo);
  out->width = static_cast<int>(job->cinfo.output_width);
  out->height = static_cast<int>(job->cinfo.output_height);
  out->rgb.resize(static_cast<std::size_t>(out->width) * static_cast<std::size_t>(out->height) * 3);
  while (job->cinfo.output_scanline < job->cinfo.output_height) {
    JSAMPROW row = &out->rgb[static_cast<std::size_t>(job->cinfo.output_scanline) *
                             static_cast<std::size_t>(out->width) * 3];
    jpeg_read_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job->cinfo);
  jpeg_destroy_decompress(&job->cinfo);
  return true;
}

}  // namespace

DecodedJpeg decodeJpeg(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) throw std::runtime_error("decodeJpeg: no bytes");
  JpegReadJob job{};
  DecodedJpeg out;
  if (!decompress(&job, bytes, &out))
    throw std::runtime_error(std::string("decodeJpeg: ") + job.errors.message);
  return out;
}

std::vector<std::uint8_t> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgb,
                                     int quality) {
  return encode("encodeJpeg", width, height, rgb, 3, quality);
}

std::vector<std::uint8_t> encodeJpegGrey(int width, int height,
                                         const std::vector<std::uint8_t>& grey, int quality) {
  return encode("encodeJpegGrey", width, height, grey, 1, quality);
}

}  // namespace vestora::generate
