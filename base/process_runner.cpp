#include "base/process_runner.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace melo {

namespace {

constexpr int kStopPollMs = 50;

// Runs in the child between fork and exec: only system calls here.
void DetachFromTerminalGroup() {
  setpgid(0, 0);
#ifdef __linux__
  // Sent when the thread that started the tool ends, also when the whole program
  // is killed.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

void KillGroup(QProcess& process) {
  const qint64 pid = process.processId();
  if (pid > 0) ::kill(static_cast<pid_t>(-pid), SIGKILL);  // the tool and whatever it started
  process.kill();
  process.waitForFinished(-1);
}

ProcessResult RunWithStreams(const QString& commandLine, const QString& workingDirectory,
                             const QString& input, const QString& output, const QString& error,
                             const StopRequest& stop) {
  QStringList arguments = QProcess::splitCommand(commandLine);
  if (arguments.isEmpty()) return ProcessResult::NotStarted;
  QProcess process;
  process.setProgram(arguments.takeFirst());
  process.setArguments(arguments);
  process.setWorkingDirectory(workingDirectory);
  process.setStandardInputFile(input.isEmpty() ? QProcess::nullDevice() : input);
  process.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
  process.setStandardErrorFile(error.isEmpty() ? QProcess::nullDevice() : error);
  process.setChildProcessModifier(DetachFromTerminalGroup);
  process.start();
  if (!process.waitForStarted(-1)) return ProcessResult::NotStarted;
  while (!process.waitForFinished(stop ? kStopPollMs : -1)) {
    if (process.state() == QProcess::NotRunning) break;
    if (stop && stop()) {
      KillGroup(process);
      return ProcessResult::Stopped;
    }
  }
  const bool clean = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  return clean ? ProcessResult::Succeeded : ProcessResult::Failed;
}

}  // namespace

ProcessResult RunProcessAndWait(const QString& commandLine, const QString& workingDirectory,
                                const StopRequest& stop) {
  return RunWithStreams(commandLine, workingDirectory, {}, {}, {}, stop);
}

ProcessResult RunProcessWithFiles(const QString& commandLine, const QString& workingDirectory,
                                  const QString& inputPath, const QString& outputPath,
                                  const QString& errorPath, const StopRequest& stop) {
  for (const QString& capture : {outputPath, errorPath}) {
    if (!capture.isEmpty() && QFile::exists(capture)) QFile::remove(capture);
  }
  if (!inputPath.isEmpty() && !QFile::exists(inputPath)) {
    QFile created(inputPath);
    created.open(QIODevice::WriteOnly);
  }
  return RunWithStreams(commandLine, workingDirectory, inputPath, outputPath, errorPath, stop);
}

QString QuoteCommandArgument(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace melo
