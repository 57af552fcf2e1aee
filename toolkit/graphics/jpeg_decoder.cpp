#include "toolkit/graphics/jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

namespace kelvora_image {
namespace {

// A legitimate progressive JPEG has a dozen scans; a crafted one can have
// thousands of tiny ones that each cost a pass over the whole picture.
constexpr int kMaxScans = 500;

// libjpeg reports fatal errors by calling error_exit, whose default calls
// exit(). Ours jumps back to the setjmp in the function that called into
// libjpeg; no C++ exception ever unwinds through libjpeg's C frames, and the
// functions holding a setjmp keep no object with a destructor.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  (*info->err->format_message)(info, trap->message);
  std::longjmp(trap->jump, 1);
}

// Warnings and trace messages would go to stderr; a GUI program has none.
void OnMessage(j_common_ptr, int) {}
void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::snprintf(trap->message, sizeof trap->message, "JPEG has too many scans");
    std::longjmp(trap->jump, 1);
  }
}

// Everything libjpeg needs across the two calls below. Destroying a
// decompressor that was never created is harmless (its memory manager is
// still null), so the destructor needs no flag.
struct Decompressor {
  jpeg_decompress_struct info{};
  ErrorTrap trap{};
  jpeg_progress_mgr progress{};

  Decompressor() {
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnFatalError;
    trap.manager.emit_message = OnMessage;
    trap.manager.output_message = OnOutputMessage;
    progress.progress_monitor = OnProgress;
    info.err = &trap.manager;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

// Reads the headers and fixes the output format. Returns libjpeg's message
// on failure, nullptr on success.
const char* ReadHeader(Decompressor* d, const uint8_t* data, size_t size) {
  if (setjmp(d->trap.jump) != 0) return d->trap.message;
  jpeg_create_decompress(&d->info);
  d->info.progress = &d->progress;
  jpeg_mem_src(&d->info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d->info, TRUE);
  // libjpeg-turbo writes BGR directly, the byte order of a 24-bit DIB.
  d->info.out_color_space = JCS_EXT_BGR;
  jpeg_calc_output_dimensions(&d->info);
  return nullptr;
}

// Decodes every scanline into `pixels`, bottom row first. Returns libjpeg's
// message on failure, nullptr on success.
const char* ReadPixels(Decompressor* d, uint8_t* pixels, size_t stride) {
  if (setjmp(d->trap.jump) != 0) return d->trap.message;
  jpeg_start_decompress(&d->info);
  if (d->info.output_components != 3) return "Unexpected JPEG output format";
  const JDIMENSION height = d->info.output_height;
  while (d->info.output_scanline < height) {
    JSAMPROW row = pixels + static_cast<size_t>(height - 1 - d->info.output_scanline) * stride;
    if (jpeg_read_scanlines(&d->info, &row, 1) != 1) return "JPEG data ended early";
  }
  return nullptr;
}

}  // namespace

BmpImage DecodeJpeg(std::span<const uint8_t> file, uint64_t max_pixels) {
  // No picture of this program comes near 1 GiB; the cap also keeps the size
  // within libjpeg's unsigned long on every target.
  if (file.size() > (size_t{1} << 30)) throw InvalidJpeg("JPEG file too large");
  Decompressor d;
  if (const char* error = ReadHeader(&d, file.data(), file.size())) throw InvalidJpeg(error);

  const uint64_t width = d.info.output_width;
  const uint64_t height = d.info.output_height;
  if (width == 0 || height == 0 || width * height > max_pixels) {
    throw InvalidJpeg("JPEG picture too large");
  }
  BmpImage image;
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.bits_per_pixel = 24;
  const size_t stride = RowStride(image.width, 24);
  image.pixels.assign(stride * static_cast<size_t>(height), 0);

  if (const char* error = ReadPixels(&d, image.pixels.data(), stride)) throw InvalidJpeg(error);
  return image;
}

}  // namespace kelvora_image
