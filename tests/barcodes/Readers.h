#pragma once
// Independent readers (zbar, ZXing-C++) and the independent encoder (zint),
// wrapped for the tests. Each is compiled in only when installed; the tests
// ask Have...() and skip with a message when one is missing.
#include <QImage>
#include <string>
#include <vector>

#include <Tarnwell/barcodes/BarCdDef.h>

using namespace Tarnwell;

bool HaveZbar();
bool HaveZxing();
bool HaveZint();

// Black bars on white, `scale` pixels per module, `quiet` modules of white on
// either side.
QImage RenderModules(const std::string& modules, int scale = 2, int quiet = 10, int height = 60);

// The data of every symbol of the type found in the image (bytes as read).
std::vector<std::string> ZbarDecode(const QImage& img, TBarCodesType type);
std::vector<std::string> ZxingDecode(const QImage& img, TBarCodesType type);
// zint's module string for the data ("" when zint refuses it).
std::string ZintModules(TBarCodesType type, const std::string& data);
