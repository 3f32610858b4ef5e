// The model file reader: real files against an independent reader, the
// acceptance rules, and damaged files that must end promptly keeping only
// complete meshes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <limits>

#include <Tarnwell/space3d/Loader3D.h>
#include <Tarnwell/space3d/Shapes3D.h>

using namespace Tarnwell;

namespace {

using W = TWriter3DFile;

struct Loaded {
  TObject3DList List;
  TObject3D Root;
  TLoader3DFile Loader;
  int Count = 0;
};

std::unique_ptr<Loaded> LoadBytes(const QByteArray& data) {
  auto r = std::make_unique<Loaded>();
  r->Count = r->Loader.LoadFromMemory(data, r->List, &r->Root);
  return r;
}

QByteArray Triangle(const QString& name) {
  TWriter3DFile w;
  w.AddMesh(name, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 0}});
  return w.Data();
}

// A hand-made file: main chunk around the given editor body.
// A trailing keyframer keeps the editor from reaching the end of the file.
QByteArray FileWithEditor(const QByteArray& editorBody, bool trailer = true) {
  return W::MakeChunk(Chunk3DS::Main,
                      W::MakeChunk(Chunk3DS::Version, W::U32(3)) +
                          W::MakeChunk(Chunk3DS::Editor, editorBody) +
                          (trailer ? W::MakeChunk(Chunk3DS::Keyframer, QByteArray(8, '\0')) : QByteArray()));
}

QByteArray VertexChunk(const std::vector<TVertex3D>& v) {
  QByteArray b = W::U16(std::uint16_t(v.size()));
  for (auto& p : v) b += W::F32(p.X) + W::F32(p.Y) + W::F32(p.Z);
  return W::MakeChunk(Chunk3DS::VertexList, b);
}

QByteArray FaceChunk(const std::vector<TFaceVert3D>& f) {
  QByteArray b = W::U16(std::uint16_t(f.size()));
  for (auto& t : f) b += W::U16(t.A) + W::U16(t.B) + W::U16(t.C) + W::U16(t.Flags);
  return W::MakeChunk(Chunk3DS::FaceList, b);
}

QByteArray Object(const QByteArray& name, const QByteArray& meshBody) {
  return W::MakeChunk(Chunk3DS::NamedObject,
                      name + QByteArray(1, '\0') + W::MakeChunk(Chunk3DS::TriMesh, meshBody));
}

QByteArray GoodMesh() { return VertexChunk({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + FaceChunk({{0, 1, 2, 0}}); }

void PutU32(QByteArray& b, int at, std::uint32_t v) { qToLittleEndian(v, b.data() + at); }

}  // namespace

TEST(Loader3D, WriterRoundTripKeepsNamesCountsAndCoordinates) {
  TWriter3DFile w;
  const TMesh3D sphere = MakeSphere3D("Sfera", 10, 200);
  const TMesh3D box = MakeBox3D("Scatola", 1, 2, 3);
  w.AddMesh(sphere.Name, sphere.Vertices, sphere.Faces);
  w.AddMesh(box.Name, box.Vertices, box.Faces);
  auto r = LoadBytes(w.Data());
  ASSERT_EQ(r->Count, 2);
  EXPECT_TRUE(r->Loader.Accepted());
  EXPECT_TRUE(r->Loader.Problems().isEmpty()) << r->Loader.Problems().join("\n").toStdString();
  EXPECT_EQ(r->List[0]->ObjectName, "Sfera");
  EXPECT_EQ(r->List[0]->LocalVertices.Count(), int(sphere.Vertices.size()));
  EXPECT_EQ(r->List[0]->Faces.Count(), int(sphere.Faces.size()));
  EXPECT_EQ(r->List[1]->ObjectName, "Scatola");
  EXPECT_EQ(r->List[1]->LocalVertices.GetItem(7).Z, 3.0f);
  EXPECT_EQ(r->List[1]->Faces.GetItem(11).C, box.Faces[11].C);
  EXPECT_EQ(r->List[1]->ParentObject, &r->Root);
  // World = local after loading (the matrix's origin is not applied).
  EXPECT_EQ(r->List[1]->WorldVertices.GetItem(7).Y, 2.0f);
}

TEST(Loader3D, NamesAreReadToTheirTerminator) {
  // Names of 12 and more characters must not shift the reader.
  for (const char* name : {"A", "Esattamente12", "UnNomeDiQuindici", "Un nome molto piu lungo di dodici"}) {
    auto r = LoadBytes(FileWithEditor(Object(name, GoodMesh())));
    ASSERT_EQ(r->Count, 1) << name;
    EXPECT_EQ(r->List[0]->ObjectName, QString(name));
  }
  auto r = LoadBytes(FileWithEditor(Object("", GoodMesh())));
  ASSERT_EQ(r->Count, 1);
  EXPECT_EQ(r->List[0]->ObjectName, "Default name");
  // A name without its terminator inside the chunk ends that object only.
  QByteArray noNul = W::MakeChunk(Chunk3DS::NamedObject, "SenzaFine");
  r = LoadBytes(FileWithEditor(noNul + Object("Dopo", GoodMesh())));
  ASSERT_EQ(r->Count, 1);
  EXPECT_EQ(r->List[0]->ObjectName, "Dopo");
}

TEST(Loader3D, TwoMeshesInOneObjectAndIncompleteMeshes) {
  const QByteArray obj = W::MakeChunk(Chunk3DS::NamedObject, QByteArray("Doppio") + '\0' +
                                                                 W::MakeChunk(Chunk3DS::TriMesh, GoodMesh()) +
                                                                 W::MakeChunk(Chunk3DS::TriMesh, GoodMesh()));
  auto r = LoadBytes(FileWithEditor(obj));
  ASSERT_EQ(r->Count, 2);
  EXPECT_EQ(r->List[0]->ObjectName, "Doppio");
  EXPECT_EQ(r->List[1]->ObjectName, "Doppio");
  // Vertices without faces, faces without vertices: nothing to draw, dropped.
  r = LoadBytes(FileWithEditor(Object("V", VertexChunk({{0, 0, 0}})) +
                               Object("F", FaceChunk({{0, 0, 0, 0}})) + Object("Ok", GoodMesh())));
  ASSERT_EQ(r->Count, 1);
  EXPECT_EQ(r->List[0]->ObjectName, "Ok");
}

TEST(Loader3D, AcceptsByMainChunkAndVersion) {
  // Byte 28 of these files is 0 or 1: they are still valid files.
  QByteArray materialFirst = W::MakeChunk(
      Chunk3DS::Main, W::MakeChunk(Chunk3DS::Editor, W::MakeChunk(Chunk3DS::Material, QByteArray(20, '\1')) +
                                                         Object("M", GoodMesh())));
  ASSERT_GT(materialFirst.size(), 29);
  EXPECT_LE(quint8(materialFirst[28]), 1);
  EXPECT_EQ(LoadBytes(materialFirst)->Count, 1);
  QByteArray v1 = Triangle("Uno");
  PutU32(v1, 12, 1);  // version chunk value
  EXPECT_EQ(LoadBytes(v1)->Count, 1);

  QByteArray v0 = Triangle("Zero");
  PutU32(v0, 12, 0);
  auto r = LoadBytes(v0);
  EXPECT_EQ(r->Count, 0);
  EXPECT_FALSE(r->Loader.Accepted());
  QByteArray vBig = Triangle("Grande");
  PutU32(vBig, 12, 0x01000000);
  EXPECT_EQ(LoadBytes(vBig)->Count, 0);
  QByteArray wrongMagic = Triangle("X");
  wrongMagic[0] = 'N';
  r = LoadBytes(wrongMagic);
  EXPECT_EQ(r->Count, 0);
  EXPECT_TRUE(r->Loader.Damaged());
}

TEST(Loader3D, UnknownChunksAreSkippedByTheirLength) {
  // An unknown chunk whose body looks like chunks (a complete named object)
  // must not invent a mesh, and the mesh after it must not be lost.
  const QByteArray decoy = W::MakeChunk(0x1234, Object("Esca", GoodMesh()));
  auto r = LoadBytes(FileWithEditor(decoy + Object("Vero", GoodMesh())));
  ASSERT_EQ(r->Count, 1);
  EXPECT_EQ(r->List[0]->ObjectName, "Vero");
  // Unknown chunks inside a mesh and the keyframer are skipped the same way.
  const QByteArray mesh = W::MakeChunk(0x4111, QByteArray(30, '\x41')) + GoodMesh();
  const QByteArray keyframer = W::MakeChunk(Chunk3DS::Keyframer, Object("Chiave", GoodMesh()));
  r = LoadBytes(W::MakeChunk(Chunk3DS::Main, W::MakeChunk(Chunk3DS::Editor, Object("M", mesh)) + keyframer));
  ASSERT_EQ(r->Count, 1);
  EXPECT_TRUE(r->Loader.Problems().isEmpty());
}

// Damaged files: each must end promptly, keep only the complete meshes
// before the damage, and say what is wrong.
TEST(Loader3D, DamagedFileTable) {
  const QByteArray first = Object("Primo", GoodMesh());
  struct Case {
    const char* what;
    QByteArray data;
    int meshes;
  };
  std::vector<Case> cases;
  for (std::uint32_t len : {0u, 1u, 5u}) {
    QByteArray bad =
        W::MakeChunk(Chunk3DS::NamedObject, QByteArray("B\0", 2) + W::MakeChunk(0x4100, GoodMesh()));
    PutU32(bad, 2, len);
    cases.push_back({"object length 0..5", FileWithEditor(first + bad), 1});
    QByteArray badMesh =
        Object("B", VertexChunk({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + FaceChunk({{0, 1, 2, 0}}));
    PutU32(badMesh, 6 + 2 + 6 + 2, len);  // the vertex list's length
    cases.push_back({"vertex chunk length 0..5", FileWithEditor(first + badMesh), 1});
  }
  {
    QByteArray past = first + Object("Oltre", GoodMesh());
    QByteArray f = FileWithEditor(past);
    PutU32(f, 16 + 6 + first.size() + 2, 0x7FFF);  // second object's length past the editor
    cases.push_back({"length past the parent", f, 1});
    QByteArray g = FileWithEditor(past);
    PutU32(g, 16 + 6 + first.size() + 2, 0xFFFFFFFFu);
    cases.push_back({"length 0xFFFFFFFF", g, 1});
    QByteArray h = FileWithEditor(past);
    PutU32(h, 2, 0xFFFFFFFFu);  // main chunk longer than the file
    cases.push_back({"main length past the file", h, 2});
    // Cut off by the end of the file: read as far as it goes, the cut mesh dropped.
    QByteArray cut = FileWithEditor(past, false);
    cases.push_back({"truncated file", cut.left(cut.size() - 3), 1});
  }
  {
    QByteArray countBig = VertexChunk({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    countBig[6] = char(0xFF);
    countBig[7] = char(0xFF);
    cases.push_back({"vertex count larger than its chunk",
                     FileWithEditor(first + Object("C", countBig + FaceChunk({{0, 1, 2, 0}}))), 1});
    QByteArray faceBig = FaceChunk({{0, 1, 2, 0}});
    faceBig[6] = char(0x10);
    cases.push_back(
        {"face count larger than its chunk",
         FileWithEditor(first + Object("C", VertexChunk({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + faceBig)), 1});
  }
  cases.push_back({"face index past the vertices",
                   FileWithEditor(first + Object("I", VertexChunk({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                          FaceChunk({{0, 1, 3, 0}}))),
                   1});
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  cases.push_back({"NaN coordinate",
                   FileWithEditor(first + Object("N", VertexChunk({{0, nan, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                          FaceChunk({{0, 1, 2, 0}}))),
                   1});
  cases.push_back({"infinite coordinate",
                   FileWithEditor(first + Object("N", VertexChunk({{0, 0, -inf}, {1, 0, 0}, {0, 1, 0}}) +
                                                          FaceChunk({{0, 1, 2, 0}}))),
                   1});

  for (const Case& c : cases) {
    QElapsedTimer t;
    t.start();
    auto r = LoadBytes(c.data);
    EXPECT_LT(t.elapsed(), 500) << c.what;
    EXPECT_EQ(r->Count, c.meshes) << c.what;
    EXPECT_TRUE(r->Loader.Damaged()) << c.what;
    ASSERT_GE(r->Count, 1) << c.what;
    EXPECT_EQ(r->List[0]->ObjectName, "Primo") << c.what;
  }

  // Huge but finite coordinates load (the engine copes with them).
  auto huge = LoadBytes(FileWithEditor(
      Object("H", VertexChunk({{3e38f, -3e38f, 3e38f}, {1, 0, 0}, {0, 1, 0}}) + FaceChunk({{0, 1, 2, 0}}))));
  EXPECT_EQ(huge->Count, 1);
}

TEST(Loader3D, EveryTruncationKeepsOnlyCompleteMeshes) {
  TWriter3DFile w;
  w.AddMesh("Uno", MakeBox3D("", 1, 1, 1).Vertices, MakeBox3D("", 1, 1, 1).Faces);
  w.AddMesh("Due", MakeBox3D("", 2, 2, 2).Vertices, MakeBox3D("", 2, 2, 2).Faces);
  const QByteArray full = w.Data();
  int previous = 0;
  for (int n = 0; n < full.size(); ++n) {
    auto r = LoadBytes(full.left(n));
    ASSERT_LE(r->Count, 1) << n;  // the second mesh is complete only in the whole file
    ASSERT_GE(r->Count, previous) << n;
    previous = r->Count;
    if (n < 29) {
      EXPECT_EQ(r->Count, 0);
    }
    for (auto& o : r->List) EXPECT_EQ(o->Faces.Count(), 12);
  }
  EXPECT_EQ(previous, 1);
  EXPECT_EQ(LoadBytes(full)->Count, 2);
}

TEST(Loader3D, FilesThatCannotBeReadThrow) {
  TObject3DList list;
  TObject3D root;
  TLoader3DFile loader;
  EXPECT_THROW(loader.Load3DFile("/nonexistent/x.3ds", list, &root), E3DFileError);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A FIFO would block a reader forever: refused at once.
  const QString fifo = dir.filePath("pipe.3ds");
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  QElapsedTimer t;
  t.start();
  EXPECT_THROW(loader.Load3DFile(fifo, list, &root), E3DFileError);
  EXPECT_THROW(loader.Load3DFile(dir.path(), list, &root), E3DFileError);
  // A huge (sparse) file is refused before it is read.
  const QString big = dir.filePath("big.3ds");
  {
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Triangle("Grosso"));
    ASSERT_TRUE(f.resize(TLoader3DFile::kMaxFileSize + 1));
  }
  EXPECT_THROW(loader.Load3DFile(big, list, &root), E3DFileError);
  EXPECT_LT(t.elapsed(), 2000);
  EXPECT_TRUE(list.empty());
}

TEST(Loader3D, ListsGiveZeroItemsPastTheirEnd) {
  TVertex3DList v;
  const TVertex3D src[2] = {{1, 2, 3}, {4, 5, 6}};
  v.SetData(src, 2, sizeof(TVertex3D));
  EXPECT_EQ(v.GetItem(1).Z, 6.0f);
  EXPECT_EQ(v.GetItem(2).X, 0.0f);
  EXPECT_EQ(v.GetItem(-1).Y, 0.0f);
  v.SetItem(5, TVertex3D{9, 9, 9});  // ignored
  v.SetData(src, 0, sizeof(TVertex3D));
  EXPECT_EQ(v.Count(), 0);
  EXPECT_EQ(v.GetItem(0).X, 0.0f);
  TFaceVert3DList f;
  EXPECT_EQ(f.GetItem(3).A, 0);
}

// Our counts against an independent reader, for every file of the
// assimp-testmodels package.
TEST(Loader3D, RealFilesMatchTheReferenceReader) {
  const QString dump = QStandardPaths::findExecutable("3dsdump");
  if (dump.isEmpty()) GTEST_SKIP() << "3dsdump is missing (Debian lib3ds-dev): reference counts not checked";
  const QDir dir("/usr/share/assimp/models/3DS");
  if (!dir.exists()) GTEST_SKIP() << "/usr/share/assimp/models/3DS is missing (Debian assimp-testmodels)";
  const QRegularExpression meshLine(R"(^  (\S.*) vertices=(\d+) faces=(\d+)$)");
  int modelFiles = 0;
  for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
    QProcess p;
    p.start(dump, {"-t", fi.filePath()});
    ASSERT_TRUE(p.waitForFinished(20000)) << fi.fileName().toStdString();
    QStringList expected;
    if (p.exitCode() == 0) {
      for (const QString& line : QString::fromLatin1(p.readAllStandardOutput()).split('\n')) {
        const auto m = meshLine.match(line);
        if (m.hasMatch() && m.captured(3) != "0")
          expected << QString("%1\t%2\t%3").arg(m.captured(1), m.captured(2), m.captured(3));
      }
    }
    Loaded r;
    r.Count = r.Loader.Load3DFile(fi.filePath(), r.List, &r.Root);
    QStringList ours;
    for (auto& o : r.List)
      ours << QString("%1\t%2\t%3").arg(o->ObjectName).arg(o->LocalVertices.Count()).arg(o->Faces.Count());
    EXPECT_EQ(ours.join('\n').toStdString(), expected.join('\n').toStdString())
        << fi.fileName().toStdString();
    if (p.exitCode() == 0) {
      ++modelFiles;
      EXPECT_TRUE(r.Loader.Problems().isEmpty())
          << fi.fileName().toStdString() << ": " << r.Loader.Problems().join("; ").toStdString();
    }
  }
  EXPECT_GE(modelFiles, 9);
}
