#pragma once
// The file list view tests run in a home of their own: HOME, XDG_DATA_HOME
// and XDG_CONFIG_HOME point into a temporary tree made before the
// application starts, so the trash, the desktop and the send-to folder are
// the tests' own.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

QString TestHome();
QString TestDataHome();
// A fresh empty folder below the test tree.
QString FreshDir(const QString& name);
void WriteFile(const QString& path, const QByteArray& data);
QByteArray ReadAll(const QString& path);
// Runs a program with the test environment; stdout.
QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr);
