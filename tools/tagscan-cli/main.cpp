// tagscan-cli FILE: prints the descriptive tags of a media file for the indexer.
//
//   Tags of FILE
//   Artist: ...
//   Title: ...
//   Album: ...
//   Year: N        (0 when unknown)
//   Track: N       (0 when unknown)
//   Genre: ...
//
// A file TagLib cannot read gives the single line "Couldn't process given file".
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// One line of output: line breaks inside a value would shift every later line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// The first value of a property; the property map merges every tag kind of a file
// (ID3v2, RIFF INFO, Vorbis comments, ...), where FileRef::tag() may see only one.
std::string First(const TagLib::PropertyMap& properties, const char* key) {
  const auto found = properties.find(key);
  if (found == properties.end() || found->second.isEmpty()) return {};
  return OneLine(found->second.front().to8Bit(true));
}

// Leading number of "1988-05-01" or "3/12"; 0 when there is none or it is negative.
long LeadingNumber(const std::string& text) { return std::max(0L, std::strtol(text.c_str(), nullptr, 10)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::printf("Usage: tagscan-cli FILE\nPrints the artist, title, album, year, track and genre tags.\n");
    return argc == 2 ? 0 : 2;
  }
  const TagLib::FileRef file(argv[1]);
  if (file.isNull()) {
    std::printf("Couldn't process given file\n");
    return 1;
  }
  const TagLib::PropertyMap properties = file.file()->properties();
  std::printf("Tags of %s\n", OneLine(argv[1]).c_str());
  std::printf("Artist: %s\n", First(properties, "ARTIST").c_str());
  std::printf("Title: %s\n", First(properties, "TITLE").c_str());
  std::printf("Album: %s\n", First(properties, "ALBUM").c_str());
  std::printf("Year: %ld\n", LeadingNumber(First(properties, "DATE")));
  std::printf("Track: %ld\n", LeadingNumber(First(properties, "TRACKNUMBER")));
  std::printf("Genre: %s\n", First(properties, "GENRE").c_str());
  return 0;
}
