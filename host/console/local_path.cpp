#include <unistd.h>

#include <string>
#include <vector>

#include "host/console/console_api.h"
#include "host/module/module_api.h"
#include "host/text/wide_text.h"

namespace {

// The absolute form of path with empty, "." and ".." names taken out.
std::string AbsoluteLexical(const std::string& path) {
  std::string whole = path;
  if (whole.empty() || whole[0] != '/') {
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) return {};
    whole = std::string(buffer.data()) + "/" + whole;
  }
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= whole.size()) {
    std::size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string name = whole.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& name : names) out += "/" + name;
  return out.empty() ? "/" : out;
}

// The Shift-JIS form of a folder, or of its alias.
bool FolderForm(const std::string& folder, std::string* out) {
  if (ShiftJisFromUtf8(folder, out)) return true;
  *out = HostFolderAlias(folder);
  return !out->empty();
}

}  // namespace

ShiftJisPath HostShiftJisPathOf(const std::string& localPath, bool wholeIsFolder) {
  ShiftJisPath result;
  const std::string whole = AbsoluteLexical(localPath);
  if (wholeIsFolder || whole == "/") {
    if (!FolderForm(whole, &result.path)) result.problem = LocalPathProblem::FolderOutsideCodePage;
    return result;
  }
  const std::size_t slash = whole.find_last_of('/');
  std::string name;
  if (!ShiftJisFromUtf8(whole.substr(slash + 1), &name)) {
    result.problem = LocalPathProblem::NameOutsideCodePage;
    return result;
  }
  std::string folder;
  if (slash == 0) {
    folder.clear();
  } else if (!FolderForm(whole.substr(0, slash), &folder)) {
    result.problem = LocalPathProblem::FolderOutsideCodePage;
    return result;
  }
  result.path = folder + "/" + name;
  return result;
}
