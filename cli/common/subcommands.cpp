#include "cli/common/subcommands.h"

#include "base/console.h"
#include "base/text_format.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <atomic>
#include <csignal>

namespace melo::cli {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

QString ProgramName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

QString Usage(const QString& description, std::span<const Subcommand> commands) {
  QString text = QStringLiteral("Usage: %1 <command> [options]\n\n%2\n\nCommands:\n")
                     .arg(ProgramName(), description);
  for (const Subcommand& c : commands) {
    text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(c.name).leftJustified(12),
                                              QString::fromUtf8(c.summary));
  }
  text += QStringLiteral("\nRun '%1 <command> --help' for the options of a command.\n")
              .arg(ProgramName());
  return text;
}

}  // namespace

int RunSubcommands(const QStringList& arguments, const QString& description,
                   std::span<const Subcommand> commands) {
  if (arguments.size() < 2 || arguments[1] == QLatin1String("--help") ||
      arguments[1] == QLatin1String("-h")) {
    WriteText(stdout, Usage(description, commands));
    return arguments.size() < 2 ? kExitFailure : kExitOk;
  }
  for (const Subcommand& c : commands) {
    if (arguments[1] == QLatin1String(c.name)) {
      QStringList rest = arguments.mid(2);
      rest.prepend(ProgramName() + QLatin1Char(' ') + QLatin1String(c.name));
      return c.run(rest);
    }
  }
  WriteText(stderr, QStringLiteral("%1: error: unknown command '%2'\n\n").arg(ProgramName(), arguments[1]));
  WriteText(stderr, Usage(description, commands));
  return kExitFailure;
}

bool ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments, int* exitCode) {
  const QCommandLineOption help = parser.addHelpOption();
  if (!parser.parse(arguments)) {
    *exitCode = Fail(parser.errorText());
    return false;
  }
  if (parser.isSet(help)) {
    // The parser names only the program in its usage line; name the subcommand too.
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(QLatin1String(" [options]"));
    if (text.startsWith(QLatin1String("Usage: ")) && options > 0) {
      text.replace(7, options - 7, arguments.constFirst());
    }
    WriteText(stdout, text);
    *exitCode = kExitOk;
    return false;
  }
  return true;
}

int Fail(const QString& message) {
  WriteText(stderr, QStringLiteral("%1: error: %2\n").arg(ProgramName(), EscapeControls(message)));
  return kExitFailure;
}

void Print(const QString& text) { WriteText(stdout, EscapeControls(text, true)); }

void CatchInterrupts() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

void RestoreInterrupts() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool Interrupted() { return interrupted.load(); }

}  // namespace melo::cli
