#pragma once
// CFile: a Win32 file handle with the open modes the program uses. Failures
// throw CFileException, which callers that expect them catch.
#include "clx/string.h"

class CFileException {
public:
  enum {
    none, generic, fileNotFound, badPath, tooManyOpenFiles, accessDenied, invalidFile, removeCurrentDir,
    directoryFull, badSeek, hardIO, sharingViolation, lockViolation, diskFull, endOfFile
  };
  int m_cause = none;
  LONG m_lOsError = 0;  // GetLastError of the failed call
  CString m_strFileName;

  CFileException() = default;
  CFileException(int cause, LONG osError, const char* fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
  // The cause for a Win32 error code (both disk-full codes give diskFull).
  static int OsErrorToException(LONG osError);
};

class CFile {
public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoTruncate = 0x1000,
    modeCreate = 0x2000,
    typeBinary = 0x8000,
  };
  enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

  HANDLE m_hFile = INVALID_HANDLE_VALUE;

  CFile() = default;
  CFile(const char* name, UINT flags);  // throws CFileException
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // False on failure, with the cause in *error when given.
  BOOL Open(const char* name, UINT flags, CFileException* error = nullptr);
  UINT Read(void* buf, UINT count);
  void Write(const void* buf, UINT count);
  ULONGLONG Seek(LONGLONG offset, UINT from);
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG GetPosition() const;
  ULONGLONG GetLength() const;
  void SetLength(ULONGLONG length);
  void Flush();
  void Close();
  // Closes without throwing, for clean-up paths.
  void Abort();
  const CString& GetFilePath() const { return m_strFileName; }

private:
  [[noreturn]] void ThrowLastError() const;
  CString m_strFileName;
};
