#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::ProgramRun;
using testing::RunProgram;
using testing::RunsOk;
using testing::TempDir;

// Two tracks indexed with the real indexer; the one that plays is "glide".
class Listening : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    QDir().mkpath(dir_->Path("library"));
    ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "48000", "-c", "2", "-b", "16", dir_->Path("library/glide.wav"), "synth", "40",
                             "sine", "220-880", "sine", "330-990", "pinknoise", "tremolo", "3.7", "40", "gain", "-n", "-3"}));
    ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "44100", "-c", "2", dir_->Path("library/drone.flac"), "synth", "40", "sine",
                             "300-600", "brownnoise", "tremolo", "5", "50", "gain", "-n", "-3"}));
    ASSERT_TRUE(RunsOk(MELOBANK_CLI, {"index", "--db", dir_->Path("library.db"), "--work-dir", dir_->Path(), dir_->Path("library")}));
  }
  static void TearDownTestSuite() { delete dir_; }

  // Listens for `seconds`; the JSON object of every search.
  static QList<QJsonObject> Listen(const QStringList& options, const QProcessEnvironment& environment, int seconds = 8) {
    const ProgramRun run = RunProgram(MELODAR_CLI,
                                      QStringList{"listen", "--db", dir_->Path("library.db"), "--json", "--duration",
                                                  QString::number(seconds)} + options,
                                      environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QList<QJsonObject> searches;
    for (const QString& line : run.lines) searches.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return searches;
  }

  // The searches name the playing track at advancing positions, and a hit that
  // follows one in the same track is confirmed.
  static void ExpectTheGlideFollowed(const QList<QJsonObject>& searches) {
    ASSERT_GE(searches.size(), 3);
    qint64 previous = -1;
    int found = 0, confirmed = 0;
    for (const QJsonObject& s : searches) {
      if (!s["found"].toBool()) continue;
      EXPECT_EQ(s["source_path"].toString(), dir_->Path("library/glide.wav"));
      const qint64 position = s["position_samples"].toInteger();
      EXPECT_GT(position, previous);
      if (found == 0) {
        EXPECT_FALSE(s["confirmed"].toBool());  // nothing before it to confirm
      }
      confirmed += s["confirmed"].toBool() ? 1 : 0;
      previous = position;
      ++found;
    }
    EXPECT_GE(found, 3);
    EXPECT_GE(confirmed, 2);
  }

  static TempDir* dir_;
};

TempDir* Listening::dir_ = nullptr;

TEST_F(Listening, TheHelperPlaysAFileAndTheSearcherNamesIt) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("ECHOLINE_SOURCE", dir_->Path("library/glide.wav"));
  ExpectTheGlideFollowed(Listen({"--source", "loopback", "--interval", "1"}, environment));
}

TEST_F(Listening, SilenceFromAHelperThatCannotRecordIsAnError) {
  TempDir empty;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("ECHOLINE_SOURCE");
  environment.insert("XDG_RUNTIME_DIR", empty.Path());  // no sound server to be found
  environment.insert("PULSE_SERVER", "unix:" + empty.Path("none"));
  const ProgramRun run = RunProgram(MELODAR_CLI, {"listen", "--db", dir_->Path("library.db"), "--duration", "2"}, environment);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.errors.contains("nothing was heard")) << run.errors.toStdString();
  EXPECT_EQ(run.errors.count("EcholineInterface::ReadAudio Error=-1"), 1);  // said once, not every 100 ms
}

TEST_F(Listening, ASourceThatCanNeverStartEndsListeningOnceWithItsReason) {
  TempDir dir;
  QByteArray cut = TempDir::Read(dir_->Path("library/glide.wav")).left(22);  // cut inside its header
  const struct {
    QString source;
    QString said;
  } cases[] = {
      {dir.Write("cut.wav", cut), "a chunk of it is cut short"},
      {dir.Path(), "it is not a file"},
      {dir.Path("missing.wav"), "No such file or directory"},
  };
  for (const auto& c : cases) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ECHOLINE_SOURCE", c.source);
    const ProgramRun run =
        RunProgram(MELODAR_CLI, {"listen", "--db", dir_->Path("library.db"), "--duration", "30"}, environment);
    EXPECT_EQ(run.exitCode, 2) << c.source.toStdString();
    EXPECT_EQ(run.errors.count(c.said), 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("cannot start")) << run.errors.toStdString();
  }
}

TEST_F(Listening, OptionsOutOfRangeAreRefusedAndLongDurationsKeptWhole) {
  for (const QStringList& options : {QStringList{"--interval", "1e10"}, QStringList{"--interval", "nan"},
                                     QStringList{"--duration", "inf"}}) {
    const ProgramRun run = RunProgram(MELODAR_CLI, QStringList{"listen", "--db", dir_->Path("library.db")} + options);
    EXPECT_EQ(run.exitCode, 2) << options.join(' ').toStdString();
    EXPECT_TRUE(run.errors.contains(options[0] + " must be")) << run.errors.toStdString();
  }
  // 3,000,000 s in milliseconds is more than an int holds.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("ECHOLINE_SOURCE", dir_->Path("library/glide.wav"));
  QProcess listen;
  listen.setProcessEnvironment(environment);
  listen.start(MELODAR_CLI, {"listen", "--db", dir_->Path("library.db"), "--duration", "3000000"});
  ASSERT_TRUE(listen.waitForReadyRead(30000));
  listen.terminate();
  ASSERT_TRUE(listen.waitForFinished(30000));
  EXPECT_EQ(listen.exitCode(), 0);
  EXPECT_FALSE(QString::fromUtf8(listen.readAllStandardError()).contains("negative"));
}

// A private PulseAudio server with a null sink; its monitor is what "the computer
// plays", and a remapped copy of it is a recording device.
class PulseAudioServer {
 public:
  explicit PulseAudioServer(const TempDir& dir) {
    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.insert("XDG_RUNTIME_DIR", dir.Path("runtime"));
    environment_.insert("HOME", dir.Path("home"));
    environment_.remove("ECHOLINE_SOURCE");
    QDir().mkpath(dir.Path("runtime"));
    QDir().mkpath(dir.Path("home"));
    QFile::setPermissions(dir.Path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty()) return;
    started_ = RunsOk("pulseaudio", {"--daemonize=yes", "--exit-idle-time=-1", "-n", "--load=module-native-protocol-unix"},
                    environment_) &&
               RunsOk("pactl", {"load-module", "module-null-sink", "sink_name=capsink", "rate=48000", "channels=2"},
                    environment_) &&
               RunsOk("pactl", {"load-module", "module-remap-source", "master=capsink.monitor", "source_name=capmic",
                              "source_properties=device.description=CaptureMic"},
                    environment_) &&
               RunsOk("pactl", {"set-default-sink", "capsink"}, environment_);
  }
  ~PulseAudioServer() {
    player_.kill();
    player_.waitForFinished();
    RunsOk("pulseaudio", {"--kill"}, environment_);
  }
  bool Started() const { return started_; }
  const QProcessEnvironment& Environment() const { return environment_; }
  void Play(const QString& file) {
    player_.setProcessEnvironment(environment_);
    player_.start("paplay", {"-d", "capsink", file});
    player_.waitForStarted();
  }

 private:
  QProcessEnvironment environment_;
  QProcess player_;
  bool started_ = false;
};

TEST_F(Listening, WhatTheComputerPlaysThroughPulseAudio) {
  TempDir dir;
  PulseAudioServer pulse(dir);
  if (!pulse.Started()) GTEST_SKIP() << "no PulseAudio server could be started here";
  const ProgramRun sources = RunProgram(MELODAR_CLI, {"--list-sources"}, pulse.Environment());
  ASSERT_EQ(sources.lines.value(0), "0\tАудио микшер (системные звуки)");
  const qsizetype microphone = sources.lines.indexOf(QRegularExpression("^\\d+\tCaptureMic$"));
  ASSERT_GE(microphone, 1) << sources.lines.join('|').toStdString();

  pulse.Play(dir_->Path("library/glide.wav"));
  // Sound servers take a moment to start delivering: listen a little longer.
  ExpectTheGlideFollowed(Listen({"--source", "loopback"}, pulse.Environment(), 11));  // the output monitor, by Echoline
  ExpectTheGlideFollowed(Listen({"--source", QString::number(microphone)}, pulse.Environment(), 11));  // a recording device
}

}  // namespace
}  // namespace melo
