#pragma once
// CString: a value string over std::string with the members the program's
// code calls. Reads as a const char* wherever the API wants one.
#include <string>
#include "clx/win.h"

class CString {
public:
  CString() = default;
  CString(const char* s) : m_s(s ? s : "") {}
  CString(const char* s, int length) : m_s(s, static_cast<size_t>(length)) {}
  CString(const std::string& s) : m_s(s) {}
  CString(std::string&& s) : m_s(std::move(s)) {}
  CString(char c, int repeat = 1) : m_s(static_cast<size_t>(repeat), c) {}

  operator const char*() const { return m_s.c_str(); }
  const std::string& str() const { return m_s; }

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  char GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
  char operator[](int i) const { return GetAt(i); }
  void SetAt(int i, char c) { m_s[static_cast<size_t>(i)] = c; }

  // Loads string-table entry `id` of the resource module, at any length.
  // False (and an empty string) when the entry does not exist.
  bool LoadString(UINT id);
  void Format(const char* fmt, ...);
  void FormatV(const char* fmt, va_list args);
  void Format(UINT fmtId, ...);

  // -1 when not found.
  int Find(char c, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  int ReverseFind(char c) const;
  int FindOneOf(const char* set) const;

  CString Left(int n) const;
  CString Mid(int first) const;
  CString Mid(int first, int n) const;
  CString Right(int n) const;

  CString& TrimLeft();
  CString& TrimRight();
  CString& TrimLeft(char c);
  CString& TrimRight(char c);
  CString& Trim() { TrimRight(); return TrimLeft(); }
  CString& MakeUpper();
  CString& MakeLower();
  int Replace(const char* from, const char* to);
  int Remove(char c);
  int Insert(int index, const char* s);
  int Delete(int index, int count = 1);

  int Compare(const char* s) const;
  int CompareNoCase(const char* s) const;

  // Writable buffer of at least minLength characters; ReleaseBuffer(-1) takes
  // the length from the terminating zero.
  char* GetBuffer(int minLength = 0);
  char* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
  CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
  CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
  CString& operator+=(char c) { m_s += c; return *this; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
  friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
  friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
  std::string m_s;
};

// Formats string `id`, replacing "%1" (and "%2") by the arguments.
void AfxFormatString1(CString& out, UINT id, const char* s1);
void AfxFormatString2(CString& out, UINT id, const char* s1, const char* s2);

namespace clx {
// Replaces %1..%9 in `pattern` by args[0..]; "%%" is not special (as in the library's texts).
CString FormatPlaceholders(const char* pattern, const char* const* args, int count);
}  // namespace clx
