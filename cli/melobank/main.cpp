#include "cli/common/subcommands.h"
#include "cli/melobank/check_import_commands.h"
#include "cli/melobank/database_commands.h"
#include "cli/melobank/fingerprint_command.h"
#include "cli/melobank/index_command.h"
#include "cli/melobank/landmarks_command.h"
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "base/program_paths.h"

#include <QCoreApplication>
#include <array>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("melobank-cli"));
  // The database's error log goes where the window program's goes: beside the
  // program, or into the user's data folder when an installation's is read-only.
  const auto paths = melo::ProgramPaths::For(QCoreApplication::applicationDirPath(), QStringLiteral("melobank"));
  melo::SetMyLogPath(melo::JoinPath(paths.dataDir, QStringLiteral("my.log")));

  using melo::cli::Subcommand;
  static constexpr std::array kCommands = {
      Subcommand{"fingerprint", "Print the fingerprint records or query key points of a sample file.",
                 &melo::cli::RunFingerprintCommand},
      Subcommand{"index", "Index audio and video files into a database.", &melo::cli::RunIndexCommand},
      Subcommand{"create", "Create a database file with its table.", &melo::cli::RunCreateCommand},
      Subcommand{"list", "List the rows of a database as id<TAB>name.", &melo::cli::RunListCommand},
      Subcommand{"show", "Show the fields of one row.", &melo::cli::RunShowCommand},
      Subcommand{"check", "Check a database for rows that would mislead the searcher.", &melo::cli::RunCheckCommand},
      Subcommand{"import", "Merge the rows of another database into a database.", &melo::cli::RunImportCommand},
      Subcommand{"landmarks", "Add the missing landmarks to the rows of a database from their source files.",
                 &melo::cli::RunLandmarksCommand},
      Subcommand{"vacuum", "Compact a database file.", &melo::cli::RunVacuumCommand},
      Subcommand{"clear", "Delete every row of a database.", &melo::cli::RunClearCommand},
  };
  return melo::cli::RunSubcommands(
      QCoreApplication::arguments(),
      QStringLiteral("Melobank indexer, headless: fingerprints audio and manages fingerprint databases."),
      kCommands);
}
