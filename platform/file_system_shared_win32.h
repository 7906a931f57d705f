// For the Win32 file system's own files: paths as the system resolves them, a file's stamp,
// and the errors that pass when retried. Defined in file_system_win32.cpp.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_system.h"

namespace qm {

std::string Quoted(const std::string& path);
std::wstring FullPath(const std::wstring& path);
std::wstring FolderOf(const std::wstring& full);
std::wstring NameOf(const std::wstring& full);

// The file a path leads to, through symbolic links and junctions, so that a write changes
// the link's target and leaves the link a link. The path itself where nothing is there yet.
std::wstring FinalPath(const std::wstring& full);

FileStamp StampOf(const std::wstring& path);

// Errors that another process holding the file open for a moment causes (a virus scanner,
// an indexer, a reader without delete sharing); they pass when retried.
bool IsTransient(DWORD error);

}  // namespace qm
