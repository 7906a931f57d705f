// What the Wine timing programs share: a clock, medians, files dated back, a library, the
// settings key.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qm::bench {

inline constexpr const wchar_t* kQuilletSettingsKey = L"Software\\Ferrandel Software\\Quillet";
inline constexpr const wchar_t* kMantelloSettingsKey = L"Software\\Ferrandel Software\\Mantello";

// Runs the messages that wait for this thread's windows.
inline void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

inline double Seconds() {
  static const double freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / freq;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Min(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// The folder of the running program, with a trailing separator.
inline std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// A new folder under %TEMP% for one run's files: `name`, a dash and the process id.
inline std::wstring MakeRunFolder(const std::wstring& name) {
  wchar_t root[MAX_PATH];
  GetTempPathW(MAX_PATH, root);
  const std::wstring dir = root + name + L"-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

// Dated back (an hour unless said otherwise), as a user's file is: a file changed within the
// last two seconds is compared byte by byte on every read, which no real use sees.
inline bool WriteDatedFile(const std::wstring& path, const std::string& bytes,
                           unsigned age_seconds = 3600) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
            n == bytes.size();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{};
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart -= static_cast<ULONGLONG>(age_seconds) * 10'000'000ULL;
  const FILETIME old{t.LowPart, t.HighPart};
  ok = SetFileTime(h, &old, &old, &old) && ok;
  CloseHandle(h);
  return ok;
}

// Plausible entries in Windows-1252: names of people and things, titles, short texts with
// umlauts; BuildFile makes a library of `n` of them.
inline std::string EntryName(int i) {
  static const char* const first[] = {"Anna",  "Bernd",  "Carla", "Dieter", "Elke",
                                      "Frank", "Gisela", "Hans",  "Ines",   "J\xFCrgen"};
  static const char* const last[] = {"M\xFCller", "Schmidt", "Schneider", "Fischer", "Weber",
                                     "Meyer",     "Wagner",  "Becker",    "Schulz",  "Hoffmann"};
  return std::string(first[i % 10]) + " " + last[(i / 10) % 10] + " " + std::to_string(i);
}

inline std::string EntryTitle(int i) {
  static const char* const words[] = {"Gru\xDF",  "Adresse", "Signatur", "Antwort", "Termin",
                                      "Rechnung", "Angebot", "Notiz",    "Vorlage", "Bitte"};
  return std::string(words[i % 10]) + " f\xFCr Vorgang " + std::to_string(i * 7 + 3);
}

inline std::string EntryText(int i) {
  return "Sehr geehrte Damen und Herren,|vielen Dank f\xFCr Ihre Nachricht Nr. " +
         std::to_string(i) +
         ".|Mit freundlichen Gr\xFC\xDF"
         "en";
}

inline std::string BuildFile(int n) {
  std::string s;
  auto section = [&](const char* name, auto value) {
    s += "[";
    s += name;
    s += "]\r\n";
    for (int i = 1; i <= n; ++i) s += std::to_string(i) + "=" + value(i) + "\r\n";
  };
  section("Name", EntryName);
  section("Title", EntryTitle);
  section("Text", EntryText);
  section("Crypt", [](int i) { return std::string(i % 3 == 0 ? "1" : "0"); });
  section("DosBox", [](int) { return std::string("0"); });
  // Window titles the program must not type into, as the settings list them.
  s += "[Ignore]\r\n";
  for (int i = 1; i <= 10; ++i) s += std::to_string(i) + "=Programm " + std::to_string(i) + "\r\n";
  return s;
}

// A small deterministic generator, so that every run builds the same library.
struct Lcg {
  unsigned state = 12345;
  unsigned Next(unsigned bound) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % bound;
  }
};

// The per-user settings key as it was, so that the runs leave it behind unchanged.
class SettingsKeySnapshot {
 public:
  SettingsKeySnapshot() {
    HKEY key = nullptr;
    existed_ =
        RegOpenKeyExW(HKEY_CURRENT_USER, kQuilletSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!existed_) return;
    for (DWORD i = 0;; ++i) {
      wchar_t name[16384];
      DWORD name_len = 16384, type = 0, bytes = 0;
      if (RegEnumValueW(key, i, name, &name_len, nullptr, &type, nullptr, &bytes) !=
          ERROR_SUCCESS) {
        break;
      }
      Value v{std::wstring(name, name_len), type, std::vector<BYTE>(bytes)};
      name_len = 16384;
      if (RegEnumValueW(key, i, name, &name_len, nullptr, &type, v.data.data(), &bytes) ==
          ERROR_SUCCESS) {
        v.data.resize(bytes);
        values_.push_back(std::move(v));
      }
    }
    RegCloseKey(key);
  }
  void Restore() const {
    RegDeleteTreeW(HKEY_CURRENT_USER, kQuilletSettingsKey);
    if (!existed_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kQuilletSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    for (const Value& v : values_) {
      RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(),
                     static_cast<DWORD>(v.data.size()));
    }
    RegCloseKey(key);
  }

 private:
  struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };
  bool existed_ = false;
  std::vector<Value> values_;
};

// A temporary folder with a copy of Quillet.exe and its library, removed again.
inline void RemoveFolder(const std::wstring& folder) {
  for (const wchar_t* name : {L"Quillet.exe", L"Quillet.ini", L"Quillet.ini.bak"}) {
    DeleteFileW((folder + L"\\" + name).c_str());
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace qm::bench
