#include "searcher/capture/echoline_interface.h"

#include "base/path_utils.h"
#include "base/process_runner.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/capture/echoline_layout.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace melo {

namespace {

QByteArray ShmName(const QString& mappingName) { return "/" + mappingName.toLatin1(); }

}  // namespace

QString EcholineInterface::CommandLine(const QString& programPath, const QString& mappingName) {
  const QString program = programPath.contains(QLatin1Char(' ')) ? QuoteCommandArgument(programPath) : programPath;
  return program + QStringLiteral("  ") + mappingName;
}

QString EcholineInterface::DefaultMappingName() {
  return QStringLiteral("MelodarEcholine%1").arg(getpid());
}

void EcholineInterface::RemoveStaleMappings() {
  // A searcher that crashed left its mapping behind; its process number is gone.
  const QString prefix = QStringLiteral("MelodarEcholine");
  for (const QString& name : QDir(QStringLiteral("/dev/shm")).entryList({prefix + "*"}, QDir::Files)) {
    bool isNumber = false;
    const pid_t owner = name.mid(prefix.size()).toInt(&isNumber);
    if (isNumber && owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) shm_unlink(ShmName(name).constData());
  }
}

EcholineInterface::EcholineInterface(const QString& programDir, const QString& mappingName)
    : mappingName_(mappingName) {
  RemoveStaleMappings();
  const QByteArray name = ShmName(mappingName);
  shm_unlink(name.constData());  // a leftover of an earlier process of the same number
  fd_ = shm_open(name.constData(), O_CREAT | O_RDWR, 0600);
  if (fd_ < 0 || ftruncate(fd_, echoline::kMappingSize) != 0) {
    errorText_ = QStringLiteral("Can't create file mapping");
    return;
  }
  view_ = mmap(nullptr, echoline::kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (view_ == MAP_FAILED) {
    view_ = nullptr;
    errorText_ = QStringLiteral("Can't create file mapping");
    return;
  }
  StartHelper(programDir);
}

void EcholineInterface::StartHelper(const QString& programDir) {
  const QString program = JoinPath(programDir, QStringLiteral("Echoline"));
  if (!QFileInfo(program).isFile()) {
    errorText_ = QStringLiteral("Not found: ") + program;
    return;
  }
  // The arguments go as a list, so that no file name can be split wrongly; the
  // command line form is what the helper receives.
  QByteArray path = program.toLocal8Bit();
  QByteArray name = mappingName_.toLatin1();
  char* argv[] = {path.data(), name.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, programDir.toLocal8Bit().constData());
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  // A group of its own (numbered by its own process id): a stop reaches whatever
  // the helper started too, a wrapper script's children included.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int failed = posix_spawn(&pid_, argv[0], &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    pid_ = -1;
    errorText_ = QStringLiteral("Can't create process");
    return;
  }
  running_ = true;
}

bool EcholineInterface::HelperEnded() {
  if (pid_ <= 0) return true;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
  pid_ = -1;
  sourceUnusable_ = WIFEXITED(status) && WEXITSTATUS(status) == echoline::kExitSourceUnusable;
  return true;
}

int32_t EcholineInterface::ReadAudio(CaptureRing& ring) {
  if (!running_) return kNotRunning;
  if (HelperEnded()) {
    running_ = false;
    errorText_ = sourceUnusable_ ? QStringLiteral("Capture program cannot use its source")
                                 : QStringLiteral("Capture program ended");
    return kNotRunning;
  }
  const uint32_t written = echoline::LoadWriteIndex(View());
  if (written >= echoline::kRingValues) return kReadFailed;
  const int16_t* values = echoline::Values(View());
  const uint32_t previous = lastIndex_;
  lastIndex_ = written;
  if (written == previous) return 0;
  if (written > previous) {
    ring.Append(values + previous, written - previous);
    return static_cast<int32_t>(written - previous);
  }
  ring.Append(values + previous, echoline::kRingValues - previous);
  ring.Append(values, written);
  return static_cast<int32_t>(echoline::kRingValues - previous + written);
}

EcholineInterface::~EcholineInterface() {
  running_ = false;
  if (pid_ > 0) {
    // The helper ends between two writes; one stuck in its sound server is killed.
    // The signals go to its whole group (-pid).
    kill(-pid_, SIGTERM);
    for (int wait = 0; wait < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++wait) usleep(10000);
    if (waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  if (view_) munmap(view_, echoline::kMappingSize);
  if (fd_ >= 0) close(fd_);
  shm_unlink(ShmName(mappingName_).constData());
}

}  // namespace melo
