// tovick-cars: prints the car table of a mission script, for people and for scripts; map, diff,
// export, apply and save are commands of their own. One parser reads every command's arguments.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>  // with shellapi.h: CommandLineToArgvW
#endif

#include "command_files.h"
#include "commands.h"
#include "exit_codes.h"
#include "text/path_text.h"
#include "tovick_version.h"

namespace {

using namespace tovick;
using namespace tovick::companion;

// A command's --help prints its own text, which lists its exit codes.
class FixedHelp : public CLI::FormatterBase {
 public:
  explicit FixedHelp(const char* text) : text_(text) {}
  std::string make_help(const CLI::App*, std::string, CLI::AppFormatMode) const override {
    return text_;
  }

 private:
  std::string text_;
};

CLI::App* Command(CLI::App& parent, const char* name, const char* help) {
  CLI::App* command = parent.add_subcommand(name);
  command->formatter(std::make_shared<FixedHelp>(help));
  return command;
}

void AddNameFiles(CLI::App& command, NameFiles& files) {
  command.add_option("--ide", files.IdePath)->type_name("FILE");
  command.add_option("--zones", files.ZonePath)->type_name("FILE");
}

// "export", "save sync": the deepest command the parser has reached.
std::string CommandPath(const CLI::App& app) {
  std::string path;
  for (const CLI::App* at = &app; !at->get_subcommands().empty();) {
    at = at->get_subcommands().front();
    path += (path.empty() ? "" : " ") + at->get_name();
  }
  return path;
}

// The arguments in UTF-8: on Windows from the wide command line, so that any name a file may have
// reaches the program whole; elsewhere as they are.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(NarrowPath(wide[i]));
    LocalFree(wide);
    return arguments;
  }
#endif
  return {argv, argv + argc};
}

}  // namespace

int main(int argc, char** argv) {
  SetPathEncoding(PathEncoding::Utf8);
  CLI::App app("", "tovick-cars");
  app.allow_windows_style_options(false);
  app.formatter(std::make_shared<FixedHelp>(kListHelp));
  app.set_version_flag("--version", "tovick-cars " TOVICK_VERSION_TEXT);

  ListOptions list;
  app.add_flag("--json", list.Json);
  app.add_flag("--anywhere", list.Anywhere);
  AddNameFiles(app, list.Files);
  app.add_option("MAIN.SCM", list.ScriptPath);

  MapOptions map;
  CLI::App* mapCommand = Command(app, "map", kMapHelp);
  mapCommand->add_flag("--anywhere", map.Anywhere);
  AddNameFiles(*mapCommand, map.Files);
  mapCommand->add_option("-o", map.OutputPath)->type_name("FILE");
  mapCommand->add_option("MAIN.SCM", map.ScriptPath)->required();

  DiffOptions diff;
  CLI::App* diffCommand = Command(app, "diff", kDiffHelp);
  diffCommand->add_flag("--json", diff.Json);
  diffCommand->add_flag("--anywhere", diff.Anywhere);
  diffCommand->add_option("--plugin", diff.PlugInPath)->type_name("FILE");
  diffCommand->add_option("ORIGINAL.SCM", diff.OriginalPath)->required();
  diffCommand->add_option("CHANGED.SCM", diff.ChangedPath)->required();

  ExportOptions exporting;
  CLI::App* exportCommand = Command(app, "export", kExportHelp);
  exportCommand->add_flag("--anywhere", exporting.Anywhere);
  exportCommand->add_option("--blocks", exporting.Blocks)->type_name("LIST")->required();
  exportCommand->add_option("-o", exporting.OutputPath)->type_name("FILE");
  exportCommand->add_option("MAIN.SCM", exporting.ScriptPath)->required();

  ApplyOptions apply;
  CLI::App* applyCommand = Command(app, "apply", kApplyHelp);
  applyCommand->add_flag("--check", apply.Check);
  applyCommand->add_flag("--anywhere", apply.Anywhere);
  applyCommand->add_option("PLUGIN", apply.PlugInPath)->required();
  applyCommand->add_option("MAIN.SCM", apply.ScriptPath)->required();

  CLI::App* saveCommand = Command(app, "save", kSaveHelp);
  saveCommand->require_subcommand(1);
  SaveListOptions saveList;
  CLI::App* saveListCommand = Command(*saveCommand, "list", kSaveListHelp);
  saveListCommand->add_flag("--json", saveList.Json);
  saveListCommand->add_option("--ide", saveList.Files.IdePath)->type_name("FILE");
  saveListCommand->add_option("SAVE.b", saveList.SavePath)->required();
  SaveSyncOptions saveSync;
  CLI::App* saveSyncCommand = Command(*saveCommand, "sync", kSaveSyncHelp);
  saveSyncCommand->add_flag("--check", saveSync.Check);
  saveSyncCommand->add_flag("--force", saveSync.Force);
  saveSyncCommand->add_option("MAIN.SCM", saveSync.ScriptPath)->required();
  saveSyncCommand->add_option("SAVE.b", saveSync.SavePaths)->required();
  SaveMapOptions saveMap;
  CLI::App* saveMapCommand = Command(*saveCommand, "map", kSaveMapHelp);
  AddNameFiles(*saveMapCommand, saveMap.Files);
  saveMapCommand->add_option("-o", saveMap.OutputPath)->type_name("FILE");
  saveMapCommand->add_option("SAVE.b", saveMap.SavePath)->required();
  SaveExportOptions saveExport;
  CLI::App* saveExportCommand = Command(*saveCommand, "export", kSaveExportHelp);
  saveExportCommand->add_flag("--csv", saveExport.Csv);
  saveExportCommand->add_option("--ide", saveExport.Files.IdePath)->type_name("FILE");
  saveExportCommand->add_option("-o", saveExport.OutputPath)->type_name("FILE");
  saveExportCommand->add_option("SAVE.b", saveExport.SavePath)->required();
  SaveImportOptions saveImport;
  CLI::App* saveImportCommand = Command(*saveCommand, "import", kSaveImportHelp);
  saveImportCommand->add_flag("--check", saveImport.Check);
  saveImportCommand->add_option("--ide", saveImport.Files.IdePath)->type_name("FILE");
  saveImportCommand->add_option("FILE", saveImport.FilePath)->required();
  saveImportCommand->add_option("SAVE.b", saveImport.SavePaths)->required();

  std::vector<std::string> arguments = Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    return UsageError(CommandPath(app), e.what());
  }

  if (mapCommand->parsed()) return RunMap(map);
  if (diffCommand->parsed()) return RunDiff(diff);
  if (exportCommand->parsed()) return RunExport(exporting);
  if (applyCommand->parsed()) return RunApply(apply);
  if (saveListCommand->parsed()) return RunSaveList(saveList);
  if (saveSyncCommand->parsed()) return RunSaveSync(saveSync);
  if (saveMapCommand->parsed()) return RunSaveMap(saveMap);
  if (saveExportCommand->parsed()) return RunSaveExport(saveExport);
  if (saveImportCommand->parsed()) return RunSaveImport(saveImport);
  if (list.ScriptPath.empty()) return UsageError("", "MAIN.SCM is required");
  return RunList(list);
}
