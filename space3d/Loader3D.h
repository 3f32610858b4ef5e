#pragma once
// Reader of 3D Studio model files (the chunk format): the triangle meshes of
// the editor section become TObject3D objects. Everything is read through a
// bounds-checked cursor: a chunk is accepted only when its length fits what
// is left of its container, and a damaged container ends there, keeping the
// meshes read completely before the damage.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "Engine3D.h"
#include <Tarnwell/platform/TExceptions.h>
#include <Tarnwell/TarnwellExport.h>

namespace Tarnwell {

// A model file that cannot be read at all (missing, not a regular file, too large).
class TARNWELL_SPACE3DENGINE_EXPORT E3DFileError : public ETarnwellError {
 public:
  using ETarnwellError::ETarnwellError;
};

// Chunk identifiers the reader knows.
namespace Chunk3DS {
constexpr std::uint16_t Main = 0x4D4D;
constexpr std::uint16_t Version = 0x0002;
constexpr std::uint16_t Editor = 0x3D3D;
constexpr std::uint16_t MeshVersion = 0x3D3E;
constexpr std::uint16_t Material = 0xAFFF;
constexpr std::uint16_t NamedObject = 0x4000;
constexpr std::uint16_t TriMesh = 0x4100;
constexpr std::uint16_t VertexList = 0x4110;
constexpr std::uint16_t FaceList = 0x4120;
constexpr std::uint16_t Smoothing = 0x4150;
constexpr std::uint16_t MeshMatrix = 0x4160;
constexpr std::uint16_t MeshColor = 0x4165;
constexpr std::uint16_t Keyframer = 0xB000;
}  // namespace Chunk3DS

// Reads the meshes of a 3D Studio (chunk format) model file into 3D objects, keeping what it can of
// a damaged file and saying what was wrong.
class TARNWELL_SPACE3DENGINE_EXPORT TLoader3DFile {
 public:
  // Files larger than this are refused rather than read into memory.
  static constexpr std::int64_t kMaxFileSize = std::int64_t(256) << 20;
  // Versions a main version chunk may carry.
  static constexpr std::uint32_t kMaxVersion = 255;

  // Reads the file and appends one object per usable mesh to list, each with
  // rootObject as its parent; returns how many were appended. Throws
  // E3DFileError when the file cannot be read; damage inside a readable file
  // does not throw: see Problems().
  int Load3DFile(const QString& fileName, TObject3DList& list, TObject3D* rootObject);
  // The same for a file already in memory.
  int LoadFromMemory(const QByteArray& data, TObject3DList& list, TObject3D* rootObject);

  // Whether the data was recognised as a model file at all.
  bool Accepted() const { return mAccepted; }
  // What was wrong with the file, first problem first; empty for a sound file.
  const QStringList& Problems() const { return mProblems; }
  bool Damaged() const { return !mProblems.isEmpty(); }

 private:
  struct TChunk {
    std::uint16_t Id = 0;
    std::uint64_t Start = 0, End = 0;  // End = Start + length
    bool Truncated = false;            // cut off by the end of the file
  };
  // Reads the header at pos inside [.., parentEnd); false (and a problem
  // noted) when it does not fit.
  bool ReadHeader(std::uint64_t pos, std::uint64_t parentEnd, TChunk& c);
  bool CheckVersion(const TChunk& main);
  void WalkMain(const TChunk& main);
  void WalkEditor(const TChunk& editor);
  void ReadNamedObject(const TChunk& obj);
  void ReadMesh(const TChunk& mesh, std::uint64_t bodyStart);
  void Problem(const QString& text);
  std::uint16_t U16(std::uint64_t at) const;
  std::uint32_t U32(std::uint64_t at) const;
  float F32(std::uint64_t at) const;

  const std::uint8_t* mData = nullptr;
  std::uint64_t mSize = 0;
  TObject3DList* mList = nullptr;
  TObject3D* mRoot = nullptr;
  QString mName;
  int mAppended = 0;
  bool mAccepted = false;
  QStringList mProblems;
};

// Writes model files of the same chunk format (the demonstration model, test
// data): one named object with one triangle mesh per AddMesh.
class TARNWELL_SPACE3DENGINE_EXPORT TWriter3DFile {
 public:
  void AddMesh(const QString& name, const std::vector<TVertex3D>& vertices,
               const std::vector<TFaceVert3D>& faces);
  QByteArray Data() const;
  // Throws E3DFileError when the file cannot be written.
  void SaveToFile(const QString& fileName) const;

  // Building blocks for hand-made files: a chunk is id, length, body.
  static QByteArray MakeChunk(std::uint16_t id, const QByteArray& body);
  static QByteArray U16(std::uint16_t v);
  static QByteArray U32(std::uint32_t v);
  static QByteArray F32(float v);

 private:
  QByteArray mObjects;
};

}  // namespace Tarnwell
