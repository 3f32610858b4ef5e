#include "Readers.h"

#ifdef TARNWELL_HAVE_ZBAR
#include <zbar.h>
using namespace zbar;
#endif
#ifdef TARNWELL_HAVE_ZXING
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#endif
#ifdef TARNWELL_HAVE_ZINT
#include <zint.h>
#endif

#include <QPainter>

bool HaveZbar() {
#ifdef TARNWELL_HAVE_ZBAR
  return true;
#else
  return false;
#endif

using namespace Tarnwell;
}

bool HaveZxing() {
#ifdef TARNWELL_HAVE_ZXING
  return true;
#else
  return false;
#endif
}

bool HaveZint() {
#ifdef TARNWELL_HAVE_ZINT
  return true;
#else
  return false;
#endif
}

QImage RenderModules(const std::string& modules, int scale, int quiet, int height) {
  QImage img(static_cast<int>(modules.size() + 2 * quiet) * scale, height, QImage::Format_Grayscale8);
  img.fill(255);
  for (std::size_t i = 0; i < modules.size(); ++i) {
    if (modules[i] != '1') continue;
    for (int y = 0; y < height; ++y) {
      uchar* row = img.scanLine(y);
      for (int s = 0; s < scale; ++s) row[(quiet + static_cast<int>(i)) * scale + s] = 0;
    }
  }
  return img;
}

namespace {
QImage Gray(const QImage& img) {
  return img.format() == QImage::Format_Grayscale8 ? img : img.convertToFormat(QImage::Format_Grayscale8);
}
}  // namespace

std::vector<std::string> ZbarDecode(const QImage& src, TBarCodesType type) {
  std::vector<std::string> out;
#ifdef TARNWELL_HAVE_ZBAR
  const QImage img = Gray(src);
  zbar_symbol_type_t sym = ZBAR_NONE;
  switch (type) {
    case bcEAN_13:
      sym = ZBAR_EAN13;
      break;
    case bcEAN_8:
      sym = ZBAR_EAN8;
      break;
    case bcUPC_A:
      sym = ZBAR_UPCA;
      break;
    case bcUPC_E:
      sym = ZBAR_UPCE;
      break;
    case bcCODE39:
    case bcCODE39X:
      sym = ZBAR_CODE39;
      break;
    case bcCODE128A:
    case bcCODE128B:
    case bcCODE128C:
      sym = ZBAR_CODE128;
      break;
    case bcCODE93:
      sym = ZBAR_CODE93;
      break;
    case bcCODE11:
      return out;
  }
  zbar_image_scanner_t* scanner = zbar_image_scanner_create();
  zbar_image_scanner_set_config(scanner, ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
  zbar_image_scanner_set_config(scanner, sym, ZBAR_CFG_ENABLE, 1);
  // UPC-A is read as a kind of EAN-13: zbar needs both.
  if (type == bcUPC_A) zbar_image_scanner_set_config(scanner, ZBAR_EAN13, ZBAR_CFG_ENABLE, 1);
  // No length limits: long symbols and one-character symbols alike.
  zbar_image_scanner_set_config(scanner, sym, ZBAR_CFG_MIN_LEN, 0);
  zbar_image_scanner_set_config(scanner, sym, ZBAR_CFG_MAX_LEN, 0);
  // Tightly packed 8-bit rows, as zbar wants them.
  std::vector<unsigned char> data(static_cast<std::size_t>(img.width()) * img.height());
  for (int y = 0; y < img.height(); ++y)
    std::copy_n(img.constScanLine(y), img.width(),
                data.begin() + static_cast<std::ptrdiff_t>(y) * img.width());
  zbar_image_t* zimg = zbar_image_create();
  zbar_image_set_format(zimg, zbar_fourcc('Y', '8', '0', '0'));
  zbar_image_set_size(zimg, img.width(), img.height());
  zbar_image_set_data(zimg, data.data(), data.size(), nullptr);
  if (zbar_scan_image(scanner, zimg) > 0) {
    for (const zbar_symbol_t* s = zbar_image_first_symbol(zimg); s; s = zbar_symbol_next(s))
      if (zbar_symbol_get_type(s) == sym)
        out.emplace_back(zbar_symbol_get_data(s), zbar_symbol_get_data_length(s));
  }
  zbar_image_destroy(zimg);
  zbar_image_scanner_destroy(scanner);
#else
  (void)src;
  (void)type;
#endif
  return out;
}

std::vector<std::string> ZxingDecode(const QImage& src, TBarCodesType type) {
  std::vector<std::string> out;
#ifdef TARNWELL_HAVE_ZXING
  const QImage img = Gray(src);
  ZXing::BarcodeFormat fmt = ZXing::BarcodeFormat::None;
  switch (type) {
    case bcEAN_13:
      fmt = ZXing::BarcodeFormat::EAN13;
      break;
    case bcEAN_8:
      fmt = ZXing::BarcodeFormat::EAN8;
      break;
    case bcUPC_A:
      fmt = ZXing::BarcodeFormat::UPCA;
      break;
    case bcUPC_E:
      fmt = ZXing::BarcodeFormat::UPCE;
      break;
    case bcCODE39:
    case bcCODE39X:
      fmt = ZXing::BarcodeFormat::Code39;
      break;
    case bcCODE128A:
    case bcCODE128B:
    case bcCODE128C:
      fmt = ZXing::BarcodeFormat::Code128;
      break;
    case bcCODE93:
      fmt = ZXing::BarcodeFormat::Code93;
      break;
    case bcCODE11:
      return out;
  }
  ZXing::DecodeHints hints;
  hints.setFormats(fmt);
  hints.setTryHarder(true);
  hints.setTryRotate(false);
  hints.setTryCode39ExtendedMode(type == bcCODE39X);
  // Verify and strip the Code 39 check character before the full-ASCII pass.
  hints.setValidateCode39CheckSum(true);
  ZXing::ImageView view(img.constBits(), img.width(), img.height(), ZXing::ImageFormat::Lum,
                        static_cast<int>(img.bytesPerLine()));
  for (const auto& r : ZXing::ReadBarcodes(view, hints))
    if (r.isValid() && r.format() == fmt) out.emplace_back(r.bytes().begin(), r.bytes().end());
#else
  (void)src;
  (void)type;
#endif
  return out;
}

std::string ZintModules(TBarCodesType type, const std::string& data) {
  std::string out;
#ifdef TARNWELL_HAVE_ZINT
  if (type != bcCODE11) return out;
  zint_symbol* s = ZBarcode_Create();
  s->symbology = BARCODE_CODE11;
  const int rc =
      ZBarcode_Encode(s, reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  if (rc < ZINT_ERROR) {
    for (int x = 0; x < s->width; ++x) out.push_back((s->encoded_data[0][x >> 3] >> (x & 7)) & 1 ? '1' : '0');
  }
  ZBarcode_Delete(s);
#else
  (void)type;
  (void)data;
#endif
  return out;
}
