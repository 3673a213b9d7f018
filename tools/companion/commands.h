#pragma once
// The commands of tovick-cars: what the argument parser fills in for each, its help text (printed
// by --help), and the command itself, which returns the exit code.

#include <optional>
#include <string>
#include <vector>

namespace tovick::companion {

struct NameFiles {
  std::optional<std::string> IdePath;
  std::optional<std::string> ZonePath;
};

// tovick-cars [--json] [--anywhere] [--ide F] [--zones F] MAIN.SCM
struct ListOptions {
  bool Json = false;
  bool Anywhere = false;
  NameFiles Files;
  std::string ScriptPath;
};
extern const char* const kListHelp;
int RunList(const ListOptions& options);

struct MapOptions {
  bool Anywhere = false;
  NameFiles Files;
  std::optional<std::string> OutputPath;
  std::string ScriptPath;
};
extern const char* const kMapHelp;
int RunMap(const MapOptions& options);

struct DiffOptions {
  bool Json = false;
  bool Anywhere = false;
  std::optional<std::string> PlugInPath;
  std::string OriginalPath;
  std::string ChangedPath;
};
extern const char* const kDiffHelp;
int RunDiff(const DiffOptions& options);

struct ExportOptions {
  bool Anywhere = false;
  std::string Blocks;
  std::optional<std::string> OutputPath;
  std::string ScriptPath;
};
extern const char* const kExportHelp;
int RunExport(const ExportOptions& options);

struct ApplyOptions {
  bool Check = false;
  bool Anywhere = false;
  std::string PlugInPath;
  std::string ScriptPath;
};
extern const char* const kApplyHelp;
int RunApply(const ApplyOptions& options);

extern const char* const kSaveHelp;

struct SaveListOptions {
  bool Json = false;
  NameFiles Files;
  std::string SavePath;
};
extern const char* const kSaveListHelp;
int RunSaveList(const SaveListOptions& options);

struct SaveSyncOptions {
  bool Check = false;
  bool Force = false;
  std::string ScriptPath;
  std::vector<std::string> SavePaths;
};
extern const char* const kSaveSyncHelp;
int RunSaveSync(const SaveSyncOptions& options);

struct SaveMapOptions {
  NameFiles Files;
  std::optional<std::string> OutputPath;
  std::string SavePath;
};
extern const char* const kSaveMapHelp;
int RunSaveMap(const SaveMapOptions& options);

struct SaveExportOptions {
  bool Csv = false;
  NameFiles Files;
  std::optional<std::string> OutputPath;
  std::string SavePath;
};
extern const char* const kSaveExportHelp;
int RunSaveExport(const SaveExportOptions& options);

struct SaveImportOptions {
  bool Check = false;
  NameFiles Files;
  std::string FilePath;
  std::vector<std::string> SavePaths;
};
extern const char* const kSaveImportHelp;
int RunSaveImport(const SaveImportOptions& options);

}  // namespace tovick::companion
