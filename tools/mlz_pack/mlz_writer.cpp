#include "tools/mlz_pack/mlz_writer.h"

#include <limits>
#include <stdexcept>

#include "common/byte_order.h"
#include "engine/archive/archive_reader.h"
#include "tools/mlz_pack/lzss_compress.h"

namespace {

void StoreLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value) {
  if (value > std::numeric_limits<std::uint32_t>::max()) {
    throw std::invalid_argument("archive too large for 32-bit sizes and offsets");
  }
  WriteLe32(out.data() + at, static_cast<std::uint32_t>(value));
}

}  // namespace

std::vector<std::uint8_t> BuildMlzArchive(const std::vector<MlzEntrySource>& entries, char version) {
  if (version != '2' && version != '3') throw std::invalid_argument("archive version must be 2 or 3");
  const std::size_t directoryEnd = kRlzHeaderSize + kRlzEntrySize * entries.size();
  std::vector<std::uint8_t> archive(directoryEnd, 0);
  archive[0] = 'R';
  archive[1] = 'L';
  archive[2] = 'Z';
  archive[3] = static_cast<std::uint8_t>(version);
  StoreLe32(archive, 4, entries.size());

  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MlzEntrySource& entry = entries[i];
    if (entry.name.empty() || entry.name.size() >= kRlzNameSize) {
      throw std::invalid_argument("entry name must be 1 to 31 bytes: " + entry.name);
    }
    const std::vector<std::uint8_t> packed =
        entry.compress ? CompressLzss(entry.data.data(), entry.data.size()) : entry.data;
    const std::size_t at = kRlzHeaderSize + kRlzEntrySize * i;
    std::copy(entry.name.begin(), entry.name.end(), archive.begin() + at);
    StoreLe32(archive, at + 32, packed.size());
    StoreLe32(archive, at + 36, entry.data.size());
    StoreLe32(archive, at + 40, entry.compress ? kRlzMethodLzss : kRlzMethodStored);
    StoreLe32(archive, at + 44, archive.size() - directoryEnd);
    archive.insert(archive.end(), packed.begin(), packed.end());
  }
  return archive;
}
