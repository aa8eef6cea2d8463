#include "engine/archive/archive_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "host/memory/memory_api.h"
#include "host/run/call_log.h"
#include "tests/support/temp_dir_test.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A block from the reader, freed with LocalFree as callers do.
struct Block {
  void* data = nullptr;
  std::uint32_t size = 0;
  ~Block() { LocalFree(data); }
  Bytes bytes() const {
    const auto* p = static_cast<const std::uint8_t*>(data);
    return Bytes(p, p + size);
  }
};

class ArchiveReaderTest : public TempDirTest {
 protected:
  Block Read(const std::string& path, const char* name) {
    Block block;
    block.data = reader_.ReadEntry(path.c_str(), name, &block.size);
    return block;
  }

  CArchiveReader reader_;
};

Bytes TextOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Several MB of script-like text and picture-like pixels with noise.
Bytes LargeData() {
  std::mt19937 random(3);
  Bytes data;
  const std::string line = "<ChrSet name=\"chara01\" pos=2>\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\r\n";
  while (data.size() < 2'000'000) data.insert(data.end(), line.begin(), line.end());
  for (int i = 0; i < 1'500'000; ++i) data.push_back(static_cast<std::uint8_t>((i / 300) ^ (random() % 3)));
  return data;
}

TEST_F(ArchiveReaderTest, RoundTripsStoredAndPackedEntriesOfBothVersions) {
  const Bytes large = LargeData();
  const std::vector<MlzEntrySource> entries = {
      {"main.txt", TextOf("[start]\r\n<BgSet name=bg01>\r\nhello hello hello\r\n"), true},
      {"voice01.ogg", TextOf("OggS not really"), false},
      {"empty_packed.txt", {}, true},
      {"empty_stored.txt", {}, false},
      {"large_packed.rbp", large, true},
      {"large_stored.rbp", large, false},
  };
  for (char version : {'2', '3'}) {
    const std::string path =
        dir_.WriteFile(std::string("arc") + version + ".mlz", BuildMlzArchive(entries, version));
    for (const MlzEntrySource& entry : entries) {
      const Block block = Read(path, entry.name.c_str());
      ASSERT_NE(nullptr, block.data) << entry.name;
      EXPECT_EQ(entry.data.size(), block.size) << entry.name;
      EXPECT_TRUE(entry.data == block.bytes()) << entry.name;
    }
    EXPECT_EQ(1, reader_.HasEntry(path.c_str(), "MAIN.TXT"));
    EXPECT_EQ(1, reader_.HasEntry(path.c_str(), "Voice01.OGG"));
    EXPECT_EQ(0, reader_.HasEntry(path.c_str(), "main.tx"));
    EXPECT_EQ(0, reader_.HasEntry(path.c_str(), "missing.txt"));
    EXPECT_EQ(nullptr, Read(path, "missing.txt").data);
    EXPECT_EQ(TextOf("OggS not really"), Read(path, "VOICE01.ogg").bytes());
  }
}

TEST_F(ArchiveReaderTest, FirstOfTwoNamesEqualButForCaseWins) {
  const std::string path = dir_.WriteFile("a.mlz", BuildMlzArchive({{"Name.txt", TextOf("first"), false},
                                                                   {"NAME.TXT", TextOf("second"), false}},
                                                                  '2'));
  EXPECT_EQ(TextOf("first"), Read(path, "name.txt").bytes());
}

TEST_F(ArchiveReaderTest, ReadEntryIntoUsesTheCallersBufferOnlyForStoredEntriesThatFit) {
  const std::string path = dir_.WriteFile("a.mlz", BuildMlzArchive({{"stored", TextOf("0123456789"), false},
                                                                   {"packed", TextOf("abcabcabcabc"), true}},
                                                                  '3'));
  struct Case {
    const char* name;
    std::uint32_t bufferSize;
    int expectedFlag;
    std::string expected;
  };
  const Case cases[] = {
      {"stored", 10, 1, "0123456789"},
      {"stored", 64, 1, "0123456789"},
      {"stored", 9, 0, "0123456789"},
      {"packed", 64, 0, "abcabcabcabc"},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.bufferSize);
    std::uint32_t size = 0;
    int flag = -1;
    void* result = reader_.ReadEntryInto(path.c_str(), c.name, &size, buffer.data(), c.bufferSize, &flag);
    ASSERT_NE(nullptr, result) << c.name << " " << c.bufferSize;
    EXPECT_EQ(c.expectedFlag, flag) << c.name << " " << c.bufferSize;
    EXPECT_EQ(c.expectedFlag == 1, result == buffer.data());
    EXPECT_EQ(c.expected, std::string(static_cast<char*>(result), size));
    if (result != buffer.data()) LocalFree(result);
  }
  int flag = -1;
  EXPECT_EQ(nullptr, reader_.ReadEntryInto(path.c_str(), "none", nullptr, nullptr, 0, &flag));
  EXPECT_EQ(0, flag);
}

TEST_F(ArchiveReaderTest, BadHeaderFailsAndKeepsThePreviousDirectory) {
  const std::string good = dir_.WriteFile("good.mlz", BuildMlzArchive({{"main.txt", TextOf("x"), false}}, '2'));
  Bytes wrongMagic = BuildMlzArchive({{"main.txt", TextOf("x"), false}}, '2');
  wrongMagic[3] = '4';
  const std::string bad = dir_.WriteFile("bad.mlz", wrongMagic);
  const std::string empty = dir_.WriteFile("empty.mlz", BuildMlzArchive({}, '3'));
  const std::string tiny = dir_.WriteFile("tiny.mlz", TextOf("RLZ2"));

  ASSERT_EQ(1, reader_.HasEntry(good.c_str(), "main.txt"));
  std::filesystem::remove(good);  // from here on only the cached directory knows the name
  for (const std::string& path : {bad, tiny, dir_.HostPath("missing.mlz")}) {
    EXPECT_EQ(0, reader_.HasEntry(path.c_str(), "main.txt")) << path;
    EXPECT_EQ(1, reader_.HasEntry(good.c_str(), "main.txt")) << path;
  }
  EXPECT_EQ(nullptr, reader_.LoadIndex(empty.c_str(), 0));
  EXPECT_EQ(0, reader_.HasEntry(empty.c_str(), "main.txt"));
  EXPECT_EQ(nullptr, reader_.ReadEntry(nullptr, "main.txt", nullptr));
  EXPECT_EQ(nullptr, reader_.ReadEntry(empty.c_str(), nullptr, nullptr));
}

TEST_F(ArchiveReaderTest, TheDirectoryIsReadOncePerPath) {
  const std::string path = dir_.WriteFile("a.mlz", BuildMlzArchive({{"one", TextOf("1"), false}}, '2'));
  const std::vector<RlzIndexEntry>* first = reader_.LoadIndex(path.c_str(), 0);
  ASSERT_NE(nullptr, first);
  dir_.WriteFile("a.mlz", BuildMlzArchive({{"two", TextOf("2"), false}}, '2'));
  std::string upper = path;
  upper.replace(upper.size() - 5, 5, "A.MLZ");
  EXPECT_EQ(1, reader_.HasEntry(upper.c_str(), "one"));  // same path, other case: the cache
  ASSERT_NE(nullptr, reader_.LoadIndex(path.c_str(), 1));
  EXPECT_EQ(1, reader_.HasEntry(path.c_str(), "two"));
  EXPECT_EQ(0, reader_.HasEntry(path.c_str(), "one"));
}

// Damaged copies of a good archive; every read must fail cleanly (the
// sanitizer build checks that nothing outside the blocks is touched).
TEST_F(ArchiveReaderTest, DamagedArchivesFailCleanly) {
  Bytes text;
  for (int i = 0; i < 400; ++i) text.push_back(static_cast<std::uint8_t>("abcdefgh"[i % 8] + i / 64));
  const Bytes good = BuildMlzArchive({{"stored.txt", text, false}, {"packed.txt", text, true}}, '2');
  constexpr std::size_t kFirst = kRlzHeaderSize;
  constexpr std::size_t kSecond = kRlzHeaderSize + kRlzEntrySize;
  auto store32 = [](Bytes& bytes, std::size_t at, std::uint32_t value) { WriteLe32(bytes.data() + at, value); };
  auto load32 = [](const Bytes& bytes, std::size_t at) { return ReadLe32(bytes.data() + at); };
  const std::uint32_t packedSize = load32(good, kSecond + 32);

  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    const char* name;
  };
  const Case cases[] = {
      {"cut inside the header", [](Bytes& b) { b.resize(10); }, "stored.txt"},
      {"cut inside the directory", [](Bytes& b) { b.resize(kSecond + 20); }, "stored.txt"},
      {"cut inside stored data", [&](Bytes& b) { b.erase(b.end() - packedSize - 1, b.end()); }, "stored.txt"},
      {"cut inside packed data", [](Bytes& b) { b.pop_back(); }, "packed.txt"},
      {"huge count", [&](Bytes& b) { store32(b, 4, 0xFFFFFFFFu); }, "stored.txt"},
      {"count one past the directory", [&](Bytes& b) { store32(b, 4, 20); }, "stored.txt"},
      {"offset past the end", [&](Bytes& b) { store32(b, kFirst + 44, 0xFFFFFF00u); }, "stored.txt"},
      {"packed size past the end", [&](Bytes& b) { store32(b, kSecond + 32, 0x7FFFFFFFu); }, "packed.txt"},
      {"stored sizes that differ", [&](Bytes& b) { store32(b, kFirst + 36, 4000); }, "stored.txt"},
      {"packed data short of its size", [&](Bytes& b) { store32(b, kSecond + 36, 401); }, "packed.txt"},
      {"unpacked size beyond any expansion", [&](Bytes& b) { store32(b, kSecond + 36, 0xFFFFFFF0u); }, "packed.txt"},
      {"stored sizes of 4 GiB", [&](Bytes& b) { store32(b, kFirst + 32, ~0u), store32(b, kFirst + 36, ~0u); },
       "stored.txt"},
      {"packed sizes of 4 GiB", [&](Bytes& b) { store32(b, kSecond + 32, ~0u), store32(b, kSecond + 36, ~0u); },
       "packed.txt"},
  };
  // As on the device: no block of the heap may pass 256 MiB, and a damaged
  // directory must not even ask for one.
  HostLimitAllocations(256u << 20);
  for (const Case& c : cases) {
    Bytes damaged = good;
    c.damage(damaged);
    const std::string path = dir_.WriteFile("damaged.mlz", damaged);
    CArchiveReader reader;
    std::uint32_t size = 123;
    void* block = reader.ReadEntry(path.c_str(), c.name, &size);
    EXPECT_EQ(nullptr, block) << c.what;
    EXPECT_EQ(0u, size) << c.what;
    EXPECT_EQ(0u, HostRefusedAllocations()) << c.what;
    LocalFree(block);
  }
  HostClearFailures();
}

// Packed data that would unpack past its entry's size is refused, whether it
// runs on by whole items or by part of a match; the exact size still reads.
TEST_F(ArchiveReaderTest, PackedDataThatWouldExpandPastItsSizeFails) {
  const Bytes archive = BuildMlzArchive({{"packed.txt", Bytes(300, 'z'), true}}, '2');
  const std::uint32_t original = ReadLe32(&archive[kRlzHeaderSize + 36]);
  for (std::uint32_t unpacked : {100u, original - 1, original}) {
    Bytes damaged = archive;
    WriteLe32(&damaged[kRlzHeaderSize + 36], unpacked);
    const std::string path = dir_.WriteFile("a.mlz", damaged);
    CArchiveReader reader;
    std::uint32_t size = 0;
    void* block = reader.ReadEntry(path.c_str(), "packed.txt", &size);
    EXPECT_EQ(unpacked == original, block != nullptr) << unpacked;
    LocalFree(block);
  }
}

TEST_F(ArchiveReaderTest, NamesFillingAll32BytesAreComparedWithinThem) {
  Bytes archive = BuildMlzArchive({{"a", TextOf("first"), false}, {"b", TextOf("second"), false}}, '2');
  // The first name fills its 32 bytes and runs straight into the size field.
  std::memset(&archive[kRlzHeaderSize], 'N', kRlzNameSize);
  const std::string path = dir_.WriteFile("a.mlz", archive);
  EXPECT_EQ(TextOf("first"), Read(path, std::string(32, 'n').c_str()).bytes());
  EXPECT_EQ(nullptr, Read(path, std::string(33, 'N').c_str()).data);
  EXPECT_EQ(TextOf("second"), Read(path, "B").bytes());
}

// A directory the file cannot hold in full is no directory: the entries it
// does hold are not offered either, and the cached one stays.
TEST_F(ArchiveReaderTest, AnArchiveCutInsideItsDirectoryHasNoEntries) {
  const Bytes archive = BuildMlzArchive({{"one", TextOf("1"), false}, {"two", TextOf("2"), false}}, '3');
  const std::string good = dir_.WriteFile("good.mlz", archive);
  ASSERT_EQ(1, reader_.HasEntry(good.c_str(), "two"));
  for (std::size_t cut : {kRlzHeaderSize, kRlzHeaderSize + 1, kRlzHeaderSize + kRlzEntrySize,
                          kRlzHeaderSize + 2 * kRlzEntrySize - 1}) {
    const std::string path = dir_.WriteFile("cut.mlz", Bytes(archive.begin(), archive.begin() + cut));
    EXPECT_EQ(nullptr, reader_.LoadIndex(path.c_str(), 1)) << cut;
    EXPECT_EQ(0, reader_.HasEntry(path.c_str(), "one")) << cut;
    EXPECT_EQ(1, reader_.HasEntry(good.c_str(), "two")) << cut;
  }
}

TEST_F(ArchiveReaderTest, AFileCutAfterItsDirectoryWasReadFailsTheEntry) {
  const Bytes archive = BuildMlzArchive({{"one", Bytes(1000, 1), false}}, '2');
  const std::string path = dir_.WriteFile("a.mlz", archive);
  ASSERT_NE(nullptr, reader_.LoadIndex(path.c_str(), 0));
  dir_.WriteFile("a.mlz", Bytes(archive.begin(), archive.end() - 10));
  EXPECT_EQ(nullptr, Read(path, "one").data);
}

TEST_F(ArchiveReaderTest, PackerProgramWritesArchivesTheReaderReads) {
  const std::string packer = std::string(NOVEL_BINARY_DIR) + "/tools/mlz_pack";
  if (!std::filesystem::exists(packer)) GTEST_SKIP() << "packer not built";
  dir_.WriteFile("main.txt", TextOf("text text text text"));
  dir_.WriteFile("se01.ogg", TextOf("sound"));
  const std::string archive = dir_.HostPath("out.mlz");
  const std::string command =
      packer + " -3 " + archive + " " + dir_.HostPath("main.txt") + " -s " + dir_.HostPath("se01.ogg");
  ASSERT_EQ(0, std::system(command.c_str()));
  char magic[4] = {};
  std::ifstream(archive, std::ios::binary).read(magic, 4);
  EXPECT_EQ("RLZ3", std::string(magic, 4));
  const std::vector<RlzIndexEntry>* directory = reader_.LoadIndex(archive.c_str(), 0);
  ASSERT_NE(nullptr, directory);
  ASSERT_EQ(2u, directory->size());
  EXPECT_EQ(kRlzMethodLzss, (*directory)[0].method);
  EXPECT_EQ(kRlzMethodStored, (*directory)[1].method);
  EXPECT_EQ(TextOf("text text text text"), Read(archive, "MAIN.TXT").bytes());
  EXPECT_EQ(TextOf("sound"), Read(archive, "se01.ogg").bytes());
  EXPECT_NE(0, std::system((packer + " 2>/dev/null").c_str()));  // no output named
}

// Names given in UTF-8 are stored in Shift-JIS, as the engine looks them up;
// a name with no Shift-JIS form is refused rather than stored unreachable.
TEST_F(ArchiveReaderTest, PackerStoresNamesInShiftJis) {
  const std::string packer = std::string(NOVEL_BINARY_DIR) + "/tools/mlz_pack";
  if (!std::filesystem::exists(packer)) GTEST_SKIP() << "packer not built";
  dir_.WriteFile("\xE8\xA1\xA8\xE7\xB4\x99.txt", TextOf("cover"));  // U+8868 U+7D19
  const std::string archive = dir_.HostPath("names.mlz");
  ASSERT_EQ(0, std::system((packer + " " + archive + " " + dir_.HostPath("\xE8\xA1\xA8\xE7\xB4\x99.txt")).c_str()));
  EXPECT_EQ(TextOf("cover"), Read(archive, "\x95\x5C\x8E\x86.txt").bytes());

  dir_.WriteFile("jos\xC3\xA9\xF0\x9F\x98\x80.txt", TextOf("x"));  // an emoji has no Shift-JIS form
  const std::string refused = dir_.HostPath("refused.mlz");
  EXPECT_NE(0, std::system((packer + " " + refused + " " + dir_.HostPath("jos\xC3\xA9\xF0\x9F\x98\x80.txt") +
                            " 2>/dev/null").c_str()));
  EXPECT_FALSE(std::filesystem::exists(refused));
}

}  // namespace
