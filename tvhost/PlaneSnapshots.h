// Pictures of the video plane as PNG files: tvhost.snapshot(name) from page
// script, into the folder --snapshot-dir gives, and the picture
// --plane-snapshot asks for when the page ends.
#ifndef TVHOST_PLANESNAPSHOTS_H
#define TVHOST_PLANESNAPSHOTS_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <string>

namespace tvhost {

class PlaneSnapshots {
 public:
  // Writes the plane to a PNG file at `path`; false when it could not.
  using Writer = std::function<bool(const std::string& path)>;

  // An empty `writer`: the player draws no plane. An empty `dir`: page
  // script may not write pictures.
  PlaneSnapshots(Writer writer, std::string dir);

  // Adds snapshot(name) to the tvhost object. It answers the path written,
  // and throws, writing nothing, when there is no plane or no folder, when
  // `name` is not a plain file name, or when the file cannot be written.
  void Install(JSContextRef ctx, JSObjectRef tvhost);

  bool HasPlane() const { return static_cast<bool>(m_writer); }
  // False without a plane.
  bool Write(const std::string& path) const;

 private:
  // The path written, or empty with `error` set.
  std::string Snapshot(const std::string& name, std::string* error) const;

  Writer m_writer;
  std::string m_dir;
};

// One entry of a folder and nothing else: not empty, not "." or "..", no
// slash or backslash, no control characters, and at most 200 bytes.
bool IsPlainFileName(const std::string& name);

}  // namespace tvhost

#endif  // TVHOST_PLANESNAPSHOTS_H
