#include "cli/common/subcommands.h"
#include "cli/melodar/listen_command.h"
#include "cli/melodar/search_command.h"

#include <QCoreApplication>
#include <array>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("melodar-cli"));

  using melo::cli::Subcommand;
  static constexpr std::array kCommands = {
      Subcommand{"search", "Identify query files against a fingerprint database.", &melo::cli::RunSearchCommand},
      Subcommand{"listen", "Identify what a sound source plays, again and again.", &melo::cli::RunListenCommand},
  };
  if (QCoreApplication::arguments().value(1) == QLatin1String("--list-sources")) return melo::cli::ListSources();
  return melo::cli::RunSubcommands(
      QCoreApplication::arguments(),
      QStringLiteral("Melodar searcher, headless: identifies recorded sound against a fingerprint database.\n"
                     "melodar-cli --list-sources lists the sound sources that listen can use."),
      kCommands);
}
