#include "cli/common/subcommands.h"
#include "cli/melobank/fingerprint_command.h"

#include <QCoreApplication>
#include <array>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("melobank-cli"));

  using melo::cli::Subcommand;
  static constexpr std::array kCommands = {
      Subcommand{"fingerprint", "Print the fingerprint records or query key points of a sample file.",
                 &melo::cli::RunFingerprintCommand},
  };
  return melo::cli::RunSubcommands(
      QCoreApplication::arguments(),
      QStringLiteral("Melobank indexer, headless: fingerprints audio and manages fingerprint databases."),
      kCommands);
}
