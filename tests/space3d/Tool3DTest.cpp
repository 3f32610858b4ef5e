// The tarnwell-3d command, when it has been built next to the tests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QElapsedTimer>

#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>

#include "SmallDisk.h"

using namespace Tarnwell;

namespace {
struct ToolRun {
  int Code = -1;
  QString Out, Err;
};

ToolRun Tool(const QStringList& args) {
  QProcess p;
  p.start(QCoreApplication::applicationDirPath() + "/tarnwell-3d", args);
  ToolRun r;
  if (!p.waitForFinished(30000)) return r;
  r.Code = p.exitCode();
  r.Out = QString::fromUtf8(p.readAllStandardOutput());
  r.Err = QString::fromUtf8(p.readAllStandardError());
  return r;
}
}  // namespace

TEST(Tool3D, InfoRenderAndDamagedFiles) {
  if (!QFileInfo::exists(QCoreApplication::applicationDirPath() + "/tarnwell-3d"))
    GTEST_SKIP() << "tarnwell-3d is not built next to the tests";
  QTemporaryDir dir;
  TWriter3DFile w;
  const TMesh3D a = MakeBox3D("Scatola", 10, 10, 10), b = MakeSphere3D("Palla", 8, 100);
  w.AddMesh(a.Name, a.Vertices, a.Faces);
  w.AddMesh(b.Name, b.Vertices, b.Faces);
  const QString file = dir.filePath("m.3ds");
  w.SaveToFile(file);

  ToolRun r = Tool({"info", file});
  EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
  EXPECT_EQ(r.Out, QString("Scatola\t8\t12\nPalla\t%1\t%2\ntotal\t%3\t%4\n")
                       .arg(b.Vertices.size())
                       .arg(b.Faces.size())
                       .arg(8 + b.Vertices.size())
                       .arg(12 + b.Faces.size()));

  const QString png = dir.filePath("m.png");
  r = Tool({"render", file, png, "--level", "5", "--size", "160x120", "--rotate", "10,20,30"});
  EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
  const QImage img(png);
  EXPECT_EQ(img.size(), QSize(160, 120));
  EXPECT_NE(img.pixel(80, 60) & 0xFFFFFF, 0u);

  // Damaged: the complete mesh is listed, the damage reported, exit 1.
  QByteArray data = w.Data();
  QFile cut(dir.filePath("cut.3ds"));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(data.left(data.size() - 20));
  cut.close();
  r = Tool({"info", cut.fileName()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(r.Out.startsWith("Scatola\t8\t12\n")) << r.Out.toStdString();
  EXPECT_FALSE(r.Err.isEmpty());
  r = Tool({"info", dir.filePath("manca.3ds")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(r.Err.contains("manca.3ds"));
  r = Tool({"render", file, png, "--level", "7"});
  EXPECT_EQ(r.Code, 2);
}

// The default rendering lights the model with an ambient share and a
// directional light that stay below saturation: no face comes out as a
// white patch, yet the lit side is bright and the faces are told apart.
TEST(Tool3D, DefaultLightingKeepsNearFacesBelowWhite) {
  if (!QFileInfo::exists(QCoreApplication::applicationDirPath() + "/tarnwell-3d"))
    GTEST_SKIP() << "tarnwell-3d is not built next to the tests";
  QTemporaryDir dir;
  const QString model = dir.filePath("Demo.DDD"), png = dir.filePath("d.png");
  ASSERT_EQ(Tool({"demo", model}).Code, 0);
  auto stats = [](const QImage& img, int& white, int& ink, int& levels) {
    white = ink = 0;
    QSet<int> seen;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y) & 0xFFFFFF;
        white += p == 0xFFFFFF;
        ink += p != 0;
        if (p) seen.insert(qRed(p));
      }
    levels = int(seen.size());
  };
  for (const QStringList& view : {QStringList{}, QStringList{"--rotate", "-30,40,0"}, QStringList{"--cull"}}) {
    const ToolRun r = Tool(QStringList{"render", model, png} + view);
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    const QImage img(png);
    int white, ink, levels;
    stats(img, white, ink, levels);
    EXPECT_GT(ink, img.width() * img.height() / 20);
    EXPECT_EQ(white, 0);
    EXPECT_GT(levels, 20);
  }
  // The depth shading of level 4 with a white light, for contrast, burns
  // the near side of the ring.
  ASSERT_EQ(Tool({"render", model, png, "--level", "4", "--ambient", "255,255,255"}).Code, 0);
  int white, ink, levels;
  stats(QImage(png), white, ink, levels);
  EXPECT_GT(white, ink / 10);
}

// The picture and the model are written all or nothing: a full disk or a
// kill keeps the old file, and a refused model never touches the picture.
TEST(Tool3D, OutputsSurviveFullDiskKillsAndRefusedModels) {
  const QString tool = QCoreApplication::applicationDirPath() + "/tarnwell-3d";
  if (!QFileInfo::exists(tool)) GTEST_SKIP() << "tarnwell-3d is not built next to the tests";
  QTemporaryDir dir;
  const QString model = dir.filePath("Demo.DDD"), png = dir.filePath("p.png");
  ASSERT_EQ(Tool({"demo", model}).Code, 0);
  const QByteArray demo = FileBytes(model);

  // Refused: damaged, missing, not a model at all.
  PutFileBytes(dir.filePath("cut.3ds"), demo.left(demo.size() - 20));
  PutFileBytes(dir.filePath("text.3ds"), "not a model");
  for (const char* bad : {"cut.3ds", "missing.3ds", "text.3ds"}) {
    PutFileBytes(png, "old picture");
    EXPECT_EQ(Tool({"render", dir.filePath(bad), png}).Code, 1) << bad;
    EXPECT_EQ(FileBytes(png), "old picture") << bad;
  }

  TSmallDisk disk(256);
  REQUIRE_SMALL_DISK(disk);
  for (const QStringList& args : {QStringList{"demo", disk.File("out")}, QStringList{"render", model, disk.File("out")}}) {
    SCOPED_TRACE(args[0].toStdString());
    PutFileBytes(disk.File("out"), QByteArray(3314, 'o'));
    disk.Fill();
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.Code, 1);
    EXPECT_TRUE(r.Err.contains(disk.File("out"))) << r.Err.toStdString();
    EXPECT_EQ(FileBytes(disk.File("out")), QByteArray(3314, 'o'));
    EXPECT_EQ(disk.Entries(), QStringList{"out"});
    disk.Unfill();
  }

  // Killed at random moments while writing a large picture, or the model.
  const QList<QStringList> runs = {{"render", model, png, "--size", "4000x3000"}, {"demo", dir.filePath("m.DDD")}};
  for (const QStringList& args : runs) {
    SCOPED_TRACE(args[0].toStdString());
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(Tool(args).Code, 0);
    const int ms = int(t.elapsed());
    const QString out = args[0] == "demo" ? args[1] : args[2];
    const QByteArray fresh = FileBytes(out);
    QString what;
    EXPECT_EQ(KillLoop(tool, args, out, "old", fresh, 15, ms, &what), 0) << what.toStdString();
  }
}
