#include "Loader3D.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>

#include <Tarnwell/platform/TFileWriter.h>

namespace Tarnwell {

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "vertex and face blocks are copied as they are in the file");

namespace {
QString Hex(std::uint16_t id) {
  return QStringLiteral("0x") + QString::number(id, 16).rightJustified(4, QLatin1Char('0')).toUpper();
}
}  // namespace

// ------------------------------------------------------------------ reading

int TLoader3DFile::Load3DFile(const QString& fileName, TObject3DList& list, TObject3D* rootObject) {
  const QFileInfo info(fileName);
  if (!info.exists()) throw E3DFileError(QStringLiteral("File non trovato: %1").arg(fileName));
  // A FIFO or a device would block or never end: only plain files are read.
  if (!info.isFile()) throw E3DFileError(QStringLiteral("Non è un file regolare: %1").arg(fileName));
  if (info.size() > kMaxFileSize)
    throw E3DFileError(QStringLiteral("File troppo grande: %1 (%2 byte)").arg(fileName).arg(info.size()));
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw E3DFileError(
        QStringLiteral("Impossibile leggere il file %1: %2").arg(fileName, file.errorString()));
  const QByteArray data = file.read(kMaxFileSize + 1);
  if (data.size() > kMaxFileSize) throw E3DFileError(QStringLiteral("File troppo grande: %1").arg(fileName));
  return LoadFromMemory(data, list, rootObject);
}

int TLoader3DFile::LoadFromMemory(const QByteArray& data, TObject3DList& list, TObject3D* rootObject) {
  mData = reinterpret_cast<const std::uint8_t*>(data.constData());
  mSize = std::uint64_t(data.size());
  mList = &list;
  mRoot = rootObject;
  mName = QStringLiteral("Default name");
  mAppended = 0;
  mAccepted = false;
  mProblems.clear();

  if (mSize < 6 || U16(0) != Chunk3DS::Main) {
    Problem(QStringLiteral("Non è un file 3D Studio"));
    return 0;
  }
  TChunk main;
  main.Id = Chunk3DS::Main;
  const std::uint64_t length = U32(2);
  if (length < 6) {
    Problem(QStringLiteral("Blocco principale di lunghezza %1 non valida").arg(length));
    return 0;
  }
  if (length > mSize) Problem(QStringLiteral("File troncato: %1 byte su %2").arg(mSize).arg(length));
  main.End = std::min(length, mSize);
  if (!CheckVersion(main)) return 0;
  mAccepted = true;
  WalkMain(main);
  return mAppended;
}

std::uint16_t TLoader3DFile::U16(std::uint64_t at) const {
  return at + 2 <= mSize ? qFromLittleEndian<std::uint16_t>(mData + at) : 0;
}

std::uint32_t TLoader3DFile::U32(std::uint64_t at) const {
  return at + 4 <= mSize ? qFromLittleEndian<std::uint32_t>(mData + at) : 0;
}

float TLoader3DFile::F32(std::uint64_t at) const {
  const std::uint32_t u = U32(at);
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

void TLoader3DFile::Problem(const QString& text) {
  if (mProblems.size() < 100) mProblems << text;
}

bool TLoader3DFile::ReadHeader(std::uint64_t pos, std::uint64_t parentEnd, TChunk& c) {
  c = TChunk();
  c.Id = U16(pos);
  const std::uint64_t length = U32(pos + 2);
  // A container cut off by the end of the file (a truncated download) is
  // read as far as it goes: the meshes complete before the cut are kept.
  const bool container =
      c.Id == Chunk3DS::Editor || c.Id == Chunk3DS::NamedObject || c.Id == Chunk3DS::TriMesh;
  if (container && parentEnd == mSize && pos + 6 <= parentEnd && length >= 6 && pos + length > mSize) {
    Problem(QStringLiteral("Blocco %1 all'offset %2 troncato dalla fine del file").arg(Hex(c.Id)).arg(pos));
    c.Start = pos;
    c.End = mSize;
    c.Truncated = true;
    return true;
  }
  // 64-bit arithmetic: a length near 4 GiB cannot wrap past the check.
  if (pos + 6 > parentEnd || length < 6 || length > parentEnd - pos) {
    Problem(QStringLiteral("Blocco %1 all'offset %2: lunghezza %3 non valida (restano %4 byte)")
                .arg(Hex(c.Id))
                .arg(pos)
                .arg(length)
                .arg(parentEnd > pos ? parentEnd - pos : 0));
    return false;
  }
  c.Start = pos;
  c.End = pos + length;
  return true;
}

bool TLoader3DFile::CheckVersion(const TChunk& main) {
  std::uint64_t pos = 6;
  while (pos < main.End && main.End - pos >= 6) {
    const std::uint16_t id = U16(pos);
    const std::uint64_t length = U32(pos + 2);
    if (length < 6 || length > main.End - pos) break;  // the walk reports it
    if (id == Chunk3DS::Version && length >= 10) {
      const std::uint32_t v = U32(pos + 6);
      if (v == 0 || v > kMaxVersion) {
        Problem(QStringLiteral("Versione %1 del file non supportata").arg(v));
        return false;
      }
      return true;
    }
    pos += length;
  }
  return true;
}

void TLoader3DFile::WalkMain(const TChunk& main) {
  std::uint64_t pos = 6;
  while (pos < main.End && main.End - pos >= 6) {
    TChunk c;
    if (!ReadHeader(pos, main.End, c)) return;
    if (c.Id == Chunk3DS::Editor) WalkEditor(c);
    // Everything else, the keyframer included, is skipped by its length.
    pos = c.End;
  }
}

void TLoader3DFile::WalkEditor(const TChunk& editor) {
  std::uint64_t pos = editor.Start + 6;
  while (pos < editor.End && editor.End - pos >= 6) {
    TChunk c;
    if (!ReadHeader(pos, editor.End, c)) return;
    if (c.Id == Chunk3DS::NamedObject) ReadNamedObject(c);
    pos = c.End;
  }
}

void TLoader3DFile::ReadNamedObject(const TChunk& obj) {
  // The name runs to its NUL, which must lie inside the chunk.
  const std::uint64_t nameStart = obj.Start + 6;
  const void* nul = std::memchr(mData + nameStart, 0, std::size_t(obj.End - nameStart));
  if (!nul) {
    Problem(QStringLiteral("Oggetto all'offset %1: nome senza terminatore").arg(obj.Start));
    return;
  }
  const std::uint64_t nameLen = std::uint64_t(static_cast<const std::uint8_t*>(nul) - (mData + nameStart));
  mName = nameLen ? QString::fromLatin1(reinterpret_cast<const char*>(mData + nameStart), qsizetype(nameLen))
                  : QStringLiteral("Default name");
  std::uint64_t pos = nameStart + nameLen + 1;
  while (pos < obj.End && obj.End - pos >= 6) {
    TChunk c;
    if (!ReadHeader(pos, obj.End, c)) return;
    if (c.Id == Chunk3DS::TriMesh) ReadMesh(c, c.Start + 6);
    pos = c.End;
  }
}

void TLoader3DFile::ReadMesh(const TChunk& mesh, std::uint64_t bodyStart) {
  auto obj = std::make_unique<TObject3D>();
  obj->ObjectName = mName;
  obj->ParentObject = mRoot;
  bool verticesSeen = false, facesSeen = false, complete = !mesh.Truncated;

  std::uint64_t pos = bodyStart;
  while (complete && pos < mesh.End && mesh.End - pos >= 6) {
    TChunk c;
    if (!ReadHeader(pos, mesh.End, c)) {
      complete = false;
      break;
    }
    const std::uint64_t body = c.Start + 6, bodyLen = c.End - body;
    switch (c.Id) {
      case Chunk3DS::VertexList: {
        const std::uint64_t n = bodyLen >= 2 ? U16(body) : 0;
        if (bodyLen < 2 || 2 + n * sizeof(TVertex3D) > bodyLen) {
          Problem(QStringLiteral("Mesh \"%1\": %2 vertici non entrano nel blocco").arg(mName).arg(n));
          complete = false;
        } else if (n) {
          obj->LocalVertices.SetData(mData + body + 2, int(n), sizeof(TVertex3D));
          obj->WorldVertices.SetData(mData + body + 2, int(n), sizeof(TVertex3D));
          verticesSeen = obj->LocalVertices.Count() == int(n);
        }
        break;
      }
      case Chunk3DS::FaceList: {
        // Material and smoothing sub-chunks after the faces are skipped with
        // the whole face list.
        const std::uint64_t n = bodyLen >= 2 ? U16(body) : 0;
        if (bodyLen < 2 || 2 + n * sizeof(TFaceVert3D) > bodyLen) {
          Problem(QStringLiteral("Mesh \"%1\": %2 facce non entrano nel blocco").arg(mName).arg(n));
          complete = false;
        } else if (n) {
          obj->Faces.SetData(mData + body + 2, int(n), sizeof(TFaceVert3D));
          facesSeen = obj->Faces.Count() == int(n);
        }
        break;
      }
      case Chunk3DS::MeshMatrix:
        if (bodyLen >= 48) {
          float m[12];
          for (int i = 0; i < 12; ++i) m[i] = F32(body + 4 * std::uint64_t(i));
          obj->SetMatrix(m);
        }
        break;
      case Chunk3DS::MeshColor:
        if (bodyLen >= 1) obj->Visible = mData[body] != 0;
        break;
      default:
        break;
    }
    pos = c.End;
  }
  if (!complete) return;
  if (!verticesSeen || !facesSeen) return;  // a point cloud or a bare face list: nothing to draw

  const int nv = obj->LocalVertices.Count();
  const TVertex3D* v = obj->LocalVertices.Data();
  for (int i = 0; i < nv; ++i) {
    if (!std::isfinite(v[i].X) || !std::isfinite(v[i].Y) || !std::isfinite(v[i].Z)) {
      Problem(QStringLiteral("Mesh \"%1\" scartata: coordinate non finite (vertice %2)").arg(mName).arg(i));
      return;
    }
  }
  const TFaceVert3D* f = obj->Faces.Data();
  for (int i = 0, nf = obj->Faces.Count(); i < nf; ++i) {
    const int worst = std::max({f[i].A, f[i].B, f[i].C});
    if (worst >= nv) {
      Problem(QStringLiteral("Mesh \"%1\" scartata: la faccia %2 usa il vertice %3 di %4")
                  .arg(mName)
                  .arg(i)
                  .arg(worst)
                  .arg(nv));
      return;
    }
  }
  obj->ResetPosition();  // the matrix's origin is discarded
  obj->UpdateWorld();
  mList->push_back(std::move(obj));
  ++mAppended;
}

// ------------------------------------------------------------------ writing

QByteArray TWriter3DFile::U16(std::uint16_t v) {
  char b[2];
  qToLittleEndian(v, b);
  return QByteArray(b, 2);
}

QByteArray TWriter3DFile::U32(std::uint32_t v) {
  char b[4];
  qToLittleEndian(v, b);
  return QByteArray(b, 4);
}

QByteArray TWriter3DFile::F32(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return U32(u);
}

QByteArray TWriter3DFile::MakeChunk(std::uint16_t id, const QByteArray& body) {
  return U16(id) + U32(std::uint32_t(body.size() + 6)) + body;
}

void TWriter3DFile::AddMesh(const QString& name, const std::vector<TVertex3D>& vertices,
                            const std::vector<TFaceVert3D>& faces) {
  QByteArray v = U16(std::uint16_t(vertices.size()));
  v.reserve(qsizetype(2 + 12 * vertices.size()));
  for (const TVertex3D& p : vertices) v += F32(p.X) + F32(p.Y) + F32(p.Z);
  QByteArray f = U16(std::uint16_t(faces.size()));
  for (const TFaceVert3D& t : faces) f += U16(t.A) + U16(t.B) + U16(t.C) + U16(t.Flags);
  QByteArray m;
  for (float x : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) m += F32(x);
  const QByteArray mesh =
      MakeChunk(Chunk3DS::TriMesh, MakeChunk(Chunk3DS::VertexList, v) + MakeChunk(Chunk3DS::FaceList, f) +
                                       MakeChunk(Chunk3DS::MeshMatrix, m));
  mObjects += MakeChunk(Chunk3DS::NamedObject, name.toLatin1() + QByteArray(1, '\0') + mesh);
}

QByteArray TWriter3DFile::Data() const {
  const QByteArray editor = MakeChunk(Chunk3DS::MeshVersion, U32(3)) + mObjects;
  return MakeChunk(Chunk3DS::Main,
                   MakeChunk(Chunk3DS::Version, U32(3)) + MakeChunk(Chunk3DS::Editor, editor));
}

void TWriter3DFile::SaveToFile(const QString& fileName) const {
  // All or nothing: a full disk or a kill never leaves half a model in
  // place of the old one.
  TFileWriter file(fileName);
  const QByteArray data = Data();
  if (!file.open() || file.write(data) != data.size() || !file.Commit())
    throw E3DFileError(
        QStringLiteral("Impossibile scrivere il file %1: %2").arg(fileName, file.errorString()));
}

}  // namespace Tarnwell
