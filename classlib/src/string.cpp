#include "clx/string.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "clx/resources.h"

bool CString::LoadString(UINT id) {
  bool found = false;
  m_s = clx::LoadStr(id, &found).str();
  return found;
}

void CString::FormatV(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n < 0) { m_s.clear(); return; }
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, args);
  m_s.assign(buf.data(), static_cast<size_t>(n));
}

void CString::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  FormatV(fmt, args);
  va_end(args);
}

void CString::Format(UINT fmtId, ...) {
  CString fmt = clx::LoadStr(fmtId);
  va_list args;
  va_start(args, fmtId);
  FormatV(fmt, args);
  va_end(args);
}

static int ToIndex(size_t pos) { return pos == std::string::npos ? -1 : static_cast<int>(pos); }

int CString::Find(char c, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  return ToIndex(m_s.find(c, static_cast<size_t>(start)));
}

int CString::Find(const char* sub, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  return ToIndex(m_s.find(sub, static_cast<size_t>(start)));
}

int CString::ReverseFind(char c) const { return ToIndex(m_s.rfind(c)); }

int CString::FindOneOf(const char* set) const { return ToIndex(m_s.find_first_of(set)); }

CString CString::Left(int n) const { return m_s.substr(0, static_cast<size_t>(std::clamp(n, 0, GetLength()))); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int n) const {
  first = std::clamp(first, 0, GetLength());
  n = std::clamp(n, 0, GetLength() - first);
  return m_s.substr(static_cast<size_t>(first), static_cast<size_t>(n));
}

CString CString::Right(int n) const {
  n = std::clamp(n, 0, GetLength());
  return m_s.substr(static_cast<size_t>(GetLength() - n));
}

static bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

CString& CString::TrimLeft() {
  m_s.erase(m_s.begin(), std::find_if_not(m_s.begin(), m_s.end(), IsSpace));
  return *this;
}

CString& CString::TrimRight() {
  m_s.erase(std::find_if_not(m_s.rbegin(), m_s.rend(), IsSpace).base(), m_s.end());
  return *this;
}

CString& CString::TrimLeft(char c) {
  m_s.erase(0, std::min(m_s.find_first_not_of(c), m_s.size()));
  return *this;
}

CString& CString::TrimRight(char c) {
  size_t last = m_s.find_last_not_of(c);
  m_s.erase(last == std::string::npos ? 0 : last + 1);
  return *this;
}

// Case mapping follows the ANSI code page, as the API does for the program's texts.
CString& CString::MakeUpper() {
  if (!m_s.empty()) ::CharUpperBuffA(m_s.data(), static_cast<DWORD>(m_s.size()));
  return *this;
}

CString& CString::MakeLower() {
  if (!m_s.empty()) ::CharLowerBuffA(m_s.data(), static_cast<DWORD>(m_s.size()));
  return *this;
}

int CString::Replace(const char* from, const char* to) {
  size_t fromLen = std::strlen(from), toLen = std::strlen(to);
  if (fromLen == 0) return 0;
  int count = 0;
  for (size_t pos = m_s.find(from); pos != std::string::npos; pos = m_s.find(from, pos + toLen)) {
    m_s.replace(pos, fromLen, to);
    ++count;
  }
  return count;
}

int CString::Remove(char c) {
  size_t before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
  return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* s) {
  m_s.insert(static_cast<size_t>(std::clamp(index, 0, GetLength())), s);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index >= 0 && index < GetLength() && count > 0) m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
  return GetLength();
}

int CString::Compare(const char* s) const { return std::strcmp(m_s.c_str(), s ? s : ""); }

int CString::CompareNoCase(const char* s) const { return ::lstrcmpiA(m_s.c_str(), s ? s : ""); }

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
  return m_s.data();
}

char* CString::GetBufferSetLength(int length) {
  m_s.resize(static_cast<size_t>(std::max(length, 0)));
  return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(std::strlen(m_s.c_str()));
  m_s.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}

CString clx::FormatPlaceholders(const char* pattern, const char* const* args, int count) {
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9' && p[1] - '1' < count) {
      out += args[p[1] - '1'];
      ++p;
    } else {
      out += *p;
    }
  }
  return CString(std::move(out));
}

void AfxFormatString1(CString& out, UINT id, const char* s1) {
  const char* args[] = {s1};
  out = clx::FormatPlaceholders(clx::LoadStr(id), args, 1);
}

void AfxFormatString2(CString& out, UINT id, const char* s1, const char* s2) {
  const char* args[] = {s1, s2};
  out = clx::FormatPlaceholders(clx::LoadStr(id), args, 2);
}
