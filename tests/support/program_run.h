#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <unistd.h>

namespace melo::testing {

// What a finished program printed: stdout as non-empty lines, stderr as text.
struct ProgramRun {
  int exitCode = -1;  // -1 when it crashed or did not end within two minutes
  QStringList lines;
  QString errors;
};

inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(environment);
  p.start(program, arguments);
  const bool ended = p.waitForFinished(120000);
  ProgramRun run;
  run.exitCode = ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  run.errors = QString::fromUtf8(p.readAllStandardError());
  return run;
}

// True when the program ran to its end with exit status 0.
inline bool RunsOk(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  return RunProgram(program, arguments, environment).exitCode == 0;
}

// The command line that runs `program` as an ordinary user: as it is when the tests
// do not run as root, else through setpriv as "nobody" (root writes files whatever
// their permissions say). Empty when there is no way.
inline QStringList AsOrdinaryUser(const QString& program, const QStringList& arguments) {
  if (::geteuid() != 0) return QStringList{program} + arguments;
  const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
  if (setpriv.isEmpty()) return {};
  return QStringList{setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups", program} + arguments;
}

// What the sqlite3 shell prints for `sql` on the database file, trimmed.
inline QString Sqlite3(const QString& database, const QString& sql) {
  return RunProgram(QStringLiteral("sqlite3"), {database, sql}).lines.join(QLatin1Char('\n')).trimmed();
}

}  // namespace melo::testing
