// Pictures of the TV's screen as PNG files that page script asks for with
// tvhost.snapshot(name), into the folder --snapshot-dir gives; each host
// says what the picture holds (tvhost: the video plane; tvbrowser: the page
// over it).
#ifndef NPBROWSER_PLANESNAPSHOTS_H
#define NPBROWSER_PLANESNAPSHOTS_H

#include <JavaScriptCore/JavaScript.h>

#include <functional>
#include <string>

namespace npbrowser {

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

}  // namespace npbrowser

#endif  // NPBROWSER_PLANESNAPSHOTS_H
