// Echoline MAPPING: the searcher's capture helper. Records what the computer plays
// (the monitor of the default PulseAudio/PipeWire output) and writes it into the
// searcher's shared memory MAPPING as 48000 Hz 16-bit stereo frames (the layout is
// in searcher/app/echoline_layout.h).
// With ECHOLINE_SOURCE=FILE.wav (48000 Hz 16-bit PCM, mono or stereo) it plays that
// file into the mapping in real time instead, looping at its end.
// It ends on SIGTERM/SIGINT (after finishing the write in progress) and when the
// searcher that started it is gone.
#include "searcher/app/echoline_layout.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>
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
    void* view = mmap(nullptr, kMappingSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (view != MAP_FAILED) view_ = static_cast<uint8_t*>(view);
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

// The PCM samples of a 48000 Hz 16-bit WAV file, as stereo; empty when the file is
// of another kind.
std::vector<int16_t> ReadWav(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return {};
  }
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
  auto u32 = [&](size_t at) { return static_cast<uint32_t>(u16(at) | uint32_t{u16(at + 2)} << 16); };
  int channels = 0;
  uint32_t rate = 0;
  int bits = 0;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = u32(at + 4);
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= 16) {
      const uint16_t format = u16(at + 8);
      if (format != 1 && format != 0xFFFE) return {};
      channels = u16(at + 10);
      rate = u32(at + 12);
      bits = u16(at + 22);
    } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
      if (rate != kRate || bits != 16 || (channels != 1 && channels != 2)) return {};
      const size_t available = std::min<size_t>(size, bytes.size() - at - 8) / 2;
      const auto* data = reinterpret_cast<const int16_t*>(bytes.data() + at + 8);
      std::vector<int16_t> stereo;
      if (channels == 2) {
        stereo.assign(data, data + available / 2 * 2);
      } else {
        for (size_t i = 0; i < available; ++i) stereo.insert(stereo.end(), {data[i], data[i]});
      }
      return stereo;
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

// Writes the file's frames into the mapping as fast as they would play.
int PlayFile(Mapping& mapping, const char* path) {
  const std::vector<int16_t> stereo = ReadWav(path);
  if (stereo.empty()) {
    std::fprintf(stderr, "Echoline: %s is not a 48000 Hz 16-bit PCM WAV file\n", path);
    return 1;
  }
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
