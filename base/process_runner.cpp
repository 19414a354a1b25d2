#include "base/process_runner.h"

#include <QFile>
#include <QProcess>

namespace melo {

namespace {

bool RunWithStreams(const QString& commandLine, const QString& workingDirectory,
                    const QString& input, const QString& output, const QString& error) {
  QStringList arguments = QProcess::splitCommand(commandLine);
  if (arguments.isEmpty()) return false;
  QProcess process;
  process.setProgram(arguments.takeFirst());
  process.setArguments(arguments);
  process.setWorkingDirectory(workingDirectory);
  process.setStandardInputFile(input.isEmpty() ? QProcess::nullDevice() : input);
  process.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
  process.setStandardErrorFile(error.isEmpty() ? QProcess::nullDevice() : error);
  process.start();
  if (!process.waitForStarted(-1)) return false;
  process.waitForFinished(-1);
  return true;
}

}  // namespace

bool RunProcessAndWait(const QString& commandLine, const QString& workingDirectory) {
  return RunWithStreams(commandLine, workingDirectory, {}, {}, {});
}

bool RunProcessWithFiles(const QString& commandLine, const QString& workingDirectory,
                         const QString& inputPath, const QString& outputPath,
                         const QString& errorPath) {
  for (const QString& capture : {outputPath, errorPath}) {
    if (!capture.isEmpty() && QFile::exists(capture)) QFile::remove(capture);
  }
  if (!inputPath.isEmpty() && !QFile::exists(inputPath)) {
    QFile created(inputPath);
    created.open(QIODevice::WriteOnly);
  }
  return RunWithStreams(commandLine, workingDirectory, inputPath, outputPath, errorPath);
}

QString QuoteCommandArgument(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace melo
