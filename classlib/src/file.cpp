#include "clx/file.h"

int CFileException::OsErrorToException(LONG osError) {
  switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: case ERROR_BAD_PATHNAME: case ERROR_INVALID_DRIVE:
      return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK: case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC: case ERROR_READ_FAULT: case ERROR_WRITE_FAULT: case ERROR_GEN_FAILURE: return hardIO;
    default: return generic;
  }
}

CFile::CFile(const char* name, UINT flags) {
  CFileException error;
  if (!Open(name, flags, &error)) throw error;
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(const char* name, UINT flags, CFileException* error) {
  Abort();
  DWORD access = 0;
  switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
  }
  DWORD share = 0;
  switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;  // exclusive, and the compatibility mode treated alike
  }
  DWORD disposition = OPEN_EXISTING;
  if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE h = ::CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) {
      LONG os = static_cast<LONG>(::GetLastError());
      *error = CFileException(CFileException::OsErrorToException(os), os, name);
    }
    return FALSE;
  }
  m_hFile = h;
  m_strFileName = name;
  return TRUE;
}

void CFile::ThrowLastError() const {
  LONG os = static_cast<LONG>(::GetLastError());
  throw CFileException(CFileException::OsErrorToException(os), os, m_strFileName);
}

UINT CFile::Read(void* buf, UINT count) {
  DWORD got = 0;
  if (count && !::ReadFile(m_hFile, buf, count, &got, nullptr)) ThrowLastError();
  return got;
}

void CFile::Write(const void* buf, UINT count) {
  DWORD done = 0;
  if (count == 0) return;
  if (!::WriteFile(m_hFile, buf, count, &done, nullptr)) ThrowLastError();
  // A short write without an error is the disk running out.
  if (done < count) throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  LARGE_INTEGER distance, now;
  distance.QuadPart = offset;
  if (!::SetFilePointerEx(m_hFile, distance, &now, from)) ThrowLastError();
  return static_cast<ULONGLONG>(now.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
  LARGE_INTEGER zero{}, now;
  if (!::SetFilePointerEx(m_hFile, zero, &now, FILE_CURRENT)) ThrowLastError();
  return static_cast<ULONGLONG>(now.QuadPart);
}

ULONGLONG CFile::GetLength() const {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(m_hFile, &size)) ThrowLastError();
  return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG length) {
  ULONGLONG position = GetPosition();
  Seek(static_cast<LONGLONG>(length), begin);
  if (!::SetEndOfFile(m_hFile)) ThrowLastError();
  Seek(static_cast<LONGLONG>(position < length ? position : length), begin);
}

void CFile::Flush() {
  if (!::FlushFileBuffers(m_hFile)) ThrowLastError();
}

void CFile::Close() {
  HANDLE h = m_hFile;
  m_hFile = INVALID_HANDLE_VALUE;
  if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) {
    LONG os = static_cast<LONG>(::GetLastError());
    throw CFileException(CFileException::OsErrorToException(os), os, m_strFileName);
  }
}

void CFile::Abort() {
  if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}
