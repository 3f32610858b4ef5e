#pragma once
// Replays a fuzz target's kept inputs in the normal build: every file of a
// folder goes through the same entry function the fuzzer calls, and each must
// return 0 without a fault.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

using TFuzzEntry = std::function<int(const std::uint8_t* data, std::size_t size)>;

// Runs the files of `folder` in name order; gives how many ran (a missing
// folder runs none). `label` prefixes the trace of each input.
inline int ReplayFuzzFolder(const QString& folder, const TFuzzEntry& entry, const std::string& label = {}) {
  int replayed = 0;
  const QDir dir(folder);
  for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
    QFile f(fi.filePath());
    if (!f.open(QIODevice::ReadOnly)) {
      ADD_FAILURE() << "cannot read " << fi.filePath().toStdString();
      continue;
    }
    const QByteArray data = f.readAll();
    SCOPED_TRACE(label + fi.fileName().toStdString());
    EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())), 0);
    ++replayed;
  }
  return replayed;
}

// The "corpus" and "crashes" folders below `root`.
inline int ReplayFuzzCorpusAndCrashes(const QString& root, const TFuzzEntry& entry) {
  return ReplayFuzzFolder(root + QStringLiteral("/corpus"), entry) +
         ReplayFuzzFolder(root + QStringLiteral("/crashes"), entry);
}
