#pragma once

#include <QString>

namespace melo {

// Starts external tools. The command line is one string, as it is logged: the first
// token names the program (a bare name is looked up on PATH), and tokens are split
// at blanks except inside double quotes, so a path with blanks must be quoted by
// the caller. Three double quotes in a row stand for one literal quote; build
// tokens with QuoteCommandArgument so that any file name arrives intact.
//
// Both calls block the calling thread until the child has ended (there is no time
// limit) and return false only when it cannot be started (missing program, missing
// working directory). The child's exit code is not reported: callers judge success
// by the files the tool leaves behind.

// Runs the command with no standard streams (all bound to the null device).
bool RunProcessAndWait(const QString& commandLine, const QString& workingDirectory);

// Runs the command with standard input read from inputPath (created empty when
// absent; an empty path means none) and standard output and error written to the
// two capture files, which are deleted first so they never hold an earlier run's text.
bool RunProcessWithFiles(const QString& commandLine, const QString& workingDirectory,
                         const QString& inputPath, const QString& outputPath,
                         const QString& errorPath);

// `text` in double quotes, each quote inside it tripled, so that the runner's
// split gives back exactly `text` as one argument.
QString QuoteCommandArgument(const QString& text);

}  // namespace melo
