#include "PlaneSnapshots.h"

#include <vector>

#include "JsUtil.h"

namespace npbrowser {

namespace {

// Well inside NAME_MAX (255 on the file systems a development machine
// has): the picture is written to a temporary name beside it first.
constexpr size_t kMaxFileNameBytes = 200;

// "dir/" and "dir" name the same folder; the path handed back to script
// should not depend on which was given.
std::string WithoutTrailingSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name.size() > kMaxFileNameBytes || name == "." || name == "..") {
    return false;
  }
  for (unsigned char c : name) {
    // A backslash is no separator here, but a name with one reads as a
    // path to anyone on the other side of a file share.
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

PlaneSnapshots::PlaneSnapshots(Writer writer, std::string dir)
    : m_writer(std::move(writer)), m_dir(WithoutTrailingSlashes(std::move(dir))) {}

bool PlaneSnapshots::Write(const std::string& path) const {
  return m_writer && m_writer(path);
}

std::string PlaneSnapshots::Snapshot(const std::string& name, std::string* error) const {
  if (!m_writer) {
    *error = "this player has no video plane (run with --player gst)";
    return {};
  }
  if (m_dir.empty()) {
    *error = "no folder for snapshots (run with --snapshot-dir DIR)";
    return {};
  }
  if (!IsPlainFileName(name)) {
    *error = "not a plain file name";
    return {};
  }
  std::string path = (m_dir == "/" ? m_dir : m_dir + "/") + name;
  if (!m_writer(path)) {
    *error = "cannot write " + path;
    return {};
  }
  return path;
}

void PlaneSnapshots::Install(JSContextRef ctx, JSObjectRef tvhost) {
  SetFunction(ctx, tvhost, "snapshot",
              [this](JSContextRef c, JSObjectRef, const std::vector<JSValueRef>& args,
                     JSValueRef* exception) -> JSValueRef {
                // Only a string: String(x) of an object could name anything.
                std::string name;
                std::string error = "the name must be a string";
                if (!args.empty() && JSValueIsString(c, args[0])) {
                  name = ToStdString(c, args[0]);
                  std::string path = Snapshot(name, &error);
                  if (!path.empty()) return MakeString(c, path);
                }
                *exception = MakeError(c, "tvhost.snapshot(" + name + "): " + error);
                return nullptr;
              });
}

}  // namespace npbrowser
