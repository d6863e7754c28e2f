// The compound file a workbook lives in: a small file system of sectors,
// with a sector allocation table (FAT, itself located through the DIFAT), a
// directory of named streams and storages, and a mini stream holding the
// small streams in 64-byte pieces.
//
// Reading keeps the directory entries as they are, so a write gives back
// every stream and storage (summary information, macros) with its names,
// tree links, class ids and times; only stream contents and their places
// change. Written files use 512-byte sectors.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

namespace zelado {
namespace workbook {

class CompoundFile {
public:
  enum EntryType : uint8_t { kUnused = 0, kStorage = 1, kStream = 2, kRoot = 5 };
  struct Entry {
    std::string raw;      // the 128 bytes of the directory entry
    std::u16string name;
    EntryType type = kUnused;
    uint32_t left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
    std::string data;     // a stream's contents
    // A stream Parse was asked to leave in the file: where its bytes stand
    // there, in one run, and how many (data stays empty).
    size_t inFile = SIZE_MAX, inFileSize = 0;
  };

  // Raises Connection with a plain description when the bytes are not a
  // compound file or are damaged (chains out of range or looping, sizes past
  // the end). Allocations stay within a bound set by the input's size.
  // The stream Find(leave) gives is left in the file when its sectors
  // follow one another there, so a caller holding the file's bytes need
  // not copy a large stream.
  static CompoundFile Parse(const std::string& bytes, const std::u16string& leave = std::u16string());
  // A file with an empty root storage.
  static CompoundFile Empty();

  std::string Serialize() const;

  // The stream of that name directly under the root, or -1.
  int Find(const std::u16string& name) const;
  // Adds a stream under the root; answers its entry index.
  int AddStream(const std::u16string& name, std::string data);

  std::vector<Entry>& Entries() { return m_entries; }
  const std::vector<Entry>& Entries() const { return m_entries; }

  // Sector numbers with a meaning of their own, and the sizes of the format.
  static constexpr uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;
  static constexpr size_t kMiniCutoff = 4096, kMiniSize = 64, kSector = 512;
  static const char kMagic[8];

private:
  std::vector<Entry> m_entries;  // [0] is the root
};

}  // namespace workbook
}  // namespace zelado
