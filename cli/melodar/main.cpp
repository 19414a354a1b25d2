#include "cli/common/subcommands.h"
#include "cli/melodar/search_command.h"

#include <QCoreApplication>
#include <array>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("melodar-cli"));

  using melo::cli::Subcommand;
  static constexpr std::array kCommands = {
      Subcommand{"search", "Identify query files against a fingerprint database.", &melo::cli::RunSearchCommand},
  };
  return melo::cli::RunSubcommands(
      QCoreApplication::arguments(),
      QStringLiteral("Melodar searcher, headless: identifies recorded sound against a fingerprint database."),
      kCommands);
}
