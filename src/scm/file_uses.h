#pragma once
// The files one run reads and writes, checked before the first write: no output may be one of the
// inputs or another output, under another name or through a link, but for the file a command
// replaces in place (the script of apply, each save of a sync).

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scm/file_io.h"

namespace tovick {

class FileUses {
 public:
  void Input(const std::string& path);
  // what, when given, says which output it is where its name alone would not ("the backup of
  // GTA3sf1.b"), and follows the name in the message.
  void Output(const std::string& path, const std::string& what = "");
  // Read, then replaced by its own new contents.
  void InPlace(const std::string& path);

  // The first two names, as given (with what each is), of one file that may not be one; nullopt when there are none.
  std::optional<std::pair<std::string, std::string>> FindOverlap(FileIo& io) const;

 private:
  struct Use {
    std::string Path;
    std::string What;
    bool Read = false;
    bool Written = false;
  };
  std::vector<Use> uses_;
};

// "A and B are the same file", for the message of a refused run.
std::string OverlapText(const std::pair<std::string, std::string>& names);

}  // namespace tovick
