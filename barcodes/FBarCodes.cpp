#include "FBarCodes.h"

#include <Tarnwell/app/DemoRegistry.h>

namespace Tarnwell {

namespace {
struct TDesign {
  const char* Name;
  int Left, Top;
  TBarCodesType CodeType;
  const char* Caption;
  int BarPixels;
  bool HeightAuto;
  int HeightMult;
  int Height;
};

const TDesign kDesign[8] = {
    {"BarCodes1", 12, 12, bcEAN_13, "1234567890", 1, true, 66, 66},
    {"BarCodes2", 132, 12, bcEAN_8, "12345678", 1, true, 66, 66},
    {"BarCodes3", 228, 12, bcUPC_A, "1234567890", 1, true, 66, 66},
    {"BarCodes4", 352, 12, bcUPC_E, "123456", 1, true, 66, 66},
    {"BarCodes5", 20, 92, bcCODE11, "123456789", 1, true, 66, 66},
    {"BarCodes6", 148, 96, bcCODE39, "12345", 2, false, 66, 49},
    {"BarCodes7", 20, 164, bcCODE128A, "12345", 1, true, 66, 66},
    {"BarCodes8", 148, 164, bcCODE39, "12345", 2, true, 33, 66},
};
}  // namespace

TFormBarCodes::TFormBarCodes(QWidget* parent) : TForm(parent) {
  setObjectName(QStringLiteral("FormBarCodes"));
  SetCaption(QStringLiteral("TBarCodes"));
  setWindowFlag(Qt::Tool);
  SetDesignSize(421, 244);
  setBorderStyle(bsToolWindow);
  // A tool window of fixed client size: the frame's border goes around it.
  setFixedSize(421, 244);

  TBarCodes** fields[8] = {&BarCodes1, &BarCodes2, &BarCodes3, &BarCodes4,
                           &BarCodes5, &BarCodes6, &BarCodes7, &BarCodes8};
  for (int i = 0; i < 8; ++i) {
    const TDesign& d = kDesign[i];
    auto* b = new TBarCodes(this);
    b->setObjectName(QString::fromLatin1(d.Name));
    b->setA_Readable(true);
    b->setA_C39CheckChar(true);
    b->setA_WideRatio(3);
    b->setA_HeightAuto(d.HeightAuto);
    b->setA_HeightMult(d.HeightMult);
    b->setA_BarPixels(d.BarPixels);
    b->setA_CodeType(d.CodeType);
    b->setCaption(QString::fromLatin1(d.Caption));
    b->move(d.Left, d.Top);
    if (!d.HeightAuto) b->resize(b->width(), d.Height);
    AddComponent(b);
    *fields[i] = b;
  }
}

void RegisterDemo_barcodes() {
  RegisterDemoWindow("TFormBarCodes", []() -> TForm* { return new TFormBarCodes(); });
}

}  // namespace Tarnwell
