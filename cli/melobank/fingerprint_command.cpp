#include "cli/melobank/fingerprint_command.h"

#include "base/sample_files.h"
#include "cli/common/query_refusal.h"
#include "cli/common/subcommands.h"
#include "fingerprint/fingerprint_builder.h"

#include <QCommandLineParser>
#include <cstdio>
#include <string>

namespace melo::cli {

namespace {

void AppendBands(std::string& line, const uint8_t* bands) {
  for (int32_t c = 0; c < IndexRecord::kBands; ++c) {
    line += ' ';
    line += std::to_string(bands[c]);
  }
}

void WriteOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int PrintTrackRecords(const SampleBuffer& buffer) {
  if (buffer.count() < kMinTrackSamples) {
    return Fail(QStringLiteral("the track holds %1 samples; at least %2 (30 s at 48 kHz) are "
                               "needed for a fingerprint")
                    .arg(buffer.count())
                    .arg(kMinTrackSamples));
  }
  const std::vector<uint8_t> blob = FingerprintTrack(buffer.data(), buffer.count());
  const IndexDataView records(blob);
  std::string out;
  out.reserve(static_cast<size_t>(records.size()) * 40);
  for (int32_t w = 0; w < records.size(); ++w) {
    const IndexRecord r = records[w];
    out += std::to_string(w) + ' ' + std::to_string(r.position) + ' ' + std::to_string(r.amplitude);
    AppendBands(out, r.bands.data());
    out += '\n';
  }
  WriteOut(out);
  return kExitOk;
}

int PrintQueryKeypoints(const SampleBuffer& buffer) {
  FingerprintBuilder builder(1);
  const auto keypoints = BuildQueryKeypoints(builder, buffer.data(), buffer.count());
  if (!keypoints) return Fail(QueryRefusal(buffer.data(), buffer.count()));
  std::string out;
  for (const QueryKeypoint& k : *keypoints) {
    out += std::to_string(k.position) + ' ' + std::to_string(k.amplitude);
    AppendBands(out, k.bands.data());
    out += '\n';
  }
  WriteOut(out);
  return kExitOk;
}

}  // namespace

int RunFingerprintCommand(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Prints the fingerprint of a 48 kHz mono 16-bit .wav or .dat file: one line per "
      "half-second record, 'w position amplitude b0 ... b7'. With --query, prints the "
      "query key points instead, 'position amplitude b0 ... b7', in selection order."));
  const QCommandLineOption query(QStringLiteral("query"),
                                 QStringLiteral("Print query key points (at most 20)."));
  parser.addOption(query);
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A .wav or .dat file."));
  int exitCode = kExitOk;
  if (!ParseCommandLine(parser, arguments, &exitCode)) return exitCode;
  if (parser.positionalArguments().size() != 1) {
    return Fail(QStringLiteral("expected exactly one FILE"));
  }
  const QString path = parser.positionalArguments().constFirst();

  SampleBuffer buffer;
  const SampleFileOutcome outcome = ReadSampleFile(path, buffer);
  if (outcome != SampleFileOutcome::Success) {
    return Fail(QStringLiteral("%1: %2").arg(path, QString::fromLatin1(DescribeSampleFileOutcome(outcome))));
  }
  return parser.isSet(query) ? PrintQueryKeypoints(buffer) : PrintTrackRecords(buffer);
}

}  // namespace melo::cli
