// Echoline MAPPING: the searcher's capture helper. Records what the computer plays
// (the monitor of the default PulseAudio/PipeWire output) and writes it into the
// searcher's shared memory MAPPING as 48000 Hz 16-bit stereo frames (the layout is
// in searcher/capture/echoline_layout.h).
// With ECHOLINE_SOURCE=FILE.wav (48000 Hz 16-bit PCM, mono or stereo) it plays that
// file into the mapping in real time instead, looping at its end; a file that
// cannot be played ends it with kExitSourceUnusable and one line saying why.
// It ends on SIGTERM/SIGINT (after finishing the write in progress) and when the
// searcher that started it is gone.
#include "searcher/capture/echoline_layout.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using melo::echoline::kMappingSize;
using melo::echoline::kRingValues;

constexpr int kRate = 48000;

std::atomic<bool> stopping{false};
pid_t parent = 0;

extern "C" void OnStop(int) { stopping.store(true); }

bool KeepGoing() { return !stopping.load() && getppid() == parent; }

class Mapping {
 public:
  explicit Mapping(const std::string& name) {
    const int fd = shm_open(("/" + name).c_str(), O_RDWR, 0);
    if (fd < 0) return;
    // A smaller object would fault on the first write past its end.
    struct stat object {};
    if (fstat(fd, &object) == 0 && object.st_size >= static_cast<off_t>(kMappingSize)) {
      void* view = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (view != MAP_FAILED) view_ = static_cast<uint8_t*>(view);
    }
    close(fd);
  }
  ~Mapping() {
    if (view_) munmap(view_, kMappingSize);
  }
  bool Ok() const { return view_ != nullptr; }

  // Copies whole frames into the ring, then publishes the new write index.
  void Write(const int16_t* values, size_t count) {
    int16_t* ring = melo::echoline::Values(view_);
    uint32_t at = __atomic_load_n(melo::echoline::WriteIndex(view_), __ATOMIC_RELAXED) % kRingValues;
    for (size_t i = 0; i < count; ++i) {
      ring[at] = values[i];
      at = at + 1 == kRingValues ? 0 : at + 1;
    }
    melo::echoline::PublishWriteIndex(view_, at);
  }

 private:
  uint8_t* view_ = nullptr;
};

// The largest sample data played from a file (about 3 hours of stereo): the file is
// held in memory whole.
constexpr uint64_t kLargestData = uint64_t{1} << 31;

struct WavFile {
  std::vector<int16_t> stereo;  // the samples as stereo frames
  std::string problem;          // why the file cannot be played, or empty
};

uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
uint32_t Le32(const uint8_t* at) { return Le16(at) | uint32_t{Le16(at + 2)} << 16; }

// Reads a 48000 Hz 16-bit PCM WAV file. Every length in the file is checked
// against what the file really holds before anything is read or allocated.
WavFile ReadWav(const char* path) {
  struct stat info {};
  if (stat(path, &info) != 0) return {{}, std::string("cannot open it: ") + std::strerror(errno)};
  if (!S_ISREG(info.st_mode)) return {{}, "it is not a file"};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), &std::fclose);
  if (!file) return {{}, std::string("cannot open it: ") + std::strerror(errno)};
  const uint64_t size = static_cast<uint64_t>(info.st_size);
  uint8_t head[12];
  if (std::fread(head, 1, 12, file.get()) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0) {
    return {{}, "it is not a WAV file"};
  }
  uint64_t at = 12;
  uint32_t rate = 0;
  int channels = 0, bits = 0, format = 0;
  bool formatSeen = false;
  for (uint8_t chunk[8]; at + 8 <= size && std::fread(chunk, 1, 8, file.get()) == 8;) {
    at += 8;
    const uint64_t length = Le32(chunk + 4);
    const uint64_t available = size - at;
    if (std::memcmp(chunk, "data", 4) == 0) {
      if (!formatSeen) return {{}, "its sample data come before their format"};
      if (format != 1 && format != 0xFFFE) return {{}, "its samples are not PCM"};
      if (rate != kRate || bits != 16 || (channels != 1 && channels != 2)) {
        return {{}, "it is not 48000 Hz 16-bit mono or stereo (" + std::to_string(rate) + " Hz, " +
                        std::to_string(bits) + " bits, " + std::to_string(channels) + " channels)"};
      }
      const uint64_t bytes = std::min(length, available) / 4 * 4;  // whole stereo frames or mono pairs
      if (bytes > kLargestData) return {{}, "it is too long to be played from memory"};
      std::vector<int16_t> samples(bytes / 2);
      if (std::fread(samples.data(), 1, bytes, file.get()) != bytes) return {{}, "it cannot be read"};
      if (channels == 2) return {std::move(samples), {}};
      std::vector<int16_t> stereo(2 * samples.size());
      for (size_t i = 0; i < samples.size(); ++i) stereo[2 * i] = stereo[2 * i + 1] = samples[i];
      return {std::move(stereo), {}};
    }
    if (length > available) return {{}, "a chunk of it is cut short"};
    uint64_t consumed = 0;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uint8_t fmt[16];
      if (length < 16 || std::fread(fmt, 1, 16, file.get()) != 16) return {{}, "its format chunk is cut short"};
      consumed = 16;
      format = Le16(fmt);
      channels = Le16(fmt + 2);
      rate = Le32(fmt + 4);
      bits = Le16(fmt + 14);
      formatSeen = true;
    }
    const uint64_t next = at + length + (length & 1);  // chunks are padded to even lengths
    if (next < size && std::fseek(file.get(), static_cast<long>(next - at - consumed), SEEK_CUR) != 0) {
      return {{}, "it cannot be read"};
    }
    at = next;
  }
  return {{}, "it holds no sample data"};
}

// Writes the file's frames into the mapping as fast as they would play.
int PlayFile(Mapping& mapping, const char* path) {
  const WavFile wav = ReadWav(path);
  if (!wav.problem.empty() || wav.stereo.empty()) {
    std::fprintf(stderr, "Echoline: cannot play %s: %s\n", path,
                 wav.problem.empty() ? "it holds no samples" : wav.problem.c_str());
    return melo::echoline::kExitSourceUnusable;
  }
  const std::vector<int16_t>& stereo = wav.stereo;
  const size_t frames = stereo.size() / 2;
  const auto started = std::chrono::steady_clock::now();
  uint64_t written = 0;
  size_t position = 0;
  while (KeepGoing()) {
    const auto elapsed = std::chrono::steady_clock::now() - started;
    const auto due = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()) *
                     kRate / 1000000;
    while (written < due) {
      const auto n = static_cast<size_t>(std::min<uint64_t>({due - written, uint64_t{frames - position}, uint64_t{4800}}));
      mapping.Write(stereo.data() + 2 * position, 2 * n);
      written += n;
      position = (position + n) % frames;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

// Records the default output's monitor in fragments of about 20 ms.
int RecordMonitor(Mapping& mapping) {
  const pa_sample_spec format = {PA_SAMPLE_S16LE, kRate, 2};
  pa_buffer_attr attributes;
  std::memset(&attributes, 0xFF, sizeof attributes);  // server defaults ...
  attributes.fragsize = kRate * 4 / 50;              // ... but small fragments
  int error = 0;
  pa_simple* stream = pa_simple_new(nullptr, "Echoline", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "loopback", &format,
                                    nullptr, &attributes, &error);
  if (!stream) {
    std::fprintf(stderr, "Echoline: cannot record the output monitor: %s\n", pa_strerror(error));
    return 1;
  }
  std::vector<int16_t> buffer(attributes.fragsize / 2);
  int status = 0;
  while (KeepGoing()) {
    if (pa_simple_read(stream, buffer.data(), buffer.size() * 2, &error) < 0) {
      std::fprintf(stderr, "Echoline: recording failed: %s\n", pa_strerror(error));
      status = 1;
      break;
    }
    mapping.Write(buffer.data(), buffer.size());
  }
  pa_simple_free(stream);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::printf("Usage: Echoline MAPPING\nWrites what the computer plays (or $ECHOLINE_SOURCE, a WAV file) into the "
                "searcher's shared memory MAPPING.\n");
    return argc == 2 ? 0 : 2;
  }
  parent = getppid();
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);
  Mapping mapping(argv[1]);
  if (!mapping.Ok()) {
    std::fprintf(stderr, "Echoline: cannot open the shared memory %s\n", argv[1]);
    return 1;
  }
  const char* file = std::getenv("ECHOLINE_SOURCE");
  return file && *file ? PlayFile(mapping, file) : RecordMonitor(mapping);
}
