#include <gtest/gtest.h>

#include <string>

#include "clx/file.h"

namespace {

std::string Scratch(const char* name) {
  char dir[MAX_PATH];
  ::GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "clx_file_" + std::to_string(::GetCurrentProcessId()) + "_" + name;
}

TEST(FileTest, WritesReadsSeeksAndTruncates) {
  std::string path = Scratch("rw.bin");
  {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    f.Write("0123456789", 10);
    EXPECT_EQ(f.GetLength(), 10u);
    f.SetLength(4);
    EXPECT_EQ(f.GetLength(), 4u);
    EXPECT_EQ(f.SeekToEnd(), 4u);
    f.Write("xy", 2);
    f.Close();
  }
  CFile f;
  ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
  char buf[16] = {};
  EXPECT_EQ(f.Read(buf, sizeof buf), 6u);
  EXPECT_STREQ(buf, "0123xy");
  EXPECT_EQ(f.Seek(-2, CFile::end), 4u);
  EXPECT_EQ(f.Read(buf, 1), 1u);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(f.Read(buf, 16), 1u);
  EXPECT_EQ(f.Read(buf, 16), 0u);  // end of file is not an error
  f.Close();

  // modeNoTruncate keeps what is there.
  CFile again(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
  EXPECT_EQ(again.GetLength(), 6u);
  again.Close();
  ::DeleteFileA(path.c_str());
}

TEST(FileTest, ReportsTheCauseOfFailures) {
  std::string missing = Scratch("missing.bin");
  CFileException e;
  CFile f;
  EXPECT_FALSE(f.Open(missing.c_str(), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(e.m_lOsError, ERROR_FILE_NOT_FOUND);

  std::string badDir = Scratch("no_such_dir\\x.bin");
  EXPECT_FALSE(f.Open(badDir.c_str(), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::badPath);

  std::string locked = Scratch("locked.bin");
  CFile holder(locked.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
  EXPECT_FALSE(f.Open(locked.c_str(), CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
  holder.Close();
  ::DeleteFileA(locked.c_str());

  try {
    CFile thrown(missing.c_str(), CFile::modeRead);
    ADD_FAILURE() << "no exception";
  } catch (const CFileException& ex) {
    EXPECT_EQ(ex.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(ex.m_strFileName, missing.c_str());
  }
}

TEST(FileTest, MapsOsErrorsToCauses) {
  struct Case {
    LONG os;
    int cause;
  } cases[] = {
      {ERROR_DISK_FULL, CFileException::diskFull},          // 112
      {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},   // 39
      {ERROR_ACCESS_DENIED, CFileException::accessDenied},
      {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
      {ERROR_PATH_NOT_FOUND, CFileException::badPath},
      {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
      {ERROR_NOT_ENOUGH_MEMORY, CFileException::generic},
      {NO_ERROR, CFileException::none},
  };
  for (const Case& c : cases) EXPECT_EQ(CFileException::OsErrorToException(c.os), c.cause) << "os error " << c.os;
}

TEST(FileTest, ReadOnlyHandleRefusesWritesWithAnException) {
  std::string path = Scratch("ro.bin");
  { CFile make(path.c_str(), CFile::modeCreate | CFile::modeWrite); }
  CFile f(path.c_str(), CFile::modeRead);
  EXPECT_THROW(f.Write("a", 1), CFileException);
  f.Close();
  ::DeleteFileA(path.c_str());
}

}  // namespace
