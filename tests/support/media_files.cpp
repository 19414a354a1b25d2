#include "tests/support/media_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace melo::testing {

namespace {

// The output path, its folder created.
QString Prepared(const TempDir& dir, const QString& name) {
  const QString path = dir.Path(name);
  QDir().mkpath(QFileInfo(path).absolutePath());
  return path;
}

QString ToneSource(double seconds, int frequency) {
  return QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2").arg(frequency).arg(seconds);
}

}  // namespace

bool Ffmpeg(const QStringList& arguments) {
  QProcess p;
  p.start(QStringLiteral("ffmpeg"), QStringList{"-y", "-v", "error", "-nostdin"} + arguments);
  return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString MakeTone(const TempDir& dir, const QString& name, double seconds, int frequency,
                 const QStringList& metadata) {
  const QString path = Prepared(dir, name);
  QStringList args = {"-f", "lavfi", "-i", ToneSource(seconds, frequency), "-af", "tremolo=f=3:d=0.6"};
  for (const QString& pair : metadata) args << "-metadata" << pair;
  args << path;
  return Ffmpeg(args) ? path : QString();
}

QString MakeMelody(const TempDir& dir, const QString& name, double seconds, int seed) {
  const QString path = Prepared(dir, name);
  const int low = 250 + 37 * (seed % 7), high = 700 + 53 * (seed % 5);
  const QString voices = QStringLiteral("0.3*sin(2*PI*(%1+%2*floor(mod(t*4,5)))*t)+0.3*sin(2*PI*(%3+%4*floor(mod(t*3,7)))*t)")
                             .arg(low)
                             .arg(60 + 10 * (seed % 3))
                             .arg(high)
                             .arg(90 + 20 * (seed % 4));
  return Ffmpeg({"-f", "lavfi", "-i", QStringLiteral("aevalsrc='%1':s=44100:d=%2").arg(voices).arg(seconds), path})
             ? path
             : QString();
}

QString MakeVideo(const TempDir& dir, const QString& name, double seconds, const QList<int>& frequencies) {
  const QString path = Prepared(dir, name);
  QStringList args = {"-f", "lavfi", "-i", QStringLiteral("color=c=blue:s=64x48:r=5:d=%1").arg(seconds)};
  for (int f : frequencies) args << "-f" << "lavfi" << "-i" << ToneSource(seconds, f);
  for (int i = 0; i <= frequencies.size(); ++i) args << "-map" << QString::number(i);
  args << path;
  return Ffmpeg(args) ? path : QString();
}

QString MakeScript(const TempDir& dir, const QString& name, const QByteArray& body) {
  const QString path = dir.Write(name, "#!/bin/sh\n" + body + "\n");
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

}  // namespace melo::testing
