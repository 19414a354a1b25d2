#include "base/sample_files.h"
#include "tests/support/media_files.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

using testing::ProgramRun;
using testing::RunProgram;
using testing::RunsOk;

// Index speech and music-like files with the real indexer, then identify excerpts.
class Identification : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const QString lib = dir_->Path("library");
    QDir().mkpath(lib);
    const QString words =
        "Every half second of sound becomes twelve bytes: where its loudest peak lies, how loud it is, "
        "and how its energy spreads over eight bands. ";
    ASSERT_TRUE(RunsOk("espeak-ng", {"-s", "120", "-w", lib + "/speech.wav", words + words + words}));
    ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "44100", "-c", "2", lib + "/glide.flac", "synth", "40", "sine", "220-880",
                             "sine", "330-990", "pinknoise", "tremolo", "3.7", "40", "gain", "-n", "-3"}));
    ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "44100", "-c", "2", lib + "/saw.ogg", "synth", "42", "sawtooth", "110-220",
                             "sine", "440-330", "tremolo", "2.3", "60", "gain", "-n", "-3"}));
    const ProgramRun index = RunProgram(MELOBANK_CLI, {"index", "--db", dir_->Path("library.db"), "--work-dir", dir_->Path(),
                                            "--threads", "2", lib});
    ASSERT_EQ(index.exitCode, 0) << index.errors.toStdString();
  }
  static void TearDownTestSuite() { delete dir_; }

  // Samples start .. start + seconds of `file`, decoded exactly as the indexer decodes.
  static QString Excerpt(const QString& file, double start, double seconds, const QString& name) {
    const QString raw = dir_->Path(name + ".stereo");
    EXPECT_TRUE(RunsOk("sox", {file, "--bits", "16", "--channels", "2", "--encoding", "signed-integer", "--rate",
                             "48000", "--type", "raw", raw}));
    SampleBuffer mono;
    LoadDecodedPcm(raw, mono);
    const auto first = static_cast<size_t>(start * 48000);
    const std::vector<int16_t> part(mono.samples.begin() + first,
                                    mono.samples.begin() + first + static_cast<size_t>(seconds * 48000));
    const QString path = dir_->Path(name + ".dat");
    EXPECT_TRUE(SaveRawSamples(part, path));
    return path;
  }

  static QJsonObject Search(const QStringList& arguments) {
    const ProgramRun run = RunProgram(MELODAR_CLI, QStringList{"search", "--db", dir_->Path("library.db"), "--json"} + arguments);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    return run.lines.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(run.lines.first().toUtf8()).object();
  }

  static TempDir* dir_;
};

TempDir* Identification::dir_ = nullptr;

TEST_F(Identification, ExcerptsNameTheirTrackAndWhereTheyEnd) {
  const struct {
    const char* file;
    double start;
  } cases[] = {{"speech.wav", 7.25}, {"glide.flac", 20.0}, {"saw.ogg", 31.6}};
  // The noise mode analyses a query its own way and must find clean sound too.
  for (const char* mode : {"fast", "noisy"}) {
    for (const auto& c : cases) {
      const QString file = dir_->Path(QString("library/") + c.file);
      const QJsonObject result = Search({"--mode", mode, Excerpt(file, c.start, 4, c.file)});
      ASSERT_TRUE(result["found"].toBool()) << c.file << " " << mode;
      EXPECT_EQ(result["source_path"].toString(), file);
      EXPECT_NEAR(result["position_samples"].toDouble(), (c.start + 4) * 48000, 0.1 * 48000) << c.file << " " << mode;
      EXPECT_FALSE(result["top"].toArray().isEmpty());
    }
  }
}

TEST_F(Identification, WholeFilesAndStartOffsetsThroughFfmpeg) {
  // A 7 s MP3 excerpt of the glide, searched whole and from 2 s in.
  const QString clip = dir_->Path("clip.mp3");
  ASSERT_TRUE(RunsOk("sox", {dir_->Path("library/glide.flac"), clip, "trim", "12", "7"}));
  QJsonObject whole = Search({clip});
  ASSERT_TRUE(whole["found"].toBool());
  EXPECT_NEAR(whole["position_samples"].toDouble(), 19 * 48000, 0.2 * 48000);
  QJsonObject part = Search({"--start", "2", "--seconds", "4", clip});
  ASSERT_TRUE(part["found"].toBool());
  EXPECT_NEAR(part["position_samples"].toDouble(), 18 * 48000, 0.2 * 48000);
}

TEST_F(Identification, SoundThatIsNotIndexedIsNotFound) {
  const QString stranger = dir_->Path("stranger.flac");
  ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "48000", "-c", "1", stranger, "synth", "6", "square", "150-400", "brownnoise",
                           "tremolo", "6", "50"}));
  const QJsonObject result = Search({stranger});
  EXPECT_FALSE(result["found"].toBool());
  EXPECT_TRUE(result["top"].toArray().isEmpty());
}

TEST_F(Identification, QueriesThatCannotBeMadeFailWithTheirReasonAndHideNoOther) {
  const QString good = Excerpt(dir_->Path("library/glide.flac"), 20, 4, "good");
  const QString header = dir_->Path("header.wav");
  ASSERT_TRUE(SaveWavSamples(std::vector<int16_t>(1, 0), header));
  QFile::resize(header, 44);
  const QString silence = dir_->Path("silence.dat");
  ASSERT_TRUE(SaveRawSamples(std::vector<int16_t>(4 * 48000, 0), silence));
  const struct {
    QString query;
    QString reason;
  } bad[] = {
      {dir_->Write("empty.dat"), "the query holds no samples"},
      {header, "the query holds no samples"},
      {Excerpt(dir_->Path("library/glide.flac"), 20, 0.2, "short"), "key points; at least 4 are needed"},
      {silence, "the query yields 0 key points"},
      {dir_->Path("missing.dat"), "no such file"},
  };
  QStringList queries = {good};
  for (const auto& b : bad) queries << b.query;
  const ProgramRun run =
      RunProgram(MELODAR_CLI, QStringList{"search", "--db", dir_->Path("library.db"), "--json"} + queries);
  EXPECT_EQ(run.exitCode, 2);
  ASSERT_EQ(run.lines.size(), queries.size());
  EXPECT_TRUE(QJsonDocument::fromJson(run.lines[0].toUtf8())["found"].toBool());
  for (const auto& b : bad) EXPECT_TRUE(run.errors.contains(b.query + ": ")) << b.query.toStdString();
  for (const auto& b : bad) EXPECT_TRUE(run.errors.contains(b.reason)) << b.reason.toStdString();

  const ProgramRun late = RunProgram(MELODAR_CLI, {"search", "--db", dir_->Path("library.db"), "--start", "100", good});
  EXPECT_EQ(late.exitCode, 2);
  EXPECT_TRUE(late.errors.contains("--start 100.0 s is past the end of the file (4.0 s)")) << late.errors.toStdString();
}

// Runs melodar-cli with at most 400 MB of address space: enough for a search,
// far too little to read a long file whole.
ProgramRun RunWithLittleMemory(const QStringList& arguments, const QProcessEnvironment& environment) {
  return RunProgram("sh", QStringList{"-c", "ulimit -v 400000; exec \"$0\" \"$@\"", MELODAR_CLI} + arguments,
                    environment);
}

TEST_F(Identification, SizesAndCausesAreToldBeforeAnythingIsRead) {
  const QString db = dir_->Path("library.db");
  const QString longWav = dir_->Path("two-hours.wav");  // sparse: a header and 2 h of holes
  ASSERT_TRUE(SaveWavSamples(std::vector<int16_t>(1, 0), longWav));
  QFile::resize(longWav, 44 + 2LL * 3600 * 48000 * 2);
  const QString bigDat = dir_->Write("big.dat");
  QFile::resize(bigDat, 3000000000LL);
  QProcessEnvironment noTools = QProcessEnvironment::systemEnvironment();
  noTools.insert("PATH", dir_->Path("no-tools"));
  const QProcessEnvironment normal = QProcessEnvironment::systemEnvironment();
  const struct {
    QStringList arguments;
    QProcessEnvironment environment;
    QString said;
  } cases[] = {
      {{"search", "--db", db, longWav}, normal, "lasts more than 60 s"},
      {{"search", "--db", db, bigDat}, normal, "lasts more than 60 s"},
      {{"search", "--db", db, "--start", "3600", longWav}, normal, "the query yields 0 key points"},
      {{"search", "--db", db, "--threads", "100000", longWav}, normal, "--threads must be 1 to 64"},
      {{"search", "--db", db, "--start", "nan", longWav}, normal, "--start must be a number of seconds"},
      {{"search", "--db", db, dir_->Path("library/speech.wav")}, noTools, "ffmpeg, needed to decode this file"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = RunWithLittleMemory(c.arguments, c.environment);
    EXPECT_EQ(run.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(run.errors.contains(c.said)) << run.errors.toStdString();
  }

  // A database another program is writing: the cause, not just that it failed.
  QProcess writer;
  writer.start("sqlite3", {db});
  ASSERT_TRUE(writer.waitForStarted());
  writer.write("BEGIN EXCLUSIVE; SELECT 'held';\n");
  writer.waitForReadyRead(5000);
  const ProgramRun locked = RunProgram(MELODAR_CLI, {"search", "--db", db, longWav});
  writer.write("ROLLBACK;\n.quit\n");
  writer.waitForFinished();
  EXPECT_EQ(locked.exitCode, 2);
  EXPECT_TRUE(locked.errors.contains("cannot read table Data: database is locked")) << locked.errors.toStdString();
}

TEST(MelodarCli, RefusesBadInput) {
  TempDir dir;
  EXPECT_EQ(RunProgram(MELODAR_CLI, {"search", "--db", dir.Path("none.db"), "x.dat"}).exitCode, 2);
  const QString db = dir.Write("junk.db", QByteArray(4096, 'j'));
  const ProgramRun junk = RunProgram(MELODAR_CLI, {"search", "--db", db, dir.Write("q.dat", QByteArray(100, 0))});
  EXPECT_EQ(junk.exitCode, 2);
  EXPECT_TRUE(junk.errors.contains("cannot read table Data"));
  EXPECT_EQ(RunProgram(MELODAR_CLI, {"search", "--db", db, "--mode", "slow", "q.dat"}).exitCode, 2);
}

}  // namespace
}  // namespace melo
