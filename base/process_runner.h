#pragma once

#include <QString>
#include <functional>

namespace melo {

// Starts external tools. The command line is one string, as it is logged: the first
// token names the program (a bare name is looked up on PATH), and tokens are split
// at blanks except inside double quotes, so a path with blanks must be quoted by
// the caller. Three double quotes in a row stand for one literal quote; build
// tokens with QuoteCommandArgument so that any file name arrives intact.
//
// Both calls block the calling thread until the child has ended (there is no time
// limit). A tool that was killed or ended with a failure status may have left a
// file cut short behind: only Succeeded means its output is whole.
//
// The child runs in a process group of its own, so a Ctrl+C on the terminal reaches
// only this program, which then stops its tools itself; and it is killed when the
// thread that started it ends, so a killed program leaves no tool running.

enum class ProcessResult {
  NotStarted,  // missing program, missing working directory
  Succeeded,   // exit status 0
  Failed,      // another exit status, or ended by a signal
  Stopped,     // killed because `stop` asked for it
};

// Polled about every 50 ms while the child runs; true kills the child at once.
using StopRequest = std::function<bool()>;

// Runs the command with no standard streams (all bound to the null device).
ProcessResult RunProcessAndWait(const QString& commandLine, const QString& workingDirectory,
                                const StopRequest& stop = {});

// Runs the command with standard input read from inputPath (created empty when
// absent; an empty path means none) and standard output and error written to the
// two capture files, which are deleted first so they never hold an earlier run's text.
ProcessResult RunProcessWithFiles(const QString& commandLine, const QString& workingDirectory,
                                  const QString& inputPath, const QString& outputPath,
                                  const QString& errorPath, const StopRequest& stop = {});

// `text` in double quotes, each quote inside it tripled, so that the runner's
// split gives back exactly `text` as one argument.
QString QuoteCommandArgument(const QString& text);

}  // namespace melo
