#include "indexer/pipeline/process_media_file.h"

#include "base/file_utils.h"
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "base/sample_files.h"
#include "base/text_format.h"
#include "fingerprint/fingerprint_builder.h"
#include "indexer/database/database_lock.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/audio_stream_decoder.h"
#include "indexer/pipeline/file_hashes.h"
#include "indexer/pipeline/media_tools.h"
#include "indexer/pipeline/media_types.h"
#include "indexer/pipeline/track_landmarks.h"
#include "indexer/pipeline/work_subfolder.h"

#include <QFile>
#include <QFileInfo>

namespace melo {

namespace {

std::atomic<int64_t> indexedRecordsTotal{0};

const QString kUnexpectedFailure = QStringLiteral("Непредвиденная ошибка при обработке файла!");
const QString kStopped = QStringLiteral("Индексация остановлена!");

}  // namespace

int64_t IndexedRecordsTotal() { return indexedRecordsTotal.load(); }
void ResetIndexedRecordsTotal() { indexedRecordsTotal.store(0); }

ProcessMediaFile::ProcessMediaFile(TDataModule1& store, WorkerSettings settings, QString sourcePath,
                                   int32_t id)
    : store_(store), settings_(std::move(settings)), sourcePath_(std::move(sourcePath)), id_(id) {}

ProcessMediaFile::~ProcessMediaFile() { WaitFor(); }

QString ProcessMediaFile::WorkSubdirectory() const {
  return JoinPath(settings_.workDir, QString::number(id_));
}

void ProcessMediaFile::Heartbeat() { lastActivityMs_.store(QDateTime::currentMSecsSinceEpoch()); }

void ProcessMediaFile::Log(const QString& line) const {
  if (!settings_.programLog.isEmpty()) WriteLogLine(settings_.programLog, line, true);
}

void ProcessMediaFile::Execute() {
  try {
    Process();
  } catch (const std::exception& e) {
    // An empty Message means success, so a worker that dies must say so.
    if (message_.isEmpty()) message_ = kUnexpectedFailure;
    Log(QStringLiteral("Unexpected error: %1 %2").arg(QString::fromUtf8(e.what()), sourcePath_));
  } catch (...) {
    if (message_.isEmpty()) message_ = kUnexpectedFailure;
    Log(QStringLiteral("Unexpected error: ") + sourcePath_);
  }
}

void ProcessMediaFile::Process() {
  Heartbeat();

  const QFileInfo source(sourcePath_);
  info_.source_path = sourcePath_;
  info_.source_file_name = StripExtension(ExtractNamePart(sourcePath_));
  info_.source_size = FileSize64(sourcePath_);
  info_.created = FormatLocalDateTime(source.lastModified());
  info_.extension = ExtractExtension(sourcePath_).remove(QLatin1Char('.'));
  info_.type = MediaTypeOf(ExtractExtension(sourcePath_));

  CheckPath();
  if (!message_.isEmpty()) return;

  const QString subdir = WorkSubdirectory();
  QString problem;
  switch (PrepareWorkSubfolder(subdir, &problem)) {
    case WorkSubfolderState::Ready: break;
    case WorkSubfolderState::LeftoversKept: Log(QStringLiteral("Clear work directory error: ") + problem); break;
    case WorkSubfolderState::Unusable:
      cause_ = problem;
      Fail(QStringLiteral("Ошибка создания рабочего подкаталога!"), QStringLiteral("Work directory error: ") + problem);
      return;
  }

  // The copy's name is the indexer's own, so that no source name (data.wav, say)
  // can meet a file the tools write.
  QString workingFile = sourcePath_;
  if (settings_.copyToWorkDir) {
    workingFile = JoinPath(subdir, WorkingCopyName(ExtractExtension(sourcePath_)));
    QFile::remove(workingFile);
    if (!QFile::copy(sourcePath_, workingFile)) {
      Fail(QStringLiteral("Ошибка копирования исходного файла в рабочий каталог!"),
           QStringLiteral("Error copy source file to work directory"));
      return;
    }
  }

  Heartbeat();
  const FileDigests digests = HashFile(workingFile);
  if (!digests.complete) Log(QStringLiteral("Error hash"));
  info_.sha2 = digests.sha2;
  info_.md5 = digests.md5;

  Heartbeat();
  const QString wav = JoinPath(subdir, kDecodedWavName);
  const QString dat = JoinPath(subdir, kDecodedRawName);
  const QString ext = ExtractExtension(workingFile);
  const bool completed = IsDirectAudioExtension(ext) ? DirectRoute(workingFile, ext, wav, dat)
                                                     : StreamRoute(workingFile, ext, wav, dat);
  if (completed && settings_.copyToWorkDir) QFile::remove(workingFile);
}

StopRequest ProcessMediaFile::StopAsked() const {
  return [this] { return Terminated(); };
}

DecodingTools ProcessMediaFile::Tools() const {
  return {settings_.ffmpeg, settings_.sox, settings_.workDir};
}

bool ProcessMediaFile::DirectRoute(const QString& workingFile, const QString& ext, const QString& wav,
                                   const QString& dat) {
  if (DecodeAudioStream(Tools(), workingFile, 0, wav, dat, StopAsked()) != StreamDecoding::Decoded) {
    return ConversionFailed();
  }
  Heartbeat();
  std::vector<uint8_t> records;
  if (!FingerprintTrack(dat, true, records)) return false;
  info_.audio_track = 0;
  info_.all_tracks = 1;
  Heartbeat();
  ReadTagsWith(JoinPath(settings_.programDir, QStringLiteral("tagscan/tagscan-cli")), workingFile, ext);
  Heartbeat();
  QFile::remove(dat);
  return InsertRecord(records, workingFile);
}

bool ProcessMediaFile::StreamRoute(const QString& workingFile, const QString& ext, const QString& wav,
                                   const QString& dat) {
  int32_t tracks = 1;
  if (IsMultiStreamExtension(ext)) {
    QString problem;
    tracks = CountAudioStreams(settings_.ffmpeg, workingFile, WorkSubdirectory(), &problem, StopAsked());
    if (tracks == kProbeFailed) {
      cause_ = problem;
      return Fail(QStringLiteral("Ошибка определения количества аудио дорожек!"),
                  QStringLiteral("ffprobe error: ") + problem);
    }
    // Nothing to index is no success either.
    if (tracks == 0) return Fail(QStringLiteral("Файл не содержит аудио дорожек!"), QStringLiteral("No audio streams"));
  }
  info_.all_tracks = tracks;
  Heartbeat();
  for (int32_t track = 0; track < tracks; ++track) {
    switch (DecodeAudioStream(Tools(), workingFile, track, wav, dat, StopAsked())) {
      case StreamDecoding::Decoded: break;
      case StreamDecoding::ExtractFailed: return Fail(QStringLiteral("Ошибка извлечения аудио данных из видео!"));
      case StreamDecoding::ConvertFailed: return ConversionFailed();
    }
    std::vector<uint8_t> records;
    if (!FingerprintTrack(dat, false, records)) return false;
    info_.audio_track = track;
    Heartbeat();
    ReadTagsWith(JoinPath(settings_.programDir, QStringLiteral("tagscan-cli")), workingFile, ext);
    Heartbeat();
    QFile::remove(dat);
    if (!InsertRecord(records, workingFile)) return false;
  }
  return true;
}

bool ProcessMediaFile::FingerprintTrack(const QString& dat, bool detailedShortMessage,
                                        std::vector<uint8_t>& records) {
  SampleBuffer mono;
  const int32_t count = LoadDecodedPcm(dat, mono);
  if (count < 1) {
    QFile::remove(dat);
    return Fail(QStringLiteral("Ошибка конвертирования аудио!"), QStringLiteral("Convert to DAT format error"));
  }
  if (count < kMinTrackSamples) {
    QString message = QStringLiteral("Очень маленький размер аудио данных (менее 30 секунд)!");
    if (detailedShortMessage) message += QStringLiteral(" items=%1 filesize=%2").arg(count).arg(FileSize64(dat));
    QFile::remove(dat);
    return Fail(message, QStringLiteral("Source file have small duration"));
  }
  Heartbeat();
  records = melo::FingerprintTrack(mono.data(), count);
  Heartbeat();
  landmarks_ = TrackLandmarks(mono.span());
  info_.duration = count / kSampleRate;
  info_.records = count / kHalfSecond;
  return true;
}

void ProcessMediaFile::ReadTagsWith(const QString& toolPath, const QString& workingFile, const QString& ext) {
  info_.info.clear();
  if (!HasTagExtension(ext)) return;
  const std::optional<QString> tags = ReadTags(toolPath, workingFile, WorkSubdirectory(), StopAsked());
  if (tags) {
    info_.info = *tags;
  } else {
    Log(QStringLiteral("Error: tagscan-cli.exe ") + workingFile);
  }
}

void ProcessMediaFile::CheckPath() {
  int32_t result = 0;
  Synchronize([&] {
    DatabaseLock lock(store_, id_);
    result = store_.CheckSourcePath(info_);
  });
  if (result == TDataModule1::kError) message_ = QStringLiteral("Ошибка выполнения запроса 1!");
  if (result == 1) message_ = QStringLiteral("Уже проиндексирован!");
}

bool ProcessMediaFile::Fail(const QString& message, const QString& logLine) {
  if (Terminated()) {
    message_ = kStopped;
    cause_ = QStringLiteral("stopped");
    return false;
  }
  message_ = message;
  if (!logLine.isEmpty()) Log(logLine);
  return false;
}

bool ProcessMediaFile::ConversionFailed() {
  return Fail(QStringLiteral("Ошибка конвертирования в DAT формат!"), QStringLiteral("Error convert to DAT"));
}

bool ProcessMediaFile::InsertRecord(const std::vector<uint8_t>& records, const QString& workingFile) {
  try {
    int32_t result = 0;
    bool stopped = false;
    Synchronize([&] {
      // Asked on the main thread, where Stop asks: once stopped, nothing goes in.
      stopped = Terminated();
      if (stopped) return;
      DatabaseLock lock(store_, id_);
      result = store_.InsertSQL(info_, records, &landmarks_);
      if (result == 0) indexedRecordsTotal.fetch_add(info_.records);
      if (result == TDataModule1::kError) cause_ = store_.LastError();
    });
    if (stopped) return Fail({});
    if (result == TDataModule1::kAlreadyStored) {
      message_ = QStringLiteral(
          "Запись с таким же MD5 хешем, размером файла и номером аудио трека уже существует!");
    } else if (result != 0) {
      message_ = QStringLiteral("Ошибка выполнения запроса!");
    }
  } catch (...) {
    Log(QStringLiteral("InsertRecord error ") + workingFile +
        QStringLiteral(" Records=%1 Id=%2 LockId=%3").arg(info_.records).arg(id_).arg(store_.LockId()));
    // The row was not stored: that is a failure, not a success.
    message_ = QStringLiteral("Ошибка выполнения запроса!");
  }
  if (message_.isEmpty()) return true;
  Log(cause_.isEmpty() ? QStringLiteral("Insert record error") : QStringLiteral("Insert record error: ") + cause_);
  return false;
}

}  // namespace melo
