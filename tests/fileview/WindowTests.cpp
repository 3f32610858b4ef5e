// The file view demonstration window.
#include <gtest/gtest.h>

#include <QLocale>
#include <QAbstractItemView>
#include <QTest>

#include "FileViewEnv.h"
#include "TestUtil.h"
#include <Tarnwell/fileview/FFileView.h>

namespace {

QString PreparedFolder() {
  const QString d = FreshDir("window");
  QDir(d).mkdir("Documenti");
  QDir(d).mkdir("Immagini");
  WriteFile(d + "/leggimi.txt", QByteArray(1200, 'l'));
  WriteFile(d + "/archivio.zip", QByteArray(1234567, 'z'));
  WriteFile(d + "/dati.csv", QByteArray(30, 'c'));
  return d;
}

}  // namespace

TEST(Window, StatusBarCountsAndSizesWithLocaleSeparators) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  const QString d = PreparedFolder();
  TFormFileView form;
  EXPECT_EQ(form.Caption(), "TFileListView...");
  EXPECT_EQ(form.DesignSize(), QSize(488, 322));
  EXPECT_EQ(form.BorderIcons(), TBorderIcons(biSystemMenu | biMinimize));
  EXPECT_EQ(form.StatusText(0), "Objects:");
  form.resize(488, 322);
  form.show();
  form.FileListView->ChangeDir(d);
  ASSERT_TRUE(form.FileListView->WaitForRead());
  EXPECT_EQ(form.DirectoryComboLite1->Directory(), d);
  EXPECT_EQ(form.StatusText(0), "Objects: 5");
  EXPECT_EQ(form.StatusText(1), "1.235.797 bytes");
  form.FileListView->SelectRow(form.FileListView->RowOfName("leggimi.txt"));
  form.FileListView->SelectRow(form.FileListView->RowOfName("archivio.zip"), true);
  EXPECT_EQ(form.StatusText(0), "Selected Objects: 2");
  EXPECT_EQ(form.StatusText(1), "1.235.767 bytes");
  EXPECT_EQ(form.FileNameEditLite1->text(), "archivio.zip");
  if (qEnvironmentVariableIsSet("FILEVIEW_SNAP_COMBO")) {
    form.DirectoryComboLite1->showPopup();
    QTest::qWait(100);
    form.DirectoryComboLite1->view()->window()->grab().save(qEnvironmentVariable("FILEVIEW_SNAP_COMBO"));
    form.DirectoryComboLite1->hidePopup();
  }
  // The style buttons and the up button.
  EXPECT_TRUE(form.BtnList->isChecked());
  QTest::mouseClick(form.BtnReport, Qt::LeftButton);
  EXPECT_EQ(form.FileListView->ViewIconStyle(), visReport);
  // The style in use stays down, and only that one.
  EXPECT_TRUE(form.BtnReport->isChecked());
  EXPECT_FALSE(form.BtnList->isChecked());
  if (qEnvironmentVariableIsSet("FILEVIEW_SNAP")) form.grab().save(qEnvironmentVariable("FILEVIEW_SNAP"));
  QTest::mouseClick(form.BtnBig, Qt::LeftButton);
  EXPECT_EQ(form.FileListView->ViewIconStyle(), visIcon);
  if (qEnvironmentVariableIsSet("FILEVIEW_SNAP_ICON")) form.grab().save(qEnvironmentVariable("FILEVIEW_SNAP_ICON"));
  QTest::mouseClick(form.BtnPrevDir, Qt::LeftButton);
  form.FileListView->WaitForRead();
  EXPECT_EQ(form.FileListView->Directory(), ParentPath(d));
  EXPECT_EQ(form.DirectoryComboLite1->Directory(), ParentPath(d));
  QLocale::setDefault(saved);
}

TEST(Window, EveryControlCanBeFoundByItsName) {
  TFormFileView form;
  for (const char* name : {"Panel1", "DirectoryComboLite1", "BtnPrevDir", "BtnList", "BtnReport", "BtnSmall", "BtnBig",
                           "Panel3", "FileListView", "Panel2", "Label1", "FileNameEditLite1", "StatusBar"})
    EXPECT_NE(form.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
  EXPECT_EQ(form.findChild<QWidget*>("BtnReport"), form.BtnReport);
}
