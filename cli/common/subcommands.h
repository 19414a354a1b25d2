#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

namespace melo::cli {

// Exit statuses shared by the command-line tools.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitFailure = 2;

struct Subcommand {
  const char* name;
  const char* summary;
  // Receives the arguments after the subcommand name, with "<program> <name>" as
  // the first element so that QCommandLineParser prints a fitting usage line.
  int (*run)(const QStringList& arguments);
};

// Dispatches on the first argument; prints the list of subcommands for --help,
// no arguments, or an unknown name (the last with exit status 2).
int RunSubcommands(const QStringList& arguments, const QString& description,
                   std::span<const Subcommand> commands);

// Parses `arguments` with `parser` (which already holds the command's options and
// positional arguments) and adds --help. On a parse error prints it to stderr and
// returns false with *exitCode set; on --help prints the help and does the same.
bool ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments, int* exitCode);

// "<program>: error: <message>" on stderr, control characters made visible;
// returns kExitFailure for `return Fail(...)`.
int Fail(const QString& message);

// Parses `arguments` with the options an OptionSet declares (its AddTo(parser) adds
// them) and reads their values into *options with `read(parser, set, options)`,
// which gives the message of the first bad value or nothing. False with *exitCode
// set after --help, a parse error or a bad value (the message printed).
template <typename OptionSet, typename Options, typename Reader>
bool ParseOptions(const QStringList& arguments, Options* options, int* exitCode, Reader read) {
  QCommandLineParser parser;
  const OptionSet set;
  set.AddTo(parser);
  if (!ParseCommandLine(parser, arguments, exitCode)) return false;
  if (const std::optional<QString> problem = read(parser, set, options)) {
    *exitCode = Fail(*problem);
    return false;
  }
  return true;
}

// Writes text to stdout as UTF-8. Control characters other than TAB and LF are
// made visible; fields that may hold a TAB or LF of their own (names, paths) are
// escaped by the caller with EscapeControls first.
void Print(const QString& text);

// Ctrl+C and SIGTERM raise a flag instead of ending the program, so that a long
// command can stop cleanly; RestoreInterrupts() puts the default handling back.
void CatchInterrupts();
void RestoreInterrupts();
bool Interrupted();

}  // namespace melo::cli
