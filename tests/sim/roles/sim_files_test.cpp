#include "sim/roles/sim_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string ReadAll(FileStream& stream) {
  std::string text;
  char buffer[256];
  while (std::size_t n = stream.Read(buffer, sizeof buffer)) text.append(buffer, n);
  return text;
}

class SimFilesTest : public ::testing::Test {
 protected:
  SimFilesTest() : root_(scratch_.Path() / "fs"), files_(root_) {
    fs::create_directories(root_ / "CompactFlash" / "Velmar" / "Tools");
    fs::create_directories(root_ / "Windows");
    WriteFile(root_ / "CompactFlash" / "T5x5x_Backup.bak", "backup");
    WriteFile(root_ / "CompactFlash" / "notes.txt", "notes");
    // Beside the controller's file system: never reachable from it.
    WriteFile(scratch_.Path() / "secret.txt", "secret");
    fs::create_directory_symlink(scratch_.Path(), root_ / "CompactFlash" / "escape");
    fs::create_symlink(scratch_.Path() / "secret.txt", root_ / "CompactFlash" / "link.txt");
  }

  // Every entry of the scratch directory outside fs/.
  std::vector<std::string> Outside() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(scratch_.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir scratch_;
  fs::path root_;
  SimFiles files_;
};

TEST_F(SimFilesTest, PathsMatchExistingNamesWhateverTheCaseOrSeparator) {
  auto out = files_.Open("\\CompactFlash\\Velmar\\Tools\\BackUp.REG", "wb");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->Write("dump", 4), 4u);
  EXPECT_EQ(out->Close(), 0);
  EXPECT_TRUE(fs::exists(root_ / "CompactFlash" / "Velmar" / "Tools" / "BackUp.REG"));

  for (const char* path : {"\\compactflash\\VELMAR\\tools\\backup.reg", "/CompactFlash/Velmar/Tools/BackUp.REG",
                           "\\CompactFlash/velmar\\\\Tools\\BACKUP.REG", "CompactFlash\\Velmar\\Tools\\BackUp.REG"}) {
    auto in = files_.Open(path, "rb");
    ASSERT_NE(in, nullptr) << path;
    EXPECT_EQ(ReadAll(*in), "dump") << path;
  }
  // Only one file: the look-ups found it rather than making others.
  EXPECT_EQ(files_.ListDirectory("\\CompactFlash\\Velmar\\Tools").size(), 1u);
}

TEST_F(SimFilesTest, NewFileKeepsTheCaseItWasGivenInAnExistingFolder) {
  auto out = files_.Open("\\COMPACTFLASH\\New Backup.Bak", "wb");
  ASSERT_NE(out, nullptr);
  out.reset();
  EXPECT_TRUE(fs::exists(root_ / "CompactFlash" / "New Backup.Bak"));
  EXPECT_FALSE(fs::exists(root_ / "COMPACTFLASH"));
}

TEST_F(SimFilesTest, ExactCaseWinsWhenTheHostHoldsSeveralSpellings) {
  WriteFile(root_ / "Windows" / "a.txt", "lower");
  WriteFile(root_ / "Windows" / "A.TXT", "upper");
  auto exact = files_.Open("\\Windows\\A.TXT", "rb");
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(ReadAll(*exact), "upper");
  auto other = files_.Open("\\Windows\\A.txt", "rb");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(ReadAll(*other), "upper");  // first in sorted order
}

TEST_F(SimFilesTest, HostilePathsNeverLeaveTheFileSystem) {
  const std::string secretHostPath = (scratch_.Path() / "secret.txt").string();
  const std::vector<std::string> hostile = {
      "\\..\\secret.txt",
      "..\\secret.txt",
      "\\CompactFlash\\..\\..\\secret.txt",
      "/../secret.txt",
      "\\CompactFlash\\.\\notes.txt",
      "\\CompactFlash\\..",
      "\\CompactFlash\\...\\secret.txt",
      "\\CompactFlash\\.. \\secret.txt",
      "\\CompactFlash\\notes.txt.",
      "\\CompactFlash\\notes.txt ",
      "C:\\secret.txt",
      "\\\\?\\C:\\secret.txt",
      "\\CompactFlash\\escape\\secret.txt",
      "\\CompactFlash\\ESCAPE\\secret.txt",
      "\\CompactFlash\\link.txt",
      std::string("\\CompactFlash\\notes.txt\0/../../secret.txt", 41),
      std::string("\\CompactFlash\\\0..\\secret.txt", 28),
      "\\CompactFlash\\a\x01" "b",
      "\\CompactFlash\\a<b",
      "\\CompactFlash\\*.txt",
      "\\CompactFlash\\not?s.txt",
      std::string(300, 'a'),
      "\\CompactFlash\\" + std::string(256, 'n'),
      "\\CompactFlash\\\xC0\xAE\xC0\xAE\\secret.txt",
      secretHostPath,
  };
  const std::vector<std::string> before = Outside();
  for (const std::string& path : hostile) {
    for (const char* mode : {"rb", "wb", "ab", "r+b"}) {
      auto stream = files_.Open(path, mode);
      EXPECT_EQ(stream, nullptr) << "path " << path << " mode " << mode;
      EXPECT_NE(files_.GetLastError(), ERROR_SUCCESS) << path;
    }
    FindData found;
    EXPECT_FALSE(files_.FindFirstFile(path, &found) && found.name == "secret.txt") << path;
    for (const FindData& entry : files_.ListDirectory(path)) EXPECT_NE(entry.name, "secret.txt") << path;
  }
  EXPECT_EQ(Outside(), before);
  EXPECT_EQ(ReadFile(scratch_.Path() / "secret.txt"), "secret");
}

TEST_F(SimFilesTest, RefusalsSayWhy) {
  EXPECT_EQ(files_.Open("\\CompactFlash\\..\\x", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(files_.Open(std::string("\\a\0b", 4), "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_INVALID_NAME);
  EXPECT_EQ(files_.Open("\\CompactFlash\\" + std::string(256, 'n'), "wb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(files_.Open("\\CompactFlash\\notes.txt", "rw"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(files_.Open("\\CompactFlash", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_ACCESS_DENIED);
  // Writing through a link that already exists is refused, not followed.
  EXPECT_EQ(files_.Open("\\CompactFlash\\link.txt", "wb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(SimFilesTest, MissingFilesAndFoldersGiveTheirErrors) {
  EXPECT_EQ(files_.Open("\\CompactFlash\\missing.bak", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(files_.Open("\\NoCard\\missing.bak", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(files_.Open("\\NoCard\\new.bak", "wb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(files_.Open("\\CompactFlash\\notes.txt\\x", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(files_.Open("", "rb"), nullptr);
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);

  FindData found;
  EXPECT_FALSE(files_.FindFirstFile("\\CompactFlash\\missing.bak", &found));
  EXPECT_EQ(files_.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(files_.FindFirstFile("\\NoCard\\missing.bak", &found));
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(files_.FindFirstFile("\\CompactFlash\\*.xyz", &found));
  EXPECT_EQ(files_.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(files_.FindFirstFile("\\NoCard\\*.*", &found));
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(files_.FindFirstFile("\\CompactFlash\\", &found));
  EXPECT_EQ(files_.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SimFilesTest, FindFirstFileMatchesNamesAndWildcardsWithoutCase) {
  FindData found;
  ASSERT_TRUE(files_.FindFirstFile("\\compactflash\\t5X5X_BACKUP.BAK", &found));
  EXPECT_EQ(found.name, "T5x5x_Backup.bak");
  EXPECT_FALSE(found.isDirectory);
  EXPECT_EQ(found.size, 6u);
  EXPECT_EQ(files_.GetLastError(), ERROR_SUCCESS);

  ASSERT_TRUE(files_.FindFirstFile("\\CompactFlash\\*.BAK", &found));
  EXPECT_EQ(found.name, "T5x5x_Backup.bak");
  ASSERT_TRUE(files_.FindFirstFile("\\CompactFlash\\n?tes.*", &found));
  EXPECT_EQ(found.name, "notes.txt");
  ASSERT_TRUE(files_.FindFirstFile("\\windows", &found));
  EXPECT_EQ(found.name, "Windows");
  EXPECT_TRUE(found.isDirectory);
  // Links are not part of the controller's file system.
  EXPECT_FALSE(files_.FindFirstFile("\\CompactFlash\\link.txt", &found));
  EXPECT_FALSE(files_.FindFirstFile("\\CompactFlash\\esc*", &found));
}

TEST_F(SimFilesTest, ListDirectoryShowsFoldersFirstAndHidesLinks) {
  std::vector<FindData> entries = files_.ListDirectory("\\COMPACTFLASH");
  std::vector<std::string> names;
  for (const FindData& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Velmar", "notes.txt", "T5x5x_Backup.bak"}));
  EXPECT_TRUE(entries[0].isDirectory);
  EXPECT_EQ(files_.ListDirectory("\\").size(), 2u);
  EXPECT_TRUE(files_.ListDirectory("\\NoCard").empty());
  EXPECT_EQ(files_.GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(SimFilesTest, StreamsSeekTellAndCloseLikeTheRuntime) {
  auto stream = files_.Open("\\CompactFlash\\notes.txt", "r+b");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Seek(0, SEEK_END), 0);
  EXPECT_EQ(stream->Tell(), 5);
  EXPECT_EQ(stream->Write("!", 1), 1u);
  EXPECT_EQ(stream->Seek(-6, SEEK_CUR), 0);
  char buffer[8] = {};
  EXPECT_EQ(stream->Read(buffer, sizeof buffer), 6u);
  EXPECT_STREQ(buffer, "notes!");
  EXPECT_EQ(stream->Seek(0, 42), -1);
  EXPECT_EQ(stream->Seek(-1, SEEK_SET), -1);
  EXPECT_EQ(stream->Close(), 0);
  EXPECT_EQ(stream->Close(), -1);
  EXPECT_EQ(stream->Read(buffer, 1), 0u);

  auto append = files_.Open("\\CompactFlash\\notes.txt", "ab");
  ASSERT_NE(append, nullptr);
  EXPECT_EQ(append->Write("?", 1), 1u);
  append.reset();  // closing by destruction
  EXPECT_EQ(ReadFile(root_ / "CompactFlash" / "notes.txt"), "notes!?");
}

// What a save needs to keep the old file until the new one is whole: the
// replace takes the old file's own name and stays inside the file system.
TEST_F(SimFilesTest, ReplaceAndDeleteWorkOnTheControllersNamesAndStayInside) {
  WriteFile(root_ / "CompactFlash" / "T5x5x_Backup.bak.part", "new backup");
  EXPECT_TRUE(files_.ReplaceFile("\\CompactFlash\\T5x5x_Backup.bak.part", "\\compactflash\\t5x5x_backup.BAK"));
  EXPECT_EQ(ReadFile(root_ / "CompactFlash" / "T5x5x_Backup.bak"), "new backup");
  EXPECT_FALSE(fs::exists(root_ / "CompactFlash" / "T5x5x_Backup.bak.part"));

  EXPECT_FALSE(files_.ReplaceFile("\\CompactFlash\\notes.txt", "\\CompactFlash\\Velmar"));  // a folder
  EXPECT_EQ(files_.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(files_.ReplaceFile("\\CompactFlash\\notes.txt", "\\CompactFlash\\..\\..\\secret.txt"));
  EXPECT_FALSE(files_.ReplaceFile("\\CompactFlash\\escape\\secret.txt", "\\CompactFlash\\stolen.txt"));
  EXPECT_FALSE(files_.DeleteFile("\\CompactFlash\\link.txt"));
  EXPECT_EQ(files_.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadFile(scratch_.Path() / "secret.txt"), "secret");
  EXPECT_TRUE(files_.DeleteFile("\\CompactFlash\\NOTES.TXT"));
  EXPECT_FALSE(fs::exists(root_ / "CompactFlash" / "notes.txt"));
  std::uint64_t free = 0;
  EXPECT_TRUE(files_.GetDiskFreeSpace("\\CompactFlash\\x.bak", &free));
  EXPECT_GT(free, 0u);
}

TEST(FindPattern, MatchesLikeTheController) {
  EXPECT_TRUE(MatchesFindPattern("README", "*.*"));
  EXPECT_TRUE(MatchesFindPattern("a.bak", "*.BAK"));
  EXPECT_TRUE(MatchesFindPattern("a.b.bak", "*.bak"));
  EXPECT_FALSE(MatchesFindPattern("a.bak.old", "*.bak"));
  EXPECT_TRUE(MatchesFindPattern("abc", "a?c"));
  EXPECT_FALSE(MatchesFindPattern("ac", "a?c"));
  EXPECT_TRUE(MatchesFindPattern("abcbd", "a*b*d"));
  EXPECT_FALSE(MatchesFindPattern("abc", "abcd"));
}

}  // namespace
}  // namespace talvon::sim
