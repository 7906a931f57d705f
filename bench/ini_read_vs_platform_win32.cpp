// Times IniStore reads against GetPrivateProfileStringA/W on data files of growing size: one
// value per call, and whole lists filled through one snapshot.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "store/ini_document.h"
#include "store/ini_store.h"
#include "bench/bench_support_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

// What a program shows on opening a library: every entry's name and title, and the list of
// windows to leave alone.
struct Lists {
  std::vector<std::string> names, titles, ignore;
};

// Through one snapshot: one look at the file, then lookups in the parsed document.
Lists FillOurs(qm::IniStore& ini, const std::string& path, int n) {
  Lists l;
  const std::shared_ptr<const qm::IniDocument> doc = ini.Snapshot(path);
  if (!doc) return l;
  l.names.reserve(n);
  l.titles.reserve(n);
  for (int i = 1; i <= n; ++i) {
    const std::string key = std::to_string(i);
    l.names.push_back(doc->Find("Name", key).value_or(""));
    l.titles.push_back(doc->Find("Title", key).value_or(""));
  }
  l.ignore = qm::ReadNumberedList(*doc, "Ignore");
  return l;
}

// One GetPrivateProfileStringW call per value, as a program without a reader of its own does.
Lists FillPlatform(const std::wstring& path, int n) {
  Lists l;
  std::vector<wchar_t> buf(4096);
  auto read = [&](const wchar_t* section, int i) {
    const std::wstring key = std::to_wstring(i);
    const DWORD len = GetPrivateProfileStringW(section, key.c_str(), L"", buf.data(),
                                               static_cast<DWORD>(buf.size()), path.c_str());
    return qm::WideToUtf8(std::wstring_view(buf.data(), len));
  };
  l.names.reserve(n);
  l.titles.reserve(n);
  for (int i = 1; i <= n; ++i) {
    l.names.push_back(read(L"Name", i));
    l.titles.push_back(read(L"Title", i));
  }
  for (int i = 1;; ++i) {
    std::string item = read(L"Ignore", i);
    if (item.empty()) break;
    l.ignore.push_back(std::move(item));
  }
  return l;
}

struct ListRow {
  int n = 0;
  double first_ms = 0;     // a fresh IniStore: the snapshot reads and parses the file
  double ours_ms = 0;      // the file known already: the snapshot costs one look at it
  double platform_ms = 0;  // one platform call per value
  bool same = false;
};

struct Row {
  int n = 0;
  double ours_us = 0, platform_us = 0;
  int platform_reads = 0;
  long mismatches = 0;
};

}  // namespace

int main() {
  const std::wstring dir = MakeRunFolder(L"qm-ini-bench");

  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  std::vector<Row> rows;
  std::vector<ListRow> list_rows;
  double write_ms = 0;
  int exit_code = 0;

  for (int n : {500, 5000, 20000}) {
    const std::wstring wpath = dir + L"\\data" + std::to_wstring(n) + L".ini";
    const std::string path = qm::WideToUtf8(wpath);
    if (!WriteDatedFile(wpath, BuildFile(n), 90)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    Row row;
    row.n = n;

    qm::IniStore ini(*fs, *ansi);
    ini.ReadIniValue("Name", "1", "", path);  // the first read parses; later ones use the cache
    std::size_t sink = 0;
    // Best of three runs, so that a busy machine distorts the figures less.
    row.ours_us = 1e30;
    for (int run = 0; run < 3; ++run) {
      const double t0 = Seconds();
      for (int i = 1; i <= n; ++i) {
        const std::string key = std::to_string(i);
        sink += ini.ReadIniValue("Name", key, "", path).size();
        sink += ini.ReadIniValue("Title", key, "", path).size();
      }
      row.ours_us = std::min(row.ours_us, (Seconds() - t0) * 1e6 / (2.0 * n));
    }

    // The platform is slow on big files: a sample of keys spread over the whole file.
    const int samples = std::min(n, 1000);
    std::vector<char> buf(4096);
    GetPrivateProfileStringA("Name", "1", "", buf.data(), 4096, path.c_str());
    row.platform_us = 1e30;
    for (int run = 0; run < 3; ++run) {
      const double t1 = Seconds();
      for (int s = 0; s < samples; ++s) {
        const std::string key = std::to_string(1 + static_cast<long long>(s) * n / samples);
        GetPrivateProfileStringA("Name", key.c_str(), "", buf.data(), 4096, path.c_str());
        sink += std::string(buf.data()).size();
        GetPrivateProfileStringA("Title", key.c_str(), "", buf.data(), 4096, path.c_str());
        sink += std::string(buf.data()).size();
      }
      row.platform_us = std::min(row.platform_us, (Seconds() - t1) * 1e6 / (2.0 * samples));
    }
    row.platform_reads = 2 * samples;

    // Both must have read the same values, or the timing compares different work.
    for (int s = 0; s < samples; s += 7) {
      const std::string key = std::to_string(1 + static_cast<long long>(s) * n / samples);
      for (const char* sec : {"Name", "Title"}) {
        GetPrivateProfileStringA(sec, key.c_str(), "<none>", buf.data(), 4096, path.c_str());
        if (ansi->ToUtf8(buf.data()) != ini.ReadIniValue(sec, key, "<none>", path)) {
          ++row.mismatches;
        }
      }
    }
    if (row.mismatches) exit_code = 1;
    if (sink == 0) std::printf(" ");
    rows.push_back(row);

    if (n == 5000) {
      std::vector<double> times;
      for (int w = 0; w < 20; ++w) {
        const double t = Seconds();
        const qm::Status st =
            ini.WriteIniValue("Name", "2500", "Neuer Name " + std::to_string(w), path);
        times.push_back((Seconds() - t) * 1e3);
        if (!st) {
          std::fprintf(stderr, "write failed: %s\n", st.message.c_str());
          exit_code = 1;
        }
      }
      std::sort(times.begin(), times.end());
      write_ms = times[times.size() / 2];
    }
    DeleteFileW(wpath.c_str());
  }

  for (int n : {5000, 20000}) {
    const std::wstring wpath = dir + L"\\lists" + std::to_wstring(n) + L".ini";
    const std::string path = qm::WideToUtf8(wpath);
    if (!WriteDatedFile(wpath, BuildFile(n), 90)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    ListRow row;
    row.n = n;
    qm::IniStore ini(*fs, *ansi);
    double t = Seconds();
    const Lists first = FillOurs(ini, path, n);
    row.first_ms = (Seconds() - t) * 1e3;
    // Best of three runs, so that a busy machine distorts the figures less.
    row.ours_ms = 1e30;
    Lists ours;
    for (int run = 0; run < 3; ++run) {
      t = Seconds();
      ours = FillOurs(ini, path, n);
      row.ours_ms = std::min(row.ours_ms, (Seconds() - t) * 1e3);
    }
    // The platform's first call reads the file into its own cache; later ones use it.
    FillPlatform(wpath, 1);
    t = Seconds();
    const Lists theirs = FillPlatform(wpath, n);
    row.platform_ms = (Seconds() - t) * 1e3;
    // Both must have filled the same lists, or the timing compares different work.
    row.same = ours.names == theirs.names && ours.titles == theirs.titles &&
               ours.ignore == theirs.ignore && first.names == ours.names &&
               ours.ignore.size() == 10;
    if (!row.same) exit_code = 1;
    list_rows.push_back(row);
    DeleteFileW(wpath.c_str());
  }
  RemoveDirectoryW(dir.c_str());

  std::printf("INI reads, one value per call (Name and Title of every entry)\n\n");
  std::printf("%8s  %14s  %16s  %14s  %10s\n", "entries", "IniStore us", "platform us",
              "platform reads", "ratio");
  for (const Row& r : rows) {
    std::printf("%8d  %14.3f  %16.2f  %14d  %9.0fx%s\n", r.n, r.ours_us, r.platform_us,
                r.platform_reads, r.platform_us / r.ours_us, r.mismatches ? "  VALUES DIFFER" : "");
  }
  std::printf("\nIniStore per-read cost, 20000 vs 500 entries: %.2fx\n",
              rows.back().ours_us / rows.front().ours_us);
  std::printf("IniStore::WriteIniValue into the 5000-entry file: %.2f ms (median of 20)\n",
              write_ms);

  std::printf("\nFilling the lists: Name and Title of every entry and an Ignore list of 10\n");
  std::printf(
      "(ours through one snapshot, the platform one GetPrivateProfileStringW per value)\n\n");
  std::printf("%8s  %8s  %12s  %10s  %12s  %8s  %11s\n", "entries", "lookups", "platform ms",
              "ours ms", "ratio", "first ms", "ratio first");
  for (const ListRow& r : list_rows) {
    std::printf("%8d  %8d  %12.1f  %10.2f  %11.0fx  %8.2f  %10.0fx%s\n", r.n, 2 * r.n + 11,
                r.platform_ms, r.ours_ms, r.platform_ms / r.ours_ms, r.first_ms,
                r.platform_ms / r.first_ms, r.same ? "" : "  LISTS DIFFER");
  }
  std::printf(
      "(ours: the file already known to the store, the snapshot costs one look at it;\n"
      " first: a fresh store, the snapshot reads and parses the file)\n");
  return exit_code;
}
